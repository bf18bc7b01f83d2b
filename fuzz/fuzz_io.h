#ifndef BOMTABLES_FUZZ_IO_H
#define BOMTABLES_FUZZ_IO_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "line_reader.h"
#include "plain_tables.h"
#include "table_writer.h"

// A broken invariant is a finding: say which, and stop the way a sanitizer does.
[[noreturn]] void fuzz_finding(const char *file, int line, const char *condition);
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            fuzz_finding(__FILE__, __LINE__, #condition);                                                              \
    } while (0)

// The file a run reads. An input whose first byte has its top bit set is
// repeated until it spans several reads of the loop, so that lines also
// straddle the boundaries between them.
std::string fuzz_stream(const uint8_t *data, size_t size);

// What the read loop handed over and what each output file holds at the end.
// The most outputs of one run: HTML, wiki and Markdown.
constexpr int FUZZ_OUTPUTS = 3;

struct loop_result {
    texts lines;
    std::string files[FUZZ_OUTPUTS];
};

// Runs the programs' read loop over `stream` as a file, with one in-memory
// output per writer (at most two) attached as the handler's `outputs`, and
// finishes every output.
// Runs a whole conversion (`convert`, as a program's front end calls it) over
// `stream` as a file, likewise.
loop_result run_conversion(const std::string &stream, bool (*convert)(FILE *, void *), void *context,
                           table_output outputs[], const table_writer *const writers[], int count);

loop_result run_read_loop(const std::string &stream, int size, line_handler handle, void *context,
                          table_output outputs[], const table_writer *const writers[], int count);

#endif
