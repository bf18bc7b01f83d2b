#ifndef BOMTABLES_BOM_READER_H
#define BOMTABLES_BOM_READER_H

#include "table_writer.h"

// One read of the export: at most LINE_BUFFER_SIZE - 1 bytes and the NUL.
constexpr int LINE_BUFFER_SIZE = 42048;
constexpr int BOM_COLUMNS = 6;
constexpr int BOM_CELLS = 3;  // Part, Value and Package are written

enum bom_event { BOM_NOTHING, BOM_HEADER, BOM_PART_ROW };

// Finds the header line of an export, then cuts every part line at the
// header's column positions. Reset once per run.
struct bom_reader {
    bool reading;  // the header has been found
    // Where the six names of the schematic's header start; a header of the
    // board's layout (Part, Value, Package and other words) leaves them be.
    int column_start[BOM_COLUMNS];
    // Where each written cell starts and ends, worked out from the header
    // once; an end of CELL_TO_LINE_END is the byte before the line's last.
    size_t cell_from[BOM_CELLS], cell_to[BOM_CELLS];
    // What the notes tell about the lines read.
    long lines;        // physical lines ended so far
    bool in_line;      // the last line handed on goes on in the next
    long digit_lines;  // lines after the header left out for their first byte, a digit
    long first_digit_line;
    // The cells are UTF-8: a line that is not all UTF-8 has them put in `text`.
    bool windows_1252;  // some bytes of the cells were read as Windows-1252
    char text[3 * LINE_BUFFER_SIZE];
};

constexpr size_t CELL_TO_LINE_END = ~size_t{0};

void bom_reader_reset(bom_reader *reader);

// Takes one line as read (its `length` bytes, normally ending with its
// newline; `ends_line` unless it goes on in the next). On a header it gives
// the heading cells, "Part ", "Value " and "Package "; on a part line its
// Part, Value and Package cells in UTF-8, which last as long as the line
// does. A UTF-8 byte-order mark before the first line is dropped.
bom_event bom_reader_line(bom_reader *reader, const char *line, size_t length, bool ends_line, cell cells[BOM_CELLS]);

// A run of bomtab or bomgrid: the reader and the outputs its events are
// written to, in order.
struct bom_conversion {
    bom_reader reader;
    const table_output *outputs;
    int count;
    const char *program;  // the name its notes begin with
};

// The read loop's line handler for both BOM programs; the context is a bom_conversion.
void bom_convert_line(void *conversion, char *line, size_t length, bool ends_line);

// Reads the export to its end through the handler and tells on standard
// error what was not read: false when a read failed.
bool bom_convert(FILE *in, void *conversion);

#endif
