#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "run_io.h"

namespace {

struct seen_line {
    std::string text;  // up to its first NUL
    size_t length;     // as handed on
    bool operator==(const seen_line &other) const { return text == other.text && length == other.length; }
};

// The handler's type lets it change the line; this one only reads it.
// NOLINTNEXTLINE(readability-non-const-parameter)
void record(void *context, char *line, size_t length, const table_output[], int)
{
    static_cast<std::vector<seen_line> *>(context)->push_back({line, length});
}

FILE *file_of(const std::string &bytes)
{
    FILE *file = tmpfile();
    EXPECT_NE(file, nullptr);
    EXPECT_EQ(fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    rewind(file);
    return file;
}

// What a loop of fgets with a buffer of `size` bytes reads from the bytes.
std::vector<seen_line> fgets_lines(const std::string &bytes, int size)
{
    std::vector<seen_line> lines;
    FILE *in = file_of(bytes);
    std::vector<char> buffer(static_cast<size_t>(size));
    while (fgets(buffer.data(), size, in) != nullptr)
        lines.push_back({std::string(buffer.data()), strlen(buffer.data())});
    (void)fclose(in);
    return lines;
}

}  // namespace

// Lines of every length up to a few blocks, some with NULs or no newline at
// the end, across many reads: each is handed on as fgets would read it.
TEST(ReadLoop, HandsOnEveryLineAsFgetsReadsIt)
{
    std::mt19937 random(8);
    std::string bytes;
    while (bytes.size() < 5 * static_cast<size_t>(MAX_READ_SIZE)) {
        std::string line(random() % 300, 'a');
        for (char &c : line) {
            unsigned pick = random() % 40;
            c = pick == 0 ? '\0' : pick < 3 ? '"' : static_cast<char>('a' + pick % 26);
        }
        bytes += line + "\n";
        if (random() % 50 == 0)
            bytes += std::string(random() % 9000, random() % 2 == 0 ? 'x' : '\0');
    }
    bytes += "last line without a newline";
    for (int size : {4096, 42048, 100, 2}) {
        SCOPED_TRACE(size);
        std::vector<seen_line> lines;
        FILE *in = file_of(bytes);
        ASSERT_TRUE(convert_lines(in, size, record, &lines, nullptr, 0));
        (void)fclose(in);
        EXPECT_TRUE(lines == fgets_lines(bytes, size));
    }
}
