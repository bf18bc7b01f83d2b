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
    // Where each written cell starts and ends, worked out from the column
    // starts once.
    size_t cell_from[BOM_CELLS], cell_to[BOM_CELLS];
};

void bom_reader_reset(bom_reader *reader);

// Takes one line as read (its `length` bytes, normally ending with its
// newline). On a header it gives the heading cells, "Part ", "Value " and
// "Package "; on a part line its Part, Value and Package cells, which point
// into the line and last as long as it does.
bom_event bom_reader_line(bom_reader *reader, const char *line, size_t length, cell cells[BOM_CELLS]);

// A run of bomtab or bomgrid: the reader and the outputs its events are
// written to, in order.
struct bom_conversion {
    bom_reader reader;
    const table_output *outputs;
    int count;
};

// The read loop's line handler for both BOM programs; the context is a bom_conversion.
void bom_convert_line(void *conversion, char *line, size_t length);

// Reads the export to its end through the handler: false when a read failed.
bool bom_convert(FILE *in, void *conversion);

#endif
