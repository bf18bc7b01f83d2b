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
        return bom_reader_line(&reader, held.c_str(), strlen(held.c_str()), cells);
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
    EXPECT_EQ(feed("Parts Value Device Package Library Sheet\n"), BOM_NOTHING);    // "Parts" is not "Part "
    EXPECT_EQ(feed(" Part Value Device Package Library Sheet\n"), BOM_NOTHING);    // leading blank
    EXPECT_EQ(feed("Value Part Device Package Library Sheet\n"), BOM_NOTHING);     // out of order
    EXPECT_EQ(feed("Part Value Package Library Position (inch)\n"), BOM_NOTHING);  // a board's list
    EXPECT_EQ(feed("Part Value Device Package Library\n"), BOM_NOTHING);           // no Sheet
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
