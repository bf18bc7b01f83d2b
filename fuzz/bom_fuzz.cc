// The BOM reader on any bytes, through the read loop, into the bomtab tables
// (HTML and wiki) and the bomgrid table.
#include <cstring>

#include "bom_reader.h"
#include "fuzz_io.h"

// The tables worked out from the lines as fgets gives them, one reader call
// per line, every cell checked to lie within its line.
static plain_tables expected_tables(const texts &lines)
{
    plain_tables tables;
    bom_reader reader;
    bom_reader_reset(&reader);
    for (const std::string &line : lines) {
        bom_event event = bom_reader_line(&reader, line.c_str(), line.size());
        if (event == BOM_HEADER) {
            const cell *heads = bom_heading_cells();
            tables.begin({text_of(heads[0]), text_of(heads[1]), text_of(heads[2])});
        } else if (event == BOM_PART_ROW) {
            for (const cell &field : reader.field)
                FUZZ_CHECK(cell_within(field, line.c_str(), line.size()));
            cell cells[BOM_CELLS];
            bom_row_cells(&reader, cells);
            texts row = {text_of(cells[0]), text_of(cells[1]), text_of(cells[2])};
            tables.row(row, row);
        }
    }
    tables.end();
    return tables;
}

static loop_result run(const std::string &stream, const table_writer *const writers[], int count)
{
    static bom_reader reader;
    bom_reader_reset(&reader);
    return run_read_loop(stream, LINE_BUFFER_SIZE, bom_convert_line, &reader, writers, count);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string stream = fuzz_stream(data, size);
    const texts lines = fgets_lines(stream, LINE_BUFFER_SIZE);
    const plain_tables want = expected_tables(lines);

    static const table_writer *const BOMTAB[] = {&HTML_WIKITABLE, &WIKI_MARKUP};
    static const table_writer *const BOMGRID[] = {&HTML_DIV_TABLE};
    // bomtab twice: nothing of one run may leak into the next.
    for (int pass = 0; pass < 2; pass++) {
        loop_result bomtab = run(stream, BOMTAB, 2);
        FUZZ_CHECK(bomtab.lines == lines);
        FUZZ_CHECK(bomtab.files[0] == want.wikitable);
        FUZZ_CHECK(bomtab.files[1] == want.wiki);
    }
    loop_result bomgrid = run(stream, BOMGRID, 1);
    FUZZ_CHECK(bomgrid.lines == lines);
    FUZZ_CHECK(bomgrid.files[0] == want.div);
    return 0;
}
