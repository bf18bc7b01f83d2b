#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "memory_output.h"
#include "plain_tables.h"
#include "table_writer.h"

static cell c(const char *text)
{
    return {text, strlen(text)};
}

static const cell HEADS[] = {c("Part "), c("Value "), c("Package ")};

TEST(TableWriter, WritesEachFlavourByteForByte)
{
    const cell cells[] = {c("R1 "), c("<10k> & |x|"), c("")};
    memory_output html, wiki, div;
    for (auto [writer, out] : {std::pair{&HTML_WIKITABLE, &html}, {&WIKI_MARKUP, &wiki}, {&HTML_DIV_TABLE, &div}}) {
        writer->begin(out->out(), HEADS, 3, WHOLE_ROW);
        writer->row(out->out(), cells, 3, WHOLE_ROW);
        writer->end(out->out());
    }
    EXPECT_EQ(html.bytes(), "<table class='wikitable' border='1'>\n<tr>\n<th scope='col'>Part </th>\n"
                            "<th scope='col'>Value </th>\n<th scope='col'>Package </th>\n</tr>\n"
                            "<tr><td>R1 </td> <td><10k> & |x|</td> <td></td> </tr>\n</table>\n\n");
    EXPECT_EQ(wiki.bytes(), "== Partlist ==\n\n{| border='1' class='wikitable'\n!Part !!Value !!Package \n"
                            "|-\n|R1 ||<10k> & |x|||\n|}\n\n");
    EXPECT_EQ(div.bytes(), "<Div Class='Wiki'>\n<table width='40%' border='1'>\n<tr>\n<th scope='col'>Part </th>\n"
                           "<th scope='col'>Value </th>\n<th scope='col'>Package </th>\n</tr>\n"
                           "<tr><td>R1 </td> <td><10k> & |x|</td> <td></td> </tr>\n</table>\n</div>\n");
}

TEST(TableWriter, WritesOnlyTheEndWithoutAHeader)
{
    memory_output html, wiki, div;
    HTML_WIKITABLE.end(html.out());
    WIKI_MARKUP.end(wiki.out());
    HTML_DIV_TABLE.end(div.out());
    EXPECT_EQ(html.bytes(), "</table>\n\n");
    EXPECT_EQ(wiki.bytes(), "|}\n\n");
    EXPECT_EQ(div.bytes(), "</table>\n</div>\n");
}

TEST(TableWriter, WritesRowsWithoutCells)
{
    memory_output html, wiki, div;
    HTML_WIKITABLE.row(html.out(), nullptr, 0, WHOLE_ROW);
    WIKI_MARKUP.row(wiki.out(), nullptr, 0, WHOLE_ROW);
    HTML_DIV_TABLE.row(div.out(), nullptr, 0, WHOLE_ROW);
    EXPECT_EQ(html.bytes(), "<tr></tr>\n");
    EXPECT_EQ(wiki.bytes(), "|-\n|\n");  // the first cell's bar stands alone
    EXPECT_EQ(div.bytes(), "<tr></tr>\n");
}

TEST(TableWriter, EndsTheWikiHeadingRowWithOneNewline)
{
    // A CSV heading's last cell carries the line's newline; no second one follows.
    const cell carried[] = {c("Part"), c("Value\n")};
    memory_output with_newline, without_newline, empty, html;
    WIKI_MARKUP.begin(with_newline.out(), carried, 2, WHOLE_ROW);
    WIKI_MARKUP.begin(without_newline.out(), carried, 1, WHOLE_ROW);
    WIKI_MARKUP.begin(empty.out(), nullptr, 0, WHOLE_ROW);
    HTML_WIKITABLE.begin(html.out(), carried, 2, WHOLE_ROW);
    const std::string open = "== Partlist ==\n\n{| border='1' class='wikitable'\n";
    EXPECT_EQ(with_newline.bytes(), open + "!Part!!Value\n");
    EXPECT_EQ(without_newline.bytes(), open + "!Part\n");
    EXPECT_EQ(empty.bytes(), open + "!\n");
    EXPECT_EQ(html.bytes(), "<table class='wikitable' border='1'>\n<tr>\n<th scope='col'>Part</th>\n"
                            "<th scope='col'>Value\n</th>\n</tr>\n");
}

TEST(TableWriter, SkipsAnAbsentOutput)
{
    for (const table_writer *w : {&HTML_WIKITABLE, &WIKI_MARKUP, &HTML_DIV_TABLE}) {
        w->begin(nullptr, HEADS, 3, WHOLE_ROW);
        w->row(nullptr, HEADS, 3, WHOLE_ROW);
        w->end(nullptr);
    }
}

// Hands a row to the operation in parts, as a program does with a row longer
// than it holds at once: a cell may be cut in two, and a part may end after
// any piece.
template <class Operation>
static void in_parts(Operation put, const texts &row, std::mt19937 &random)
{
    std::vector<cell> part;
    unsigned where = ROW_STARTS;
    for (size_t i = 0; i < row.size(); i++) {
        size_t cut = random() % 2 == 0 ? row[i].size() : random() % (row[i].size() + 1);
        part.push_back({row[i].data(), cut});
        if (cut < row[i].size()) {
            put(part.data(), static_cast<int>(part.size()), where | LAST_CELL_GOES_ON);
            part = {{row[i].data() + cut, row[i].size() - cut}};
            where = FIRST_CELL_GOES_ON;
        }
        if (random() % 3 == 0 && i + 1 < row.size()) {
            put(part.data(), static_cast<int>(part.size()), where);
            part.clear();
            where = 0;
        }
    }
    put(part.data(), static_cast<int>(part.size()), where | ROW_ENDS);
}

// Headings and rows of every cell size, from none to more than the whole
// buffer, whole or in parts, after gathered bytes of every count: the place
// where what is gathered goes to the file falls inside each piece of a row,
// and no byte is lost or doubled. The cells hold the bytes the Markdown table
// escapes, trims or breaks, so that what is not yet known at a cut (blanks
// that may end the cell, a byte whose backslash the next decides, a CR whose
// LF follows) comes out as in the whole cell.
TEST(TableWriter, RowsInPartsAndAcrossTheBufferComeOutWhole)
{
    std::mt19937 random(3);
    // Bytes that Markdown escapes, trims or breaks, and the words of a web address.
    const char *const pieces[] = {"a",  "b",  "1", "_", "\\", "&", "<", "*",   "|",    " ", "\t",
                                  "\r", "\n", "#", "/", "!",  ".", ":", "www", "http", "s"};
    memory_output html, wiki, md;
    plain_tables want;
    for (int i = 0; i < 1000; i++) {
        const size_t sizes[] = {
            0, 1, 3, 7, 8, 15, 16, 17, 100, 40000, OUTPUT_BUFFER_SIZE / 2 + 1, OUTPUT_BUFFER_SIZE + 5};
        texts row(random() % 4);
        for (std::string &text : row) {
            for (size_t n = sizes[random() % (random() % 4 == 0 ? 12 : 9)]; n > 0; n--)
                text += pieces[random() % std::size(pieces)];
        }
        bool heading = i % 50 == 0;
        for (auto [writer, out] : {std::pair{&HTML_WIKITABLE, &html}, {&WIKI_MARKUP, &wiki}, {&MARKDOWN_TABLE, &md}}) {
            auto operation = heading ? writer->begin : writer->row;
            in_parts([&, out = out](const cell *cells, int count,
                                    unsigned part) { operation(out->out(), cells, count, part); },
                     row, random);
        }
        if (heading)
            want.begin(row);  // a heading starts a table of its own
        else
            want.row(row, row);
    }
    EXPECT_TRUE(html.bytes() == want.wikitable);
    EXPECT_TRUE(wiki.bytes() == want.wiki);
    EXPECT_TRUE(md.bytes() == want.md);
}

// The Markdown row one cell makes, after the heading and delimiter rows.
static std::string md_row_of(const std::string &text)
{
    memory_output md;
    const cell cells[] = {{text.data(), text.size()}};
    MARKDOWN_TABLE.begin(md.out(), HEADS, 1, WHOLE_ROW);
    MARKDOWN_TABLE.row(md.out(), cells, 1, WHOLE_ROW);
    MARKDOWN_TABLE.end(md.out());
    const std::string all = md.bytes(), head = "| Part |\n| --- |\n";
    EXPECT_EQ(all.substr(0, head.size()), head);
    return all.substr(head.size());
}

TEST(TableWriter, MarkdownCellsReadAsTheirOwnText)
{
    const std::pair<std::string, std::string> cells[] = {
        // Ordinary values stay as they read, trimmed.
        {"  100nF ", "100nF"},
        {"R-EU_0207/10", "R-EU_0207/10"},
        {"\t0.1uF 50V\r\n", "0.1uF 50V"},
        {"C_0805_2012Metric", "C_0805_2012Metric"},
        {"- + = 1. # > ] ! ( )", "- + = 1. # > ] ! ( )"},
        {" \r\n ", ""},
        // Always escaped.
        {"a|b", "a\\|b"},
        {"*x* **y**", "\\*x\\* \\*\\*y\\*\\*"},
        {"`x`", "\\`x\\`"},
        {"[x](y) ![z](w)", "\\[x](y) !\\[z](w)"},
        {"~x~ ~~y~~", "\\~x\\~ \\~\\~y\\~\\~"},
        // Escaped by what follows.
        {"a\\b \\\\ \\| \\* a\\", "a\\b \\\\\\ \\\\\\| \\\\\\* a\\"},
        {"_a_ a_b a__b _ 1_2 a_", "\\_a\\_ a_b a\\_\\_b \\_ 1_2 a\\_"},
        {"\xc3\xa9_b", "\xc3\xa9\\_b"},
        {"&amp; &#35; R&D & x", "\\&amp; \\&#35; R\\&D & x"},
        {"<b> </b> <!-- <?x <http://x> <50V a<3", "\\<b> \\</b> \\<!-- \\<?x \\<http\\://x> <50V a<3"},
        // A bare web address would be made a link by the big sites' renderers.
        {"www.x.com (www.y.org) _www.z https://a.b/c HTTP://D 1ftp://f",
         "www\\.x.com (www\\.y.org) \\_www\\.z https\\://a.b/c HTTP\\://D 1ftp\\://f"},
        {"xwww.a 1www.b Www.c C:\\HW xhttp://c file://d 10:1", "xwww.a 1www.b Www.c C:\\HW xhttp://c file://d 10:1"},
        // A line break inside a cell is a break of its own; CR LF is one.
        {"a\nb\r\nc\rd", "a<br>b<br>c<br>d"},
        {"a \r\n\r\n b", "a <br><br> b"},
        {"a\\\nb", "a\\\\<br>b"},
        {"<br>", "\\<br>"},
    };
    for (const auto &[text, shown] : cells) {
        EXPECT_EQ(md_row_of(text), "| " + shown + " |\n") << text;
        EXPECT_EQ(markdown_cell(text), shown) << text;  // the model the other tests use
    }
}

TEST(TableWriter, MarkdownRowsAreFilledToTheHeading)
{
    memory_output md;
    const cell one[] = {c(" R1 ")}, four[] = {c("a"), c(""), c("c"), c("d")};
    MARKDOWN_TABLE.begin(md.out(), HEADS, 3, WHOLE_ROW);
    MARKDOWN_TABLE.row(md.out(), one, 1, WHOLE_ROW);
    MARKDOWN_TABLE.row(md.out(), nullptr, 0, WHOLE_ROW);
    MARKDOWN_TABLE.row(md.out(), four, 4, WHOLE_ROW);
    MARKDOWN_TABLE.end(md.out());
    EXPECT_EQ(md.bytes(),
              "| Part | Value | Package |\n| --- | --- | --- |\n| R1 |  |  |\n|  |  |  |\n| a |  | c | d |\n");
    memory_output none;
    MARKDOWN_TABLE.begin(none.out(), nullptr, 0, WHOLE_ROW);  // a heading of no cells has one, empty
    EXPECT_EQ(none.bytes(), "|  |\n| --- |\n");
}
