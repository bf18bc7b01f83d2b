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
    int column_start[BOM_COLUMNS];
    // Where each field of a part line starts and ends, worked out from the
    // column starts once; the last field ends before the line's last byte.
    size_t field_from[BOM_COLUMNS], field_to[BOM_COLUMNS - 1];
    cell field[BOM_COLUMNS];  // the last part line's columns, within that line
};

void bom_reader_reset(bom_reader *reader);

// Takes one line as read (its `length` bytes, normally ending with its
// newline). The fields of a part row point into the line: they last as long
// as it does.
bom_event bom_reader_line(bom_reader *reader, const char *line, size_t length);

// "Part ", "Value " and "Package ".
const cell *bom_heading_cells();

// The Part, Value and Package fields of the last part row.
void bom_row_cells(const bom_reader *reader, cell cells[BOM_CELLS]);

// Hands one line to the reader (a bom_reader) and writes what it reports to
// every output; the read loop's line handler for both BOM programs.
void bom_convert_line(void *reader, char *line, size_t length, const table_output outputs[], int count);

#endif
