#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bom_reader.h"

// Names at 0, 9, 24, 39, 49 and 59, as an export aligns them.
static const std::string HEADER = "Part     Value          Device         Package   Library   Sheet\n";

static std::string text(const cell &c)
{
    return std::string(c.text, c.length);
}

class BomReader : public ::testing::Test {
  protected:
    void SetUp() override { bom_reader_reset(&reader); }
    // The cells point into the line, so the last line is kept.
    bom_event feed(const std::string &line)
    {
        held = line;
        return bom_reader_line(&reader, held.c_str(), strlen(held.c_str()), true, cells);
    }
    std::vector<std::string> texts() const { return {text(cells[0]), text(cells[1]), text(cells[2])}; }
    std::string held;
    cell cells[BOM_CELLS] = {};
    bom_reader reader = {};
};

TEST_F(BomReader, FindsTheHeaderAndItsColumns)
{
    EXPECT_EQ(feed("Partlist\n"), BOM_NOTHING);
    EXPECT_EQ(feed("Exported from board.sch\n"), BOM_NOTHING);
    EXPECT_EQ(feed(HEADER), BOM_HEADER);
    const int expected[BOM_COLUMNS] = {0, 9, 24, 39, 49, 59};
    for (int k = 0; k < BOM_COLUMNS; k++)
        EXPECT_EQ(reader.column_start[k], expected[k]) << k;
    EXPECT_EQ(texts(), (std::vector<std::string>{"Part ", "Value ", "Package "}));
}

TEST_F(BomReader, RejectsLinesThatAreNotTheHeader)
{
    EXPECT_EQ(feed("Parts Value Device Package Library Sheet\n"), BOM_NOTHING);  // "Parts" is not "Part "
    EXPECT_EQ(feed(" Part Value Device Package Library Sheet\n"), BOM_NOTHING);  // leading blank
    EXPECT_EQ(feed("Value Part Device Package Library Sheet\n"), BOM_NOTHING);   // out of order
    EXPECT_EQ(feed("Part Value Device Package Library\n"), BOM_NOTHING);         // no Sheet
    EXPECT_EQ(feed("part value device package library sheet\n"), BOM_NOTHING);
    // A partial match leaves nothing behind: the next full header is found.
    EXPECT_EQ(feed("Part Value Device Package Library Sheet\n"), BOM_HEADER);
    EXPECT_EQ(reader.column_start[5], 34);
}

TEST_F(BomReader, FindsSheetWithoutATrailingBlankOrNewline)
{
    EXPECT_EQ(feed("Part Value Device Package Library Sheet"), BOM_HEADER);
    EXPECT_EQ(feed("Part Value Device Package Library Shee\n"), BOM_PART_ROW);  // now a part line
}

TEST_F(BomReader, CutsFieldsOneByteBeforeEachColumn)
{
    ASSERT_EQ(feed(HEADER), BOM_HEADER);
    //                  0        9              24             39        49        59
    const std::string line = "C1       100nF          C-EUC0603      C0603     rcl       1\n";
    ASSERT_EQ(feed(line), BOM_PART_ROW);
    EXPECT_EQ(texts(), (std::vector<std::string>{"C1      ", " 100nF         ", " C0603    "}));
}

TEST_F(BomReader, CutsShortLines)
{
    ASSERT_EQ(feed(HEADER), BOM_HEADER);
    // Only a part name: field 0 runs to the end of the line, newline included.
    ASSERT_EQ(feed("C1\n"), BOM_PART_ROW);
    EXPECT_EQ(texts(), (std::vector<std::string>{"C1\n", "", ""}));
    // Ending inside the Value column: the newline stays in the Value cell.
    ASSERT_EQ(feed("R1       10k\n"), BOM_PART_ROW);
    EXPECT_EQ(texts(), (std::vector<std::string>{"R1      ", " 10k\n", ""}));
    // The last line of a file without a newline: the written cells are whole.
    ASSERT_EQ(feed("R2       1k             R-EU           R0603     rcl       12"), BOM_PART_ROW);
    EXPECT_EQ(texts(), (std::vector<std::string>{"R2      ", " 1k            ", " R0603    "}));
    // A one-byte line: every field but the first is empty.
    ASSERT_EQ(feed("X"), BOM_PART_ROW);
    EXPECT_EQ(texts(), (std::vector<std::string>{"X", "", ""}));
}

TEST_F(BomReader, DropsBytesBeforeTheFirstColumn)
{
    ASSERT_EQ(feed("Notes: Part Value Device Package Library Sheet\n"), BOM_HEADER);
    ASSERT_EQ(reader.column_start[0], 7);
    ASSERT_EQ(feed("abcdefgC1   10k   R-EU   R0603   rcl     1\n"), BOM_PART_ROW);
    EXPECT_EQ(texts(), (std::vector<std::string>{"C1  ", " 10k  ", " R0603  "}));
    ASSERT_EQ(feed("abc\n"), BOM_PART_ROW);  // ends before the first column
    EXPECT_EQ(texts(), (std::vector<std::string>{"", "", ""}));
}

TEST_F(BomReader, PassesOnlyLinesStartingWithAnAsciiLetter)
{
    EXPECT_EQ(feed("\n"), BOM_NOTHING);
    EXPECT_EQ(feed(""), BOM_NOTHING);
    EXPECT_EQ(feed(" " + HEADER), BOM_NOTHING);
    EXPECT_EQ(feed("\xb5" + HEADER), BOM_NOTHING);
    ASSERT_EQ(feed(HEADER), BOM_HEADER);
    for (const char *skipped :
         {"\n", "\r\n", " C1       1k\n", "3V3      LED\n", "!RESET!  pad\n", "* R1\n", "\xc2\xb5  x\n", "=========\n"})
        EXPECT_EQ(feed(skipped), BOM_NOTHING) << skipped;
    EXPECT_EQ(feed("z\n"), BOM_PART_ROW);
    EXPECT_EQ(feed("Z\n"), BOM_PART_ROW);
}

TEST_F(BomReader, NeverSearchesAgainOnceTheHeaderIsFound)
{
    ASSERT_EQ(feed(HEADER), BOM_HEADER);
    ASSERT_EQ(feed(HEADER), BOM_PART_ROW);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Part    ", " Value         ", " Package  "}));
    EXPECT_EQ(reader.column_start[1], 9);  // the columns stay those of the first header
}

TEST_F(BomReader, StopsAtANulByte)
{
    ASSERT_EQ(feed(HEADER), BOM_HEADER);
    std::string line = "C1       10" + std::string(1, '\0') + "k      R-EU    R0603\n";
    ASSERT_EQ(feed(line), BOM_PART_ROW);
    EXPECT_EQ(texts(), (std::vector<std::string>{"C1      ", " 10", ""}));
}

TEST_F(BomReader, CutsLinesAsLongAsTheBuffer)
{
    ASSERT_EQ(feed(HEADER), BOM_HEADER);
    std::string line(LINE_BUFFER_SIZE - 1, 'x');
    ASSERT_EQ(feed(line), BOM_PART_ROW);
    EXPECT_EQ(texts(), (std::vector<std::string>{std::string(8, 'x'), std::string(15, 'x'), std::string(10, 'x')}));
}

// The board's partlist and older or edited lists: Part first, then Value
// and Package among other words. Each column ends where the header's next
// word starts; a last one at the line's last byte.
TEST_F(BomReader, TakesTheOtherHeaderLayouts)
{
    struct layout {
        const char *header, *line;
        std::vector<std::string> cells;
    };
    const layout layouts[] = {
        {"Part     Value          Package       Library  Position (mil)        Orientation\n",
         "C1       100nF          C0603         rcl      (1000 2000)           R0\n",
         {"C1      ", " 100nF         ", " C0603        "}},
        {"Part  Value  Device  Package  Description\n",
         "R1    1k     R-EU    0603     resistor\n",
         {"R1   ", " 1k    ", " 0603    "}},
        {"Part Value Package\r\n", "R1   1k    R0603 x\r\n", {"R1  ", " 1k   ", " R0603 x\r"}},  // Package last
        {"Part     Value   Package\tDigi-Key PN\n",
         "LED1     WHITE   1206    475-1234\n",
         {"LED1    ", " WHITE  ", " 1206   "}},
    };
    for (const layout &l : layouts) {
        SetUp();
        ASSERT_EQ(feed(l.header), BOM_HEADER) << l.header;
        EXPECT_EQ(texts(), (std::vector<std::string>{"Part ", "Value ", "Package "}));
        ASSERT_EQ(feed(l.line), BOM_PART_ROW);
        EXPECT_EQ(texts(), l.cells) << l.header;
    }
    // Not such a header: Partlist or Parts, names out of order or joined to
    // other text, and a line that names Device and Library as well (the
    // usual header with a column missing), after which the real one is taken.
    SetUp();
    for (const char *line : {"Partlist Value Package\n", "Parts Value Package\n", "Part Package Value\n",
                             "Part Values Package\n", "Part Value Package:\n", "Part Value Device Package Library\n"})
        EXPECT_EQ(feed(line), BOM_NOTHING) << line;
    EXPECT_EQ(feed(HEADER), BOM_HEADER);
    EXPECT_EQ(reader.column_start[5], 59);
    // The six names win where both would take a line: here Package ends
    // before "Library ", inside the word XLibrary.
    SetUp();
    ASSERT_EQ(feed("Part Value XDevice Package XLibrary Sheet\n"), BOM_HEADER);
    ASSERT_EQ(feed("R1   1k    R-EU     0603    rcl      1\n"), BOM_PART_ROW);
    EXPECT_EQ(texts()[2], "  0603   ");
}

// The cells are UTF-8: valid sequences of the line stay as they are, even
// where a column boundary cuts one; every other byte is its Windows-1252
// character. A byte-order mark before the header is dropped.
TEST_F(BomReader, GivesUtf8Cells)
{
    ASSERT_EQ(feed("\xEF\xBB\xBFPart   Value     Package\n"), BOM_HEADER);  // columns at 0, 7 and 17
    const struct {
        const char *line;
        std::vector<std::string> cells;
    } lines[] = {
        {"C1     1k        0603\n", {"C1    ", " 1k       ", " 0603"}},
        {"C1     1\xC2\xB5 \xE2\x84\xA6  \xF0\x9F\x94\x8C\n",
         {"C1    ", " 1\xC2\xB5 \xE2\x84\xA6  ", "\xF0\x9F\x94\x8C"}},
        {"C1     1\xB5       \xB0"
         "C\n",
         {"C1    ", " 1\xC2\xB5       ",
          "\xC2\xB0"
          "C"}},
        {"X\x81\x8D\x8F\x90\x9D \x80\n", {"X\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", " \xE2\x82\xAC\n", ""}},
        {"C1     12345678\xE2\x82\xAC"
         "10\n",
         {"C1    ", " 12345678\xE2",
          "\x82\xAC"
          "10"}},                                                          // cut by a column
        {"C1     \xE2\x82\n", {"C1    ", " \xC3\xA2\xE2\x80\x9A\n", ""}},  // never finished
    };
    for (const auto &l : lines) {
        ASSERT_EQ(feed(l.line), BOM_PART_ROW);
        EXPECT_EQ(texts(), l.cells) << l.line;
    }
    EXPECT_TRUE(reader.windows_1252);
}
