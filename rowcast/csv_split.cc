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
        const char *next = static_cast<const char *>(memchr(line + at + 2, '"', last - at - 1));
        size_t quote = static_cast<size_t>(next - line);
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
    bool in_field = false;
    int n = 0;
    while (from <= last && last < length) {
        size_t at = static_cast<size_t>(static_cast<const char *>(memchr(line + from, '"', last - from + 1)) - line);
        if (in_field) {
            size_t field;
            at = close_field(line, from, at, last, &field);
            // Text inside a field's quotes is its cell, whatever its first
            // byte: ",5 mm" is a value, not a separator.
            cells[n++] = {line + from, field};
        } else if (is_text_cell(line, from, at)) {
            cells[n++] = {line + from, at - from};
        }
        in_field = !in_field;
        from = at + 1;
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
