#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "line_reader.h"
#include "plain_tables.h"

namespace {

// The handler's type lets it change the line; this one only reads it.
// NOLINTNEXTLINE(readability-non-const-parameter)
struct recorded {
    texts lines;
    size_t physical_lines = 0;  // lines handed on that end one
};

void record(void *context, char *line, size_t length, bool ends_line)
{
    EXPECT_EQ(length, strlen(line));
    auto *seen = static_cast<recorded *>(context);
    seen->lines.emplace_back(line);
    seen->physical_lines += ends_line;
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
    FILE *in = tmpfile();
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), in), bytes.size());
    for (int size : {4096, 42048, 100, 2}) {
        SCOPED_TRACE(size);
        rewind(in);
        recorded seen;
        ASSERT_TRUE(read_lines(in, size, record, &seen));
        EXPECT_TRUE(seen.lines == fgets_lines(bytes, size));
        // Each newline ends one, and so does the end of the input.
        EXPECT_EQ(seen.physical_lines, static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    }
    (void)fclose(in);
}
