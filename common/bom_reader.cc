#include "bom_reader.h"

#include <cstring>

static constexpr cell column_name(const char *text)
{
    size_t n = 0;
    while (text[n] != '\0')
        n++;
    return {text, n};
}

static constexpr cell COLUMN_NAMES[BOM_COLUMNS] = {column_name("Part "),    column_name("Value "),
                                                   column_name("Device "),  column_name("Package "),
                                                   column_name("Library "), column_name("Sheet")};
static constexpr int WRITTEN_COLUMNS[BOM_CELLS] = {0, 1, 3};  // Part, Value, Package; none is the last
// The heading cells are the written columns' names, trailing blanks included.
static constexpr cell HEADING_CELLS[BOM_CELLS] = {COLUMN_NAMES[WRITTEN_COLUMNS[0]], COLUMN_NAMES[WRITTEN_COLUMNS[1]],
                                                  COLUMN_NAMES[WRITTEN_COLUMNS[2]]};

void bom_reader_reset(bom_reader *reader)
{
    reader->reading = false;
}

// Only ASCII letters open a header or a part line, whatever the locale.
static bool is_ascii_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Looks for the six column names in order; a name may start right after the
// first byte of the previous one. Stores their positions when all are there.
static bool find_header(bom_reader *reader, const char *line, size_t n)
{
    int j = 0;
    for (size_t k = 0; k < n && j < BOM_COLUMNS; k++) {
        const cell &name = COLUMN_NAMES[j];
        if (line[k] == name.text[0] && k + name.length <= n && memcmp(line + k, name.text, name.length) == 0) {
            reader->column_start[j] = static_cast<int>(k);
            j++;
        }
    }
    if (j < BOM_COLUMNS)
        return false;
    // Each field after the first starts one byte before its column's name,
    // where the alignment blank is, and ends two bytes before the next
    // column's name.
    const int *start = reader->column_start;
    reader->field_from[0] = static_cast<size_t>(start[0]);
    for (int k = 1; k < BOM_COLUMNS; k++) {
        reader->field_from[k] = static_cast<size_t>(start[k] - 1);
        reader->field_to[k - 1] = reader->field_from[k];
    }
    return true;
}

// The bytes [from, to) of the line, cut short at its end.
static cell slice(const char *line, size_t n, size_t from, size_t to)
{
    if (to > n)
        to = n;
    return from < to ? cell{line + from, to - from} : cell{"", 0};
}

// The last byte is the line's newline; it belongs to no column.
static void cut_part_line(bom_reader *reader, const char *line, size_t n)
{
    for (int k = 0; k < BOM_COLUMNS - 1; k++)
        reader->field[k] = slice(line, n, reader->field_from[k], reader->field_to[k]);
    reader->field[BOM_COLUMNS - 1] = slice(line, n, reader->field_from[BOM_COLUMNS - 1], n - 1);
}

bom_event bom_reader_line(bom_reader *reader, const char *line, size_t n)
{
    if (n == 0 || !is_ascii_letter(line[0]))
        return BOM_NOTHING;
    if (reader->reading) {
        cut_part_line(reader, line, n);
        return BOM_PART_ROW;
    }
    if (!find_header(reader, line, n))
        return BOM_NOTHING;
    reader->reading = true;
    return BOM_HEADER;
}

const cell *bom_heading_cells()
{
    return HEADING_CELLS;
}

void bom_row_cells(const bom_reader *reader, cell cells[BOM_CELLS])
{
    for (int i = 0; i < BOM_CELLS; i++)
        cells[i] = reader->field[WRITTEN_COLUMNS[i]];
}

void bom_convert_line(void *context, char *line, size_t length, const table_output outputs[], int count)
{
    auto *reader = static_cast<bom_reader *>(context);
    if (reader->reading && length > 0 && is_ascii_letter(line[0])) {
        // A part line, as bom_reader_line would take it, but with only the
        // written fields cut: part lines are nearly every line there is.
        cell cells[BOM_CELLS];
        for (int i = 0; i < BOM_CELLS; i++) {
            int k = WRITTEN_COLUMNS[i];
            cells[i] = slice(line, length, reader->field_from[k], reader->field_to[k]);
        }
        for (int i = 0; i < count; i++)
            outputs[i].writer->row(outputs[i].out, cells, BOM_CELLS);
    } else if (bom_reader_line(reader, line, length) == BOM_HEADER) {
        for (int i = 0; i < count; i++)
            outputs[i].writer->begin(outputs[i].out, HEADING_CELLS, BOM_CELLS);
    }
}
