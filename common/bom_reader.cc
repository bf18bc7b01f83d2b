#include "bom_reader.h"

#include <cstring>

#include "line_reader.h"

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
// Part, Value and Package; none is the last, so each ends before the next
// column's name. The heading cells are their names, trailing blanks included.
static constexpr int WRITTEN_COLUMNS[BOM_CELLS] = {0, 1, 3};

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
    for (int i = 0; i < BOM_CELLS; i++) {
        int k = WRITTEN_COLUMNS[i];
        reader->cell_from[i] = static_cast<size_t>(k == 0 ? reader->column_start[0] : reader->column_start[k] - 1);
        reader->cell_to[i] = static_cast<size_t>(reader->column_start[k + 1] - 1);
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

bom_event bom_reader_line(bom_reader *reader, const char *line, size_t n, cell cells[BOM_CELLS])
{
    if (n == 0 || !is_ascii_letter(line[0]))
        return BOM_NOTHING;
    if (reader->reading) {
        for (int i = 0; i < BOM_CELLS; i++)
            cells[i] = slice(line, n, reader->cell_from[i], reader->cell_to[i]);
        return BOM_PART_ROW;
    }
    if (!find_header(reader, line, n))
        return BOM_NOTHING;
    reader->reading = true;
    for (int i = 0; i < BOM_CELLS; i++)
        cells[i] = COLUMN_NAMES[WRITTEN_COLUMNS[i]];
    return BOM_HEADER;
}

void bom_convert_line(void *context, char *line, size_t length)
{
    auto *run = static_cast<bom_conversion *>(context);
    cell cells[BOM_CELLS];
    bom_event event = bom_reader_line(&run->reader, line, length, cells);
    if (event == BOM_PART_ROW) {
        for (int i = 0; i < run->count; i++)
            run->outputs[i].writer->row(run->outputs[i].out, cells, BOM_CELLS, WHOLE_ROW);
    } else if (event == BOM_HEADER) {
        for (int i = 0; i < run->count; i++)
            run->outputs[i].writer->begin(run->outputs[i].out, cells, BOM_CELLS, WHOLE_ROW);
    }
}

bool bom_convert(FILE *in, void *conversion)
{
    return read_lines(in, LINE_BUFFER_SIZE, bom_convert_line, conversion);
}
