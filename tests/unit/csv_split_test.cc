#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv_split.h"
#include "memory_output.h"
#include "plain_csv.h"
#include "plain_tables.h"

namespace {

// The tables rowcast writes for the file `bytes`.
plain_tables converted(const std::string &bytes)
{
    FILE *in = tmpfile();
    EXPECT_NE(in, nullptr);
    EXPECT_EQ(fwrite(bytes.data(), 1, bytes.size(), in), bytes.size());
    rewind(in);
    memory_output html, wiki, md;
    const table_output outputs[CSV_OUTPUTS] = {
        {&HTML_WIKITABLE, html.out()}, {&WIKI_MARKUP, wiki.out()}, {&MARKDOWN_TABLE, md.out()}};
    auto run = std::make_unique<csv_conversion>();
    memset(run.get(), 0, sizeof *run);
    run->outputs = outputs;
    EXPECT_TRUE(csv_convert(in, run.get()));
    HTML_WIKITABLE.end(html.out());
    WIKI_MARKUP.end(wiki.out());
    (void)fclose(in);
    plain_tables got;
    got.wikitable = html.bytes();
    got.wiki = wiki.bytes();
    got.md = md.bytes();
    return got;
}

// The heading (its last cell with the line's end) and the rows, spelled out.
plain_tables spelled(const texts &heading, const std::vector<texts> &rows)
{
    plain_tables t;
    if (!heading.empty())
        t.begin(heading);
    for (const texts &row : rows)
        t.row(row, row);
    t.end();
    return t;
}

void expect_tables(const std::string &bytes, const texts &heading, const std::vector<texts> &rows)
{
    SCOPED_TRACE(bytes.substr(0, 60));
    plain_tables got = converted(bytes), want = spelled(heading, rows);
    EXPECT_EQ(got.wikitable, want.wikitable);
    EXPECT_EQ(got.wiki, want.wiki);
    // The plain model used by the fuzz target agrees, and gives the Markdown table.
    plain_tables model = plain_csv_tables(bytes);
    EXPECT_EQ(model.wiki, want.wiki);
    EXPECT_EQ(got.md, model.md);
}

}  // namespace

TEST(CsvReader, TakesTheSeparatorOfTheHeading)
{
    expect_tables("\"Part\",\"Value\"\n\"C1\",\"100nF\"\n", {"Part", "Value\n"}, {{"C1", "100nF"}});
    expect_tables("Part;Value;Package\nC1;1,5uF;0603\n", {"Part", "Value", "Package\n"}, {{"C1", "1,5uF", "0603"}});
    expect_tables("Part\tValue\r\nR1\t10k\r\n", {"Part", "Value\r\n"}, {{"R1", "10k"}});
    // Most frequent outside quotes; a tie goes to the comma.
    expect_tables("\"a;b;c\",d,e\nx,y,z\n", {"a;b;c", "d", "e\n"}, {{"x", "y", "z"}});
    expect_tables("a;b,c\n1;2,3\n", {"a;b", "c\n"}, {{"1;2", "3"}});
}

TEST(CsvReader, ReadsBareAndQuotedFields)
{
    // Blanks around a bare field are part of it; a quote inside it is a quote of it.
    expect_tables("Reference, Value, Footprint\nR1, 10k , 0.1\" pitch\n", {"Reference", " Value", " Footprint\n"},
                  {{"R1", " 10k ", " 0.1\" pitch"}});
    // A quoted field may hold separators and line breaks; two quotes are one.
    expect_tables("\"Ref\nDes\",\"Value\"\n\"C1,C2\",\"say \"\"hi\"\"\"\n", {"Ref<br>Des", "Value\n"},
                  {{"C1,C2", "say \"hi\""}});
    // A quote that only blanks keep from the separator closes its field; any other is a quote of it.
    expect_tables("\"Part\";\"Desc\"\n\"J1\";\"Pin header for 0.1\" spacing\"  ;\n", {"Part", "Desc\n"},
                  {{"J1", "Pin header for 0.1\" spacing", ""}});
    // Empty fields, empty quoted ones, and empty lines, which give no row.
    expect_tables("a,b,c\n\n,\"\",\r\n\n", {"a", "b", "c\n"}, {{"", "", ""}});
}

TEST(CsvReader, RunsAQuoteNeverClosedToTheEnd)
{
    expect_tables("a,b\n\"x,y\nz\n", {"a", "b\n"}, {{"x,y<br>z<br>"}});
    expect_tables("a,b\n1,2", {"a", "b\n"}, {{"1", "2"}});  // no line end at the end
    expect_tables("", {}, {});
}

TEST(CsvReader, ReadsEncodingsAsUtf8)
{
    expect_tables("\xEF\xBB\xBFPart,Value\nC1,1\xC2\xB5\n", {"Part", "Value\n"}, {{"C1", "1\xC2\xB5"}});
    expect_tables("Part;Value\nC1;1\xB5"
                  "F\n",
                  {"Part", "Value\n"},
                  {{"C1", "1\xC2\xB5"
                          "F"}});
    const std::string le("\xFF\xFEP\0\t\0V\0\r\0\n\0"
                         "1\0\t\0\xBC\x03\r\0\n\0",
                         22);
    std::string be = "\xFE\xFF";
    for (size_t k = 2; k < le.size(); k += 2)
        be += std::string{le[k + 1], le[k]};
    for (const std::string &bytes : {le, be})
        expect_tables(bytes, {"P", "V\n"}, {{"1", "\xCE\xBC"}});
}

TEST(CsvReader, LeavesOutAPreamble)
{
    // A tool's rows before an empty line and the heading, quoted throughout.
    expect_tables("\"Source:\",\"/home/b.sch\"\n\"Date:\",\"today\"\n\"Component Count:\",\"2\"\n\n"
                  "\"Ref\",\"Value\",\"Footprint\"\n\"R1\",\"1k\",\"0603\"\n",
                  {"Ref", "Value", "Footprint\n"}, {{"R1", "1k", "0603"}});
    // Rows padded to the heading's width, and a title line.
    expect_tables("Source;x;;\n;;;\nRef;Value;Code;Note\nR1;1k;;\n", {"Ref", "Value", "Code", "Note\n"},
                  {{"R1", "1k", "", ""}});
    expect_tables("My board\nRef,Value,Footprint\nR1,1k,0603\n", {"Ref", "Value", "Footprint\n"},
                  {{"R1", "1k", "0603"}});
    // A file whose first row quotes every field starts with its heading.
    expect_tables("\"Title\"\n\"Ref\",\"Value\",\"Package\"\n", {"Title\n"}, {{"Ref", "Value", "Package"}});
}

// Rows longer than the text held at once reach the writers in parts: a
// 100,000-byte field, a field of a million bytes with line breaks and
// doubled quotes, and a row of 10,000 cells.
TEST(CsvReader, RowsOfAnyLengthAreOneRow)
{
    const std::string big(100000, 'x');
    expect_tables("a,b\n\"" + big + "\",1\n", {"a", "b\n"}, {{big, "1"}});
    std::string field, shown;
    while (field.size() < 1000000) {
        field += "ab\"\"\r\ncd ";
        shown += "ab\"<br>cd ";
    }
    expect_tables("a\r\n\"" + field + "\"\r\n", {"a\r\n"}, {{shown}});
    std::string heading, row;
    texts heads, cells;
    for (int i = 0; i < 10000; i++) {
        heading += (i > 0 ? "," : "") + std::to_string(i);
        heads.push_back(std::to_string(i));
        row += i > 0 ? ",\"\"" : "\"\"";
        cells.emplace_back();
    }
    heads.back() += "\n";
    expect_tables(heading + "\n" + row + "\n", heads, {cells});
}

// Quoted rows, the first read's end falling on each byte of them in turn:
// rows read in one walk and rows that need the full reading (blanks after a
// quote, two quotes, CR LF) give the model's tables.
TEST(CsvReader, QuotedRowsAcrossReadsGiveTheModelsTables)
{
    static const char *const ENDS[] = {"\n", "\r\n", " \n", "\n\n"};
    for (size_t shift = 0; shift < 40; shift++) {
        std::string bytes = "\"Part\",\"" + std::string(shift, 'V') + "\"\n";
        for (unsigned k = 0; bytes.size() < TEXT_PIECE_MOST + 4096; k++) {
            std::string value(k * 7 % 23, 'v');
            if (k % 11 == 0)
                value += "\"\"";
            bytes += "\"R" + std::to_string(k) + "\",\"" + value + "\"" + ENDS[k * 5 % 7 % 4];
        }
        plain_tables got = converted(bytes), want = plain_csv_tables(bytes);
        ASSERT_EQ(got.wiki, want.wiki) << shift;
        ASSERT_EQ(got.md, want.md) << shift;
    }
}
