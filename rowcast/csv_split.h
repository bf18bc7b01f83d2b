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

// The cells of a data line, split at double quotes.
struct data_row {
    int count;     // cells found, the trailer included
    bool trailer;  // the last cell is what follows the last field's closing quote
};

// Splits a data line (its `length` bytes) at double quotes. Separators (text
// starting with a comma) give no cell; an empty quoted field gives an empty
// one. The cells point into the line. rowcast's rows come from the same walk
// through the line, put as it goes.
data_row split_data(const char *line, size_t length, cell cells[CSV_MAX_CELLS]);

// A run's progress through the CSV file. Zero-initialised for a new run.
struct csv_reader {
    bool heading_done;
    cell cells[CSV_MAX_CELLS];
};

// Splits one line (the first is the heading row) and writes it to the HTML
// output (outputs[0]) and the wiki output (outputs[1]); the read loop's line
// handler for rowcast.
void csv_convert_line(void *reader, char *line, size_t length, const table_output outputs[], int count);

#endif
