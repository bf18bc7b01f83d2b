#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "csv_split.h"
#include "line_reader.h"
#include "memory_output.h"
#include "plain_tables.h"

using cell_texts = std::vector<std::string>;

static cell_texts as_texts(const cell *out, int count)
{
    cell_texts all;
    for (int i = 0; i < count; i++)
        all.emplace_back(out[i].text, out[i].length);
    return all;
}

// The splitters work in place, like the read loop's buffer.
static cell_texts heading(const std::string &line)
{
    std::vector<char> buf(line.begin(), line.end());
    buf.push_back('\0');
    static cell out[CSV_MAX_CELLS];
    int n = split_heading(buf.data(), out);
    return as_texts(out, n);
}

// Converts a data line as rowcast does and checks both rows: they show every
// cell of `all` but the trailer, the last of them when `trailer` is set.
static void expect_data(const std::string &line, const cell_texts &all, bool trailer)
{
    SCOPED_TRACE(line.substr(0, 40));
    memory_output html, wiki;
    static csv_conversion run;
    const table_output outputs[2] = {{&HTML_WIKITABLE, html.out()}, {&WIKI_MARKUP, wiki.out()}};
    run.heading_done = true;
    run.outputs = outputs;
    // As the read loop hands a line on: NUL-terminated, other bytes after it.
    std::string held = line + '\0' + std::string(16, '"');
    csv_convert_line(&run, held.data(), line.size());
    cell_texts cells(all.begin(), all.end() - (trailer ? 1 : 0));
    plain_tables want;
    want.row(cells, cells.empty() ? all : cells);
    EXPECT_TRUE(html.bytes() == want.wikitable) << html.bytes();
    EXPECT_TRUE(wiki.bytes() == want.wiki) << wiki.bytes();
}

TEST(CsvSplit, HeadingSplitsAtCommasAndStripsQuotes)
{
    EXPECT_EQ(heading("\"Part\",\"Value\"\n"), (cell_texts{"Part", "Value\n"}));
    EXPECT_EQ(heading(",a,,,b"), (cell_texts{"a", "b"}));  // runs of commas are one separator
    EXPECT_EQ(heading("a,\n"), (cell_texts{"a", "\n"}));
    EXPECT_EQ(heading("\"a\",\"\",\"b\"\n"), (cell_texts{"a", "", "b\n"}));
    EXPECT_EQ(heading("\"C1,C7\"\n"), (cell_texts{"C1", "C7\n"}));  // quotes do not protect a comma here
    EXPECT_EQ(heading("x\"y\"\"z"), (cell_texts{"xyz"}));
    EXPECT_EQ(heading(",,,"), cell_texts{});
    EXPECT_EQ(heading(""), cell_texts{});
}

TEST(CsvSplit, DataDropsCommaSeparators)
{
    expect_data("\"C1\",\"100nF\",\"C0603\"\n", {"C1", "100nF", "C0603", "\n"}, true);
    expect_data("\"a\", ,\"b\"\n", {"a", "b", "\n"}, true);
    // A quoted field that starts with a comma is a value, in its column:
    // quotes are counted from the line's start.
    expect_data("\"x\",\",5 mm\",\"y\"\n", {"x", ",5 mm", "y", "\n"}, true);
    expect_data("\"x\",\",a\"\"b\",\"y\"\n", {"x", ",a\"b", "y", "\n"}, true);
    expect_data("\"x\",\",,,\"\n", {"x", ",,,", "\n"}, true);
    // An unclosed quote at the end: the text after it is the trailer, and
    // one that starts with a comma is none.
    expect_data("\"x\",\",5 mm\n", {"x"}, false);
    // Blank first: not a separator, so a cell of its own.
    expect_data("\"a\" ,\"b\"\n", {"a", " ,", "b", "\n"}, true);
    expect_data("\"C1,C7\",\"2\"\n", {"C1,C7", "2", "\n"}, true);
    expect_data(",,,\n", {}, false);
}

TEST(CsvSplit, TrailerIsOnlyTextRunningToTheEndWithoutAQuote)
{
    expect_data("\"C1\",\"100nF\"", {"C1", "100nF"}, false);
    expect_data("\"C1\",\"100nF\",\n", {"C1", "100nF"}, false);
    expect_data("\"C1\",\"100nF\"  \n", {"C1", "100nF", "  \n"}, true);
    expect_data("\"C1\",\"100n", {"C1", "100n"}, true);  // cut inside a field
    expect_data("C1,100nF\n", {"C1,100nF\n"}, true);
    expect_data("\n", {"\n"}, true);
    expect_data("", {}, false);
}

TEST(CsvSplit, KeepsEmptyQuotedFields)
{
    expect_data("\"C1\",\"\",\"10k\"\n", {"C1", "", "10k", "\n"}, true);
    expect_data("\"C1\",\"\"", {"C1", ""}, false);
    expect_data("\"\"\n", {"", "\n"}, true);
    expect_data("\"\",\"\"\n", {"", "", "\n"}, true);
}

// Two quotes in a field stand for one when a quote closes the field later on
// the line; without one they close a field and open the next, never closed.
TEST(CsvSplit, DoubledQuotesInAFieldClosedLater)
{
    struct sample {
        std::string line;
        cell_texts all;
        bool trailer;
    };
    std::string doubled, single;  // many pairs, the field running over several blocks of quote marks
    for (int i = 0; i < 40; i++) {
        doubled += "ab\"\"";
        single += "ab\"";
    }
    const std::string p62(62, 'p'), p4091(4091, 'p');
    const sample samples[] = {
        {"\"5\"\" screen\",\"x\"\n", {"5\" screen", "x", "\n"}, true},
        {"\"\"\"\"\n", {"\"", "\n"}, true},
        {"\"a\"\"\"\n", {"a\"", "\n"}, true},
        {"\"a\"\"\"\"b\"\n", {"a\"\"b", "\n"}, true},
        {"\"a\"\"b", {"a", "b"}, true},
        {"\"a\"\"\"\",x", {"a\""}, false},
        {"\"\",\"\"\"x\"\n", {"", "\"x", "\n"}, true},
        {"\"" + doubled + "\",\"z\"\n", {single, "z", "\n"}, true},
        {"\"" + p62 + "\"\"y\",\"z\"\n", {p62 + "\"y", "z", "\n"}, true},  // a pair across two blocks
        // Full reads ending in a pair; the quotes after the NUL are no part of the line.
        {"\"" + p4091 + "\"\"\"", {p4091 + "\""}, false},
        {"\"" + p4091 + "p\"\"", {p4091 + "p"}, false},
        {"\"C1\",\"", {"C1"}, false},
        {"\"C1\",\"\n", {"C1", "\n"}, true},
    };
    for (const sample &s : samples)
        expect_data(s.line, s.all, s.trailer);
}

// A full read can yield far more cells than a short line; none may be lost
// or written past the cell array.
TEST(CsvSplit, FullReadOfManyCells)
{
    std::string tokens = "a";
    while (tokens.size() < CSV_LINE_SIZE - 1)
        tokens += "\"a";
    expect_data(tokens, cell_texts(2048, "a"), true);

    std::string empties;  // each a"" gives the a and one empty cell
    while (empties.size() < CSV_LINE_SIZE - 1)
        empties += "a\"\"";
    ASSERT_EQ(empties.size(), 4095u);
    cell_texts alternating;
    for (int i = 0; i < 1365; i++)
        alternating.insert(alternating.end(), {"a", ""});
    expect_data(empties, alternating, false);

    std::string commas = "a";
    while (commas.size() < CSV_LINE_SIZE - 1)
        commas += ",a";
    EXPECT_EQ(heading(commas), cell_texts(2048, "a"));
}
