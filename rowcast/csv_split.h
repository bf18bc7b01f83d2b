#ifndef BOMTABLES_CSV_SPLIT_H
#define BOMTABLES_CSV_SPLIT_H

#include "table_writer.h"

// One read of the CSV file: at most CSV_LINE_SIZE - 1 bytes and the NUL.
constexpr int CSV_LINE_SIZE = 4096;
// Every cell of a read starts at a byte of its own, so a read never yields
// more cells than this.
constexpr int CSV_MAX_CELLS = CSV_LINE_SIZE;

// Removes every double quote from the NUL-terminated cell, in place, and
// returns its new length.
size_t strip_quotes(char *cell);

// Splits the heading line at commas (runs of commas are one separator) and
// strips the quotes from each cell. The cells point into the line, which is
// changed. Returns the number of cells.
int split_heading(char *line, cell cells[CSV_MAX_CELLS]);

// A run of rowcast: whether the heading line has been read, and the outputs
// its rows are written to, HTML first and wiki second. Zero-initialised for
// a new run.
struct csv_conversion {
    bool heading_done;
    const table_output *outputs;
    cell cells[CSV_MAX_CELLS];  // the cells of the line at hand
};

// The read loop's line handler for rowcast; the context is a csv_conversion.
// The first line is the heading row, split at commas. Every later line is a
// data row, split at double quotes: a quoted field is a cell whatever its
// first byte, separators (text outside quotes starting with a comma) give no
// cell, an empty quoted field gives an empty one, and the text after
// the last quote (the trailer, normally the newline) is no cell of the table.
// Two quotes inside a field that is closed later on the line are one quote of
// its cell; the line is changed where they stand.
void csv_convert_line(void *conversion, char *line, size_t length);

#endif
