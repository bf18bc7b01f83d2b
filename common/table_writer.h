#ifndef BOMTABLES_TABLE_WRITER_H
#define BOMTABLES_TABLE_WRITER_H

#include "output_buffer.h"

// A cell's bytes as they are written: never escaped, not NUL-terminated.
struct cell {
    const char *text;
    size_t length;
};

// A row reaches the writers whole, or in parts when it is longer than a
// program holds at once. Each part says where it stands in its row.
enum row_part : unsigned {
    ROW_STARTS = 1,
    ROW_ENDS = 2,
    FIRST_CELL_GOES_ON = 4,  // its first cell is the rest of the last one before
    LAST_CELL_GOES_ON = 8,   // its last cell goes on in the next part
    // A line break inside a cell of the part is written as a break of the
    // cell's own ("<br>"), so that it ends no line of the table; the line's
    // end that closes a complete last cell stays as it is.
    CELLS_BREAK_LINES = 16,
};
constexpr unsigned WHOLE_ROW = ROW_STARTS | ROW_ENDS;

// The table flavours share one shape: the table's start with its
// heading row, data rows, an end. Every operation on an absent output
// (nullptr) does nothing.
struct table_writer {
    void (*begin)(output_buffer *out, const cell heads[], int count, unsigned part);
    void (*row)(output_buffer *out, const cell cells[], int count, unsigned part);
    void (*end)(output_buffer *out);
};

extern const table_writer HTML_WIKITABLE;  // bomtab and rowcast, --html
extern const table_writer WIKI_MARKUP;     // bomtab and rowcast, --wiki
extern const table_writer HTML_DIV_TABLE;  // bomgrid
extern const table_writer MARKDOWN_TABLE;  // bomtab and rowcast, --md

// One output and the flavour written to it.
struct table_output {
    const table_writer *writer;
    output_buffer *out;
};

// Writes the end of the table, then flushes and closes the output. False
// when it was not written completely and has no message to end the run with.
bool finish_table(const table_output &output);

#endif
