#ifndef BOMTABLES_TABLE_WRITER_H
#define BOMTABLES_TABLE_WRITER_H

#include "output_buffer.h"

// A cell's bytes as they are written: never escaped, not NUL-terminated.
struct cell {
    const char *text;
    size_t length;
};

// The three table flavours share one shape: a heading row, data rows, an end.
// Every operation on an absent output (nullptr) does nothing.
struct table_writer {
    void (*begin)(output_buffer *out, const cell heads[], int count);
    void (*row)(output_buffer *out, const cell cells[], int count);
    void (*end)(output_buffer *out);
};

extern const table_writer HTML_WIKITABLE;  // bomtab and rowcast, --html
extern const table_writer WIKI_MARKUP;     // bomtab and rowcast, --wiki
extern const table_writer HTML_DIV_TABLE;  // bomgrid

// One output and the flavour written to it.
struct table_output {
    const table_writer *writer;
    output_buffer *out;
};

// Writes the end of the table, then flushes and closes the output. False
// when it was not written completely and has no message to end the run with.
bool finish_table(const table_output &output);

#endif
