#ifndef BOMTABLES_TABLE_WRITER_H
#define BOMTABLES_TABLE_WRITER_H

#include <cstdio>

// The three table flavours share one shape: a heading row, data rows, an end.
// Every operation on an absent output (nullptr) does nothing.
struct table_writer {
    void (*begin)(FILE *out, const char *const heads[], int count);
    void (*row)(FILE *out, const char *const cells[], int count);
    void (*end)(FILE *out);
};

extern const table_writer HTML_WIKITABLE;  // bomtab and rowcast, --html
extern const table_writer WIKI_MARKUP;     // bomtab and rowcast, --wiki
extern const table_writer HTML_DIV_TABLE;  // bomgrid

// One open output and the flavour written to it.
struct table_output {
    const table_writer *writer;
    FILE *file;
};

#endif
