#ifndef BOMTABLES_CSV_SPLIT_H
#define BOMTABLES_CSV_SPLIT_H

#include "table_writer.h"
#include "text_input.h"

// The most cells of a row handed to the writers at once: a row with more
// reaches them in parts.
constexpr int CSV_MAX_CELLS = 4096;
// The text held at once; a row longer than half of it reaches the writers
// in parts.
constexpr size_t CSV_TEXT_SIZE = 2 * TEXT_PIECE_MOST;
// How many rows at the start are looked at to tell a preamble from the
// heading.
constexpr int CSV_LOOKAHEAD_ROWS = 64;

constexpr int CSV_OUTPUTS = 3;

enum csv_state { CSV_AT_FIELD, CSV_BARE, CSV_QUOTED, CSV_AFTER_QUOTE };

// What the rows at the start hold, to tell a preamble from the heading.
struct csv_row_count {
    long filled;       // fields that are not empty
    bool quoted;       // every field is quoted
    bool after_empty;  // an empty line comes before it
};

// A run of rowcast. Zero-initialised, with `outputs` set, for a new run.
struct csv_conversion {
    const table_output *outputs;  // CSV_OUTPUTS of them: HTML, wiki, Markdown
    text_input input;
    // The text held is [0, end); `pos` is the next byte to look at and
    // `row_from` where the row at hand starts.
    size_t end, pos, row_from;
    // The field at hand: its text so far is [field_from, field_to), with
    // the quotes that are no part of it taken out; `quote_at` is a quote not
    // yet known to close it.
    size_t field_from, field_to, quote_at;
    cell cells[CSV_MAX_CELLS];  // the row's cells so far, in the text held
    long fields, filled;
    long line, row_line, quote_line;  // line numbers, from 1
    long rows;                        // rows ended, empty lines not counted
    long skip;                        // rows still to be left out as a preamble
    long heading_fields, other_rows, other_line, other_fields;
    csv_row_count counted[CSV_LOOKAHEAD_ROWS];
    csv_state state;
    int count;
    unsigned part;  // where the next part of the row at hand stands
    char separator;
    bool counting;   // rows are counted, not written
    bool in_quotes;  // the field at hand is quoted
    bool quoted, empty_line;
    bool heading_done;
    bool unclosed;
    char text[CSV_TEXT_SIZE + 1];  // and a newline after the text, where a search stops
};

// Reads the CSV file to its end and writes its tables: false when a read
// failed. The context is a csv_conversion.
bool csv_convert(FILE *in, void *conversion);

#endif
