#include "bom_reader.h"

#include <cstring>

#include "line_reader.h"
#include "note.h"
#include "utf8.h"

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
    reader->lines = 0;
    reader->in_line = false;
    reader->digit_lines = 0;
    reader->windows_1252 = false;
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

static bool is_gap(char c)
{
    return c == ' ' || c == '\t';
}

static bool ends_word(const char *line, size_t n, size_t k)
{
    return k == n || is_gap(line[k]) || line[k] == '\r' || line[k] == '\n';
}

// Where the word `word` stands on the header line from `from` on, with a
// blank or tab before it and a blank, tab or the line's end after it; n when
// it does not.
static size_t find_word(const char *line, size_t n, size_t from, const char *word)
{
    size_t length = strlen(word);
    for (size_t k = from > 0 ? from : 1; k + length <= n; k++) {
        if (is_gap(line[k - 1]) && memcmp(line + k, word, length) == 0 && ends_word(line, n, k + length))
            return k;
    }
    return n;
}

// Where the header's next word starts after the word at `at`, which is
// where the column under that word ends; CELL_TO_LINE_END when none follows.
static size_t next_word(const char *line, size_t n, size_t at)
{
    while (at < n && !ends_word(line, n, at))
        at++;
    while (at < n && (is_gap(line[at]) || line[at] == '\r' || line[at] == '\n'))
        at++;
    return at < n ? at : CELL_TO_LINE_END;
}

// The board's partlist and older or edited lists name Part first, then
// Value and Package among other words: the columns under those three are
// cut as the schematic's are. A line that also names Device and Library is
// the schematic's header with a column missing or added, not one of these.
static bool find_other_header(bom_reader *reader, const char *line, size_t n)
{
    if (n < 5 || memcmp(line, "Part", 4) != 0 || !is_gap(line[4]))
        return false;
    size_t value = find_word(line, n, 5, "Value");
    size_t package = value < n ? find_word(line, n, value + 5, "Package") : n;
    if (package == n || (find_word(line, n, 5, "Device") < n && find_word(line, n, 5, "Library") < n))
        return false;
    const size_t starts[BOM_CELLS] = {0, value, package};
    for (int i = 0; i < BOM_CELLS; i++) {
        size_t next = next_word(line, n, starts[i]);
        reader->cell_from[i] = i == 0 ? 0 : starts[i] - 1;
        reader->cell_to[i] = next == CELL_TO_LINE_END ? next : next - 1;
    }
    return true;
}

// The bytes [from, to) of the line, cut short at its end.
static cell slice(const char *line, size_t n, size_t from, size_t to)
{
    if (to == CELL_TO_LINE_END)
        to = n - 1;
    if (to > n)
        to = n;
    return from < to ? cell{line + from, to - from} : cell{"", 0};
}

// How the byte at `k` of the line reads: as part of a valid UTF-8 sequence
// of `*length` bytes (true), or alone as Windows-1252 (false). A sequence
// that the end of a line cut short of a physical line's end is taken as
// valid: the next line finishes it.
static bool read_sequence(const unsigned char *line, size_t n, size_t k, bool ends_line, size_t *length)
{
    if (line[k] < 0x80) {
        *length = 1;
        return true;
    }
    int got = utf8_sequence(line + k, n - k);
    *length = got > 0 ? static_cast<size_t>(got) : got < 0 && !ends_line ? n - k : 1;
    return got > 0 || (got < 0 && !ends_line);
}

// Puts the part of the cell `c` of the line that is not all UTF-8 into
// `to`: the bytes of valid sequences of the line (a sequence may start
// before the cell or end after it) as they are, every other byte as its
// Windows-1252 character; returns the end of what was put.
static char *put_cell_text(const unsigned char *line, size_t n, bool ends_line, const cell &c, char *to)
{
    size_t k = 0;
    const size_t from = static_cast<size_t>(reinterpret_cast<const unsigned char *>(c.text) - line);
    const size_t end = from + c.length;
    while (k < end) {
        size_t length;
        bool valid = read_sequence(line, n, k, ends_line, &length);
        if (valid) {
            size_t a = k > from ? k : from, b = k + length < end ? k + length : end;
            if (a < b) {
                memcpy(to, line + a, b - a);
                to += b - a;
            }
        } else if (k >= from) {
            to = put_windows_1252(to, line[k]);
        }
        k += length;
    }
    return to;
}

// Makes the part line's cells UTF-8 when the line is not all UTF-8. A
// part line begins with a letter, so no sequence of it began on the line
// before.
static void recode_cells(bom_reader *reader, const char *text, size_t n, bool ends_line, cell cells[BOM_CELLS])
{
    const auto *line = reinterpret_cast<const unsigned char *>(text);
    bool all_utf8 = true;
    for (size_t k = 0; k < n;) {
        k += ascii_run(line + k, n - k);
        if (k == n)
            break;
        size_t length;
        all_utf8 = read_sequence(line, n, k, ends_line, &length) && all_utf8;
        k += length;
    }
    if (all_utf8)
        return;
    reader->windows_1252 = true;
    char *to = reader->text;
    for (int i = 0; i < BOM_CELLS; i++) {
        if (cells[i].length == 0)
            continue;
        char *end = put_cell_text(line, n, ends_line, cells[i], to);
        cells[i] = {to, static_cast<size_t>(end - to)};
        to = end;
    }
}

bom_event bom_reader_line(bom_reader *reader, const char *line, size_t n, bool ends_line, cell cells[BOM_CELLS])
{
    const bool starts_line = !reader->in_line;
    const long number = reader->lines + 1;
    reader->in_line = !ends_line;
    reader->lines += ends_line;
    if (number == 1 && starts_line && n >= 3 && memcmp(line, "\xEF\xBB\xBF", 3) == 0) {
        line += 3;
        n -= 3;
    }
    if (n == 0 || !is_ascii_letter(line[0])) {
        if (reader->reading && starts_line && n > 0 && line[0] >= '0' && line[0] <= '9' && reader->digit_lines++ == 0)
            reader->first_digit_line = number;
        return BOM_NOTHING;
    }
    if (reader->reading) {
        for (int i = 0; i < BOM_CELLS; i++)
            cells[i] = slice(line, n, reader->cell_from[i], reader->cell_to[i]);
        if (!all_ascii(line, n))
            recode_cells(reader, line, n, ends_line, cells);
        return BOM_PART_ROW;
    }
    if (!find_header(reader, line, n) && !find_other_header(reader, line, n))
        return BOM_NOTHING;
    reader->reading = true;
    for (int i = 0; i < BOM_CELLS; i++)
        cells[i] = COLUMN_NAMES[WRITTEN_COLUMNS[i]];
    return BOM_HEADER;
}

void bom_convert_line(void *context, char *line, size_t length, bool ends_line)
{
    auto *run = static_cast<bom_conversion *>(context);
    cell cells[BOM_CELLS];
    bom_event event = bom_reader_line(&run->reader, line, length, ends_line, cells);
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
    auto *run = static_cast<bom_conversion *>(conversion);
    if (!read_lines(in, LINE_BUFFER_SIZE, bom_convert_line, conversion))
        return false;
    const bom_reader &r = run->reader;
    if (!r.reading)
        note(run->program, "no header line was found (a line that begins with Part and names Value and Package): "
                           "the tables have no rows");
    if (r.digit_lines == 1)
        note(run->program,
             "line %ld begins with a digit and was left out, as every line that does not begin with a "
             "letter",
             r.first_digit_line);
    else if (r.digit_lines > 1)
        note(run->program,
             "%ld lines begin with a digit and were left out, as every line that does not begin with a "
             "letter; the first is line %ld",
             r.digit_lines, r.first_digit_line);
    if (r.windows_1252)
        note(run->program, "the file is not all UTF-8: the bytes that are not were read as Windows-1252");
    return true;
}
