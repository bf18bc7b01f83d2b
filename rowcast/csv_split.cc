#include "csv_split.h"

#include <cstring>

size_t strip_quotes(char *cell)
{
    char *to = cell;
    for (const char *from = cell; *from != '\0'; from++) {
        if (*from != '"')
            *to++ = *from;
    }
    *to = '\0';
    return static_cast<size_t>(to - cell);
}

int split_heading(char *line, cell cells[CSV_MAX_CELLS])
{
    int count = 0;
    char *p = line;
    while (*p != '\0') {
        if (*p == ',') {
            p++;
            continue;
        }
        char *text = p;
        while (*p != '\0' && *p != ',')
            p++;
        if (*p == ',')
            *p++ = '\0';
        cells[count++] = {text, strip_quotes(text)};
    }
    return count;
}

// Text outside the quotes of a field (between two fields, or after the last
// quote) is a cell unless it is a separator: text that starts with a comma.
static bool is_text_cell(const char *line, size_t from, size_t to)
{
    return to > from && line[from] != ',';
}

// Where the line's last quote is, or `length` when it has none. Not every C
// library has memrchr; the last quote is mostly a byte or two from the end.
static size_t last_quote(const char *line, size_t length)
{
    for (size_t k = length; k > 0; k--) {
        if (line[k - 1] == '"')
            return k - 1;
    }
    return length;
}

// The first quote from `from` on; there is one at `last` or before. Fields
// are mostly a few bytes long, too short for memchr to gain on a look at
// each byte.
static size_t next_quote(const char *line, size_t from)
{
    while (line[from] != '"')
        from++;
    return from;
}

// The quoted field whose text starts at `from`, its first quote after it at
// `at`: two quotes side by side with a further quote after them on the line
// are one quote of the field, which goes on; the first quote that is not so
// closes it. The pairs are collapsed in place, so the field's text is the
// cell's. Returns the position of the closing quote; `*length` is the
// field's length.
static size_t close_field(char *line, size_t from, size_t at, size_t last, size_t *length)
{
    char *to = line + at;
    while (line[at + 1] == '"' && at + 1 < last) {
        // line[at] stays in place as the pair's one quote, moved with the text after it.
        size_t quote = next_quote(line, at + 2);
        size_t n = quote - (at + 2);
        *to++ = '"';
        memmove(to, line + at + 2, n);
        to += n;
        at = quote;
    }
    *length = static_cast<size_t>(to - (line + from));
    return at;
}

// Walks a data line from quote to quote. Quotes, counted from the line's
// start, alternately open and close a field; the text between them is a
// cell, and the text between two fields one too unless it is a separator.
// Gathers the cells; returns the text after the last quote when it is a cell
// (the trailer), else a cell whose text is nullptr.
static cell split_data_line(char *line, size_t length, cell cells[], int *count)
{
    size_t last = last_quote(line, length);
    size_t from = 0;  // where the text after the last quote passed starts
    int n = 0;
    while (last < length && from <= last) {
        size_t open = next_quote(line, from);
        if (is_text_cell(line, from, open))
            cells[n++] = {line + from, open - from};
        from = open + 1;
        if (open == last)
            break;
        // Text inside a field's quotes is its cell, whatever its first byte:
        // ",5 mm" is a value, not a separator.
        size_t field;
        size_t close = close_field(line, from, next_quote(line, from), last, &field);
        cells[n++] = {line + from, field};
        from = close + 1;
    }
    *count = n;
    if (is_text_cell(line, from, length))
        return {line + from, length - from};
    return {nullptr, 0};
}

void csv_convert_line(void *context, char *line, size_t length)
{
    auto *run = static_cast<csv_conversion *>(context);
    const table_output &html = run->outputs[0];
    const table_output &wiki = run->outputs[1];
    int count;
    if (!run->heading_done) {
        run->heading_done = true;
        count = split_heading(line, run->cells);
        html.writer->begin(html.out, run->cells, count);
        wiki.writer->begin(wiki.out, run->cells, count);
        return;
    }
    cell trailer = split_data_line(line, length, run->cells, &count);
    html.writer->row(html.out, run->cells, count);
    // The trailer is no cell of the table, but a row without cells still
    // shows it in the wiki flavour.
    if (count == 0 && trailer.text != nullptr)
        wiki.writer->row(wiki.out, &trailer, 1);
    else
        wiki.writer->row(wiki.out, run->cells, count);
}
