// The CSV splitter on any bytes, through the read loop, into the rowcast
// tables (HTML and wiki).
#include <cstring>

#include "csv_split.h"
#include "fuzz_io.h"

static cell cells[CSV_MAX_CELLS];

static texts heading_texts(const std::string &read)
{
    std::string line = read;  // the splitter works in place
    int count = split_heading(line.data(), cells);
    FUZZ_CHECK(count >= 0 && count <= CSV_MAX_CELLS);
    texts heads;
    for (int i = 0; i < count; i++) {
        FUZZ_CHECK(cell_within(cells[i], line.data(), line.size()));
        FUZZ_CHECK(memchr(cells[i].text, '"', cells[i].length) == nullptr);
        heads.push_back(text_of(cells[i]));
    }
    return heads;
}

// The text between quotes that is not a separator, worked out without the
// splitter: what its non-empty cells must add up to, in order.
static texts quoted_tokens(const std::string &line)
{
    texts tokens;
    size_t from = 0;
    for (;;) {
        size_t quote = line.find('"', from);
        std::string token = line.substr(from, quote == std::string::npos ? std::string::npos : quote - from);
        if (!token.empty() && token[0] != ',')
            tokens.push_back(token);
        if (quote == std::string::npos)
            return tokens;
        from = quote + 1;
    }
}

static plain_tables expected_tables(const texts &lines)
{
    plain_tables tables;
    if (lines.empty()) {
        tables.end();
        return tables;
    }
    tables.begin(heading_texts(lines[0]));
    for (size_t k = 1; k < lines.size(); k++) {
        const std::string &line = lines[k];
        data_row row = split_data(line.c_str(), line.size(), cells);
        FUZZ_CHECK(row.count >= 0 && row.count <= CSV_MAX_CELLS);
        texts all, non_empty;
        for (int i = 0; i < row.count; i++) {
            FUZZ_CHECK(cell_within(cells[i], line.c_str(), line.size()));
            FUZZ_CHECK(memchr(cells[i].text, '"', cells[i].length) == nullptr);
            all.push_back(text_of(cells[i]));
            if (!all.back().empty())
                non_empty.push_back(all.back());
        }
        FUZZ_CHECK(non_empty == quoted_tokens(line));
        // The trailer is what follows the last quote (the whole line when
        // there is none), unless nothing or a separator does.
        size_t last_quote = line.rfind('"');
        std::string tail = last_quote == std::string::npos ? line : line.substr(last_quote + 1);
        FUZZ_CHECK(row.trailer == (!tail.empty() && tail[0] != ','));
        texts html = all;
        if (row.trailer)
            html.pop_back();
        tables.row(html, html.empty() ? all : html);
    }
    tables.end();
    return tables;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string stream = fuzz_stream(data, size);
    const texts lines = fgets_lines(stream, CSV_LINE_SIZE);
    const plain_tables want = expected_tables(lines);

    static const table_writer *const ROWCAST[] = {&HTML_WIKITABLE, &WIKI_MARKUP};
    static csv_reader reader;
    // Twice: nothing of one run may leak into the next.
    for (int pass = 0; pass < 2; pass++) {
        reader.heading_done = false;
        loop_result rowcast = run_read_loop(stream, CSV_LINE_SIZE, csv_convert_line, &reader, ROWCAST, 2);
        FUZZ_CHECK(rowcast.lines == lines);
        FUZZ_CHECK(rowcast.files[0] == want.wikitable);
        FUZZ_CHECK(rowcast.files[1] == want.wiki);
    }
    return 0;
}
