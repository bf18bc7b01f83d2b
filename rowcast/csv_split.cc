#include "csv_split.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "byte_marks.h"
#include "line_reader.h"

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

// Bit k of the result is set when byte `from` + k of the line is a quote,
// for the bytes from `from` up to 64 further or the line's end. Nothing past
// the end is read: a last part of fewer than 16 bytes is taken from the 16
// that end with the line, or byte by byte when the line is shorter.
[[gnu::always_inline]] static inline uint64_t quote_marks(const char *line, size_t from, size_t length)
{
    size_t n = std::min<size_t>(length - from, 64);
    uint64_t marks = 0;
    size_t k = 0;
    for (; k + 16 <= n; k += 16)
        marks |= byte_marks_16(line + from + k, '"') << k;
    size_t rest = n - k;
    if (rest > 0 && from + n >= 16)
        return marks | (byte_marks_16(line + from + n - 16, '"') >> (16 - rest)) << k;
    for (; k < n; k++)
        marks |= static_cast<uint64_t>(line[from + k] == '"') << k;
    return marks;
}

// Text outside the quotes of a field (between two fields, or after the last
// quote) is a cell unless it is a separator: text that starts with a comma.
static bool is_text_cell(const char *line, size_t from, size_t to)
{
    return to > from && line[from] != ',';
}

// A field holding doubled quotes, once each pair is one quote: where its
// text starts and where its closing quote is, the text ending right before it.
struct field_span {
    size_t from;
    size_t quote;
};

// The quote at `at` would close the field whose text starts at `from`, but
// another quote follows it straight away. With a further quote on the line
// the two are one quote of the field, which goes on; so is each later pair
// with a further quote after it, up to the quote that closes the field. Each
// pair is collapsed in place to one quote and the text moved up to the
// closing quote, so the walk takes the field as it takes any other. Without a
// further quote, the quote at `at` closes the field as it is. Pairs are rare,
// so the common walk only pays for a look at the byte after each closing
// quote.
[[gnu::noinline, gnu::cold]] static field_span end_of_field(char *line, size_t length, size_t from, size_t at)
{
    // line[at + 1] is the pair's second quote, so the search starts within the line.
    const void *next = memchr(line + at + 2, '"', length - at - 2);
    if (next == nullptr)
        return {from, at};
    char *to = line + at + 1;  // the pair's first quote stays, as its one quote
    size_t rest = at + 2;      // the field's text from here on is not yet moved
    for (;;) {
        size_t quote = static_cast<size_t>(static_cast<const char *>(next) - line);
        memmove(to, line + rest, quote - rest);
        to += quote - rest;
        if (line[quote + 1] != '"' || (next = memchr(line + quote + 2, '"', length - quote - 2)) == nullptr) {
            size_t n = static_cast<size_t>(to - (line + from));
            memmove(line + quote - n, line + from, n);
            return {quote - n, quote};
        }
        *to++ = '"';
        rest = quote + 2;
    }
}

// Walks a data line a quote at a time: the quotes of every 64 bytes are
// found at once. Quotes, counted from the line's start, alternately open
// and close a field; the text between them is a cell, and the text between
// two fields one too unless it is a separator. A quote that
// opens one right before the next quote makes an empty cell, and a doubled
// quote inside a field (see end_of_field) is one quote of its cell. For the
// text before each quote that opens or closes a field it calls
// take(c, is_cell): c is the cell, or an empty one (within the line too), and
// is_cell whether there is a cell at all. Returns the text after the last
// quote when it is a cell (the trailer), else a cell whose text is nullptr.
template <class Take>
[[gnu::always_inline]] static inline cell walk_data_line(char *line, size_t length, Take take)
{
    size_t quotes = 0;  // passed so far, a doubled quote counting as none
    size_t from = 0;    // where the text after the last quote starts
    for (size_t base = 0; base < length; base += 64) {
        uint64_t marks = quote_marks(line, base, length);
        while (marks != 0) {
            size_t at = base + static_cast<size_t>(__builtin_ctzll(marks));
            marks &= marks - 1;
            bool closing = quotes % 2 == 1;
            // line[at + 1] is at most the line's NUL.
            if (__builtin_expect(closing && line[at + 1] == '"', 0)) {
                field_span field = end_of_field(line, length, from, at);
                // On at the closing quote, whose block may lie further on.
                // The bytes moved lie before it: their marks are not looked at.
                from = field.from;
                at = field.quote;
                base = at / 64 * 64;
                marks = quote_marks(line, base, length) & (~uint64_t{1} << (at - base));
            }
            // `from` is within the line here: at most the quote at `at`. Text
            // inside a field's quotes is its cell, whatever its first byte:
            // ",5 mm" is a value, not a separator.
            bool text = closing ? at > from : is_text_cell(line, from, at);
            bool empty = at == from && closing;  // right after the quote that opened a field
            take(cell{line + from, text ? at - from : 0}, text || empty);
            quotes++;
            from = at + 1;
        }
    }
    // Only the text after the last quote reaches the line's end.
    if (from < length && is_text_cell(line, from, length))
        return {line + from, length - from};
    return {nullptr, 0};
}

// A data line's cells never outnumber its bytes, nor do its stretches
// between quotes, so both rows fit the buffer, however long the line.
static_assert(html_row_most(CSV_LINE_SIZE, CSV_LINE_SIZE) + COPY_SLACK <= OUTPUT_BUFFER_SIZE, "HTML rows fit");
static_assert(wiki_row_most(CSV_LINE_SIZE, CSV_LINE_SIZE) + COPY_SLACK <= OUTPUT_BUFFER_SIZE, "wiki rows fit");
static_assert(COPY_SLACK <= LINE_SLACK, "cells may be copied in blocks");

void csv_convert_line(void *context, char *line, size_t length)
{
    auto *run = static_cast<csv_conversion *>(context);
    const table_output &html = run->outputs[0];
    const table_output &wiki = run->outputs[1];
    if (!run->heading_done) {
        run->heading_done = true;
        int count = split_heading(line, run->cells);
        html.writer->begin(html.out, run->cells, count);
        wiki.writer->begin(wiki.out, run->cells, count);
        return;
    }
    data_row_pair rows = data_rows_open(html.out, wiki.out, length);
    cell trailer = walk_data_line(line, length, [&](const cell &c, bool is_cell) { data_rows_cell(rows, c, is_cell); });
    data_rows_close(rows, trailer);
}
