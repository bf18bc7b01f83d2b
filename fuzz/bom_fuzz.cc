// The BOM reader on any bytes, through the read loop, into the bomtab tables
// (HTML and wiki) and the bomgrid table, compared with tables worked out
// plainly from the lines as fgets reads them.
#include <algorithm>
#include <vector>

#include "bom_reader.h"
#include "fuzz_io.h"

static bool starts_with_letter(const std::string &line)
{
    return !line.empty() && ((line[0] >= 'A' && line[0] <= 'Z') || (line[0] >= 'a' && line[0] <= 'z'));
}

// Where the six names stand on the line, each found after the first byte of
// the one before; empty when one is missing.
static std::vector<size_t> header_columns(const std::string &line)
{
    static const char *const NAMES[] = {"Part ", "Value ", "Device ", "Package ", "Library ", "Sheet"};
    std::vector<size_t> starts;
    size_t from = 0;
    for (const char *name : NAMES) {
        size_t at = line.find(name, from);
        if (at == std::string::npos)
            return {};
        starts.push_back(at);
        from = at + 1;
    }
    return starts;
}

// Bytes [from, to) of the line, as far as the line goes.
static std::string part(const std::string &line, size_t from, size_t to)
{
    to = std::min(to, line.size());
    return from < to ? line.substr(from, to - from) : "";
}

static plain_tables expected_tables(const texts &lines)
{
    plain_tables tables;
    std::vector<size_t> s;  // the header's columns, once found
    for (const std::string &line : lines) {
        if (!starts_with_letter(line))
            continue;
        if (s.empty()) {
            s = header_columns(line);
            if (!s.empty())
                tables.begin({"Part ", "Value ", "Package "});
            continue;
        }
        texts cells = {part(line, s[0], s[1] - 1), part(line, s[1] - 1, s[2] - 1), part(line, s[3] - 1, s[4] - 1)};
        tables.row(cells, cells);
    }
    tables.end();
    return tables;
}

static loop_result run(const std::string &stream, const table_writer *const writers[], int count)
{
    static table_output outputs[2];
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
