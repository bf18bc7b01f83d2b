#ifndef BOMTABLES_FUZZ_IO_H
#define BOMTABLES_FUZZ_IO_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "run_io.h"

// A broken invariant is a finding: say which, and stop the way a sanitizer does.
[[noreturn]] void fuzz_finding(const char *file, int line, const char *condition);
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            fuzz_finding(__FILE__, __LINE__, #condition);                                                              \
    } while (0)

using texts = std::vector<std::string>;

// The file a run reads. An input whose first byte has its top bit set is
// repeated until it spans several reads of the loop, so that lines also
// straddle the boundaries between them.
std::string fuzz_stream(const uint8_t *data, size_t size);

// The lines as fgets into a buffer of `size` bytes hands them over, each up
// to its first NUL: what the programs' read loop must hand its handler.
texts fgets_lines(const std::string &stream, int size);

// What the read loop handed over and what each output file holds at the end.
struct loop_result {
    texts lines;
    std::string files[2];
};

// Runs the programs' read loop over `stream` as a file, with one in-memory
// output per writer (at most two), and finishes every output.
loop_result run_read_loop(const std::string &stream, int size, line_handler handle, void *context,
                          const table_writer *const writers[], int count);

std::string text_of(const cell &c);

// True when the cell's bytes lie within the first `length` bytes of `line`
// (an empty cell may be a text of its own).
bool cell_within(const cell &c, const char *line, size_t length);

// The three tables spelled out plainly, row by row, to compare with the
// writers' output.
struct plain_tables {
    std::string wikitable, wiki, div;
    void begin(const texts &heads);
    void row(const texts &html_cells, const texts &wiki_cells);
    void end();
};

#endif
