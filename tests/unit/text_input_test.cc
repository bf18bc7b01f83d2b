#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "text_input.h"

namespace {

struct decoded {
    std::string text;
    text_input input;
};

// Reads `bytes` as a file through text_read to its end.
decoded read_text(const std::string &bytes)
{
    FILE *file = tmpfile();
    EXPECT_NE(file, nullptr);
    EXPECT_EQ(fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    rewind(file);
    decoded d;
    text_open(&d.input, file);
    static std::vector<char> piece(TEXT_PIECE_MOST);
    long got;
    while ((got = text_read(&d.input, piece.data())) > 0)
        d.text.append(piece.data(), static_cast<size_t>(got));
    EXPECT_EQ(got, 0);
    (void)fclose(file);
    return d;
}

std::string utf16(const std::u16string &text, bool big)
{
    std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        bytes += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

}  // namespace

TEST(TextInput, KeepsUtf8AndReadsOtherBytesAsWindows1252)
{
    const std::string utf8 = "R1,10k\n\xC2\xB5 \xE2\x84\xA6 \xF0\x9F\x94\x8C\n";  // µ, Ω, a 4-byte character
    decoded plain = read_text(utf8);
    EXPECT_EQ(plain.text, utf8);
    EXPECT_FALSE(plain.input.windows_1252);
    EXPECT_EQ(plain.input.encoding, TEXT_UTF8);

    decoded latin = read_text("10\xB5"
                              "F 90\xB0 \x80 \x81\x8D\x8F\x90\x9D \xE9t\xE9");
    EXPECT_EQ(latin.text, "10\xC2\xB5"
                          "F 90\xC2\xB0 \xE2\x82\xAC \xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D \xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(latin.input.windows_1252);

    // Sequences that are no UTF-8: cut short, overlong, a surrogate, past U+10FFFF.
    EXPECT_EQ(read_text("\xC2").text, "\xC3\x82");
    EXPECT_EQ(read_text("\xC0\xAF").text, "\xC3\x80\xC2\xAF");
    EXPECT_EQ(read_text("\xED\xA0\x80").text, "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
    EXPECT_EQ(read_text("\xF4\x90\x80\x80").text, "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC");
}

TEST(TextInput, DropsAByteOrderMarkAndReplacesNuls)
{
    EXPECT_EQ(read_text("\xEF\xBB\xBFPart\n").text, "Part\n");
    EXPECT_EQ(read_text("a\xEF\xBB\xBF").text, "a\xEF\xBB\xBF");  // only at the start
    EXPECT_EQ(read_text(std::string("a\0b", 3)).text, "a\xEF\xBF\xBD"
                                                      "b");
    EXPECT_EQ(read_text("").text, "");
    EXPECT_EQ(read_text("\xEF\xBB").text, "\xC3\xAF\xC2\xBB");
}

TEST(TextInput, ReadsUtf16OfBothByteOrders)
{
    const std::u16string text = u"No.\tValue\r\n10\u03BCF 4k7\u03A9 \U0001F50C\n";
    const std::string utf8 = "No.\tValue\n10\xCE\xBC"
                             "F 4k7\xCE\xA9 \xF0\x9F\x94\x8C\n";  // read as text
    for (bool big : {false, true}) {
        decoded d = read_text(utf16(text, big));
        EXPECT_EQ(d.text, utf8);
        EXPECT_EQ(d.input.encoding, big ? TEXT_UTF16BE : TEXT_UTF16LE);
    }
    // A lone surrogate and an odd last byte are replacement characters.
    EXPECT_EQ(read_text(std::string("\xFF\xFE\x00\xD8\x41\x00\x42", 7)).text, "\xEF\xBF\xBD"
                                                                              "A\xEF\xBF\xBD");
}

// Text of many reads, with sequences cut at every place between two reads.
TEST(TextInput, SequencesCutBetweenReadsStayWhole)
{
    std::string utf8, latin;
    std::u16string units;
    while (utf8.size() < size_t{3} * 65536) {
        utf8 += "ab\xC2\xB5\xE2\x84\xA6\xF0\x9F\x94\x8C";
        latin += "ab\xB5";
        units += u"a\u00B5\U0001F50C";
    }
    EXPECT_EQ(read_text(utf8).text, utf8);
    std::string latin_utf8;
    for (char c : latin)
        latin_utf8 += c == '\xB5' ? std::string("\xC2\xB5") : std::string(1, c);
    EXPECT_EQ(read_text(latin).text, latin_utf8);
    std::string units_utf8;
    for (size_t i = 0; i < units.size() / 4; i++)
        units_utf8 += "a\xC2\xB5\xF0\x9F\x94\x8C";
    EXPECT_EQ(read_text(utf16(units, false)).text, units_utf8);
}
