// The BOM reader on any bytes, through the read loop, into the bomtab tables
// (HTML, wiki and Markdown) and the bomgrid table, compared with tables worked out
// plainly from the whole input.
#include "bom_reader.h"
#include "fuzz_io.h"
#include "plain_bom.h"

static loop_result run(const std::string &stream, const table_writer *const writers[], int count)
{
    static table_output outputs[3];
    static bom_conversion conversion;
    bom_reader_reset(&conversion.reader);
    conversion.outputs = outputs;
    conversion.count = count;
    return run_read_loop(stream, LINE_BUFFER_SIZE, bom_convert_line, &conversion, outputs, writers, count);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string stream = fuzz_stream(data, size);
    const texts lines = fgets_lines(stream, LINE_BUFFER_SIZE);
    const plain_tables want = plain_bom_tables(stream);

    static const table_writer *const BOMTAB[] = {&HTML_WIKITABLE, &WIKI_MARKUP, &MARKDOWN_TABLE};
    static const table_writer *const BOMGRID[] = {&HTML_DIV_TABLE};
    // bomtab twice: nothing of one run may leak into the next.
    for (int pass = 0; pass < 2; pass++) {
        loop_result bomtab = run(stream, BOMTAB, 3);
        FUZZ_CHECK(bomtab.lines == lines);
        FUZZ_CHECK(bomtab.files[0] == want.wikitable);
        FUZZ_CHECK(bomtab.files[1] == want.wiki);
        FUZZ_CHECK(bomtab.files[2] == want.md);
    }
    loop_result bomgrid = run(stream, BOMGRID, 1);
    FUZZ_CHECK(bomgrid.lines == lines);
    FUZZ_CHECK(bomgrid.files[0] == want.div);
    return 0;
}
