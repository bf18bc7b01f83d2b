# The converters' sources, relative to the top of the tree: one list for the
# programs and the web page.
set(BOMTABLES_SHARED_SOURCES common/bom_reader.cc common/table_writer.cc common/markdown_table.cc
    common/output_buffer.cc common/line_reader.cc
    common/text_input.cc common/note.cc common/utf8.cc)
set(BOMTABLES_CSV_SOURCES rowcast/csv_split.cc)
# The console: the command line of bomtab and rowcast, and how a run ends
# early, which the page has no use for.
set(BOMTABLES_FRONT_END_SOURCES common/front_end.cc common/run_end.cc)
