// The CSV splitter on any bytes, through the read loop, into the rowcast
// tables (HTML and wiki), compared with tables worked out plainly from the
// lines as fgets reads them.
#include "csv_split.h"
#include "fuzz_io.h"

// The heading line split at commas, runs of them one separator, with the
// quotes taken out of each cell.
static texts heading_cells(const std::string &line)
{
    texts heads;
    bool in_cell = false;
    for (char c : line) {
        if (c == ',') {
            in_cell = false;
            continue;
        }
        if (!in_cell)
            heads.emplace_back();
        in_cell = true;
        if (c != '"')
            heads.back() += c;
    }
    return heads;
}

// A data line cut at the quotes that open and close its fields: read from
// its start, they alternate, but a quote that would close a field and is
// followed straight away by another, with a further quote somewhere after
// the two, is a doubled quote, one quote of the field's text. A stretch
// inside a field (an odd number of cutting quotes lies before it) is a cell,
// empty or not; one between fields is a cell unless it is empty or starts
// with a comma (a separator). The stretch after the
// last quote is the trailer, under the same rule: no HTML cell, but the wiki
// row's only cell when there is no other.
static void data_row(const std::string &line, plain_tables &tables)
{
    texts stretches(1);
    for (size_t i = 0; i < line.size(); i++) {
        bool in_field = stretches.size() % 2 == 0;
        bool doubled = in_field && line.compare(i, 2, "\"\"") == 0 && line.find('"', i + 2) != std::string::npos;
        if (doubled) {
            stretches.back() += '"';
            i++;
        } else if (line[i] == '"') {
            stretches.emplace_back();
        } else {
            stretches.back() += line[i];
        }
    }
    texts cells;
    for (size_t i = 0; i + 1 < stretches.size(); i++) {
        const std::string &s = stretches[i];
        if (i % 2 == 1 || (!s.empty() && s[0] != ','))
            cells.push_back(s);
    }
    const std::string &tail = stretches.back();
    bool trailer = !tail.empty() && tail[0] != ',';
    tables.row(cells, cells.empty() && trailer ? texts{tail} : cells);
}

static plain_tables expected_tables(const texts &lines)
{
    plain_tables tables;
    if (!lines.empty())
        tables.begin(heading_cells(lines[0]));
    for (size_t k = 1; k < lines.size(); k++)
        data_row(lines[k], tables);
    tables.end();
    return tables;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string stream = fuzz_stream(data, size);
    const texts lines = fgets_lines(stream, CSV_LINE_SIZE);
    const plain_tables want = expected_tables(lines);

    static const table_writer *const ROWCAST[] = {&HTML_WIKITABLE, &WIKI_MARKUP};
    static table_output outputs[2];
    static csv_conversion conversion;
    conversion.outputs = outputs;
    // Twice: nothing of one run may leak into the next.
    for (int pass = 0; pass < 2; pass++) {
        conversion.heading_done = false;
        loop_result rowcast = run_read_loop(stream, CSV_LINE_SIZE, csv_convert_line, &conversion, outputs, ROWCAST, 2);
        FUZZ_CHECK(rowcast.lines == lines);
        FUZZ_CHECK(rowcast.files[0] == want.wikitable);
        FUZZ_CHECK(rowcast.files[1] == want.wiki);
    }
    return 0;
}
