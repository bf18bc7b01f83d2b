#include "csv_split.h"

#include <algorithm>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

#ifdef __SSE2__
// Bit k of the result is set when byte k of the 16 at p is a quote.
static uint64_t quote_marks_16(const char *p)
{
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'))));
}
#endif

// Bit k of the result is set when byte `from` + k of the line is a quote,
// for the bytes from `from` up to 64 further or the line's end. Nothing past
// the end is read: a last part of fewer than 16 bytes is taken from the 16
// that end with the line.
static uint64_t quote_marks(const char *line, size_t from, size_t length)
{
    size_t n = std::min<size_t>(length - from, 64);
    uint64_t marks = 0;
    size_t k = 0;
#ifdef __SSE2__
    for (; k + 16 <= n; k += 16)
        marks |= quote_marks_16(line + from + k) << k;
    size_t rest = n - k;
    if (rest > 0 && from + n >= 16)
        return marks | (quote_marks_16(line + from + n - 16) >> (16 - rest)) << k;
#endif
    for (; k < n; k++)
        marks |= static_cast<uint64_t>(line[from + k] == '"') << k;
    return marks;
}

// The text between two quotes (or a quote and an end of the line) is a cell
// unless it is a separator.
static bool is_text_cell(const char *line, size_t from, size_t to)
{
    return to > from && line[from] != ',';
}

// The line is taken a quote at a time: the quotes of every 64 bytes are found
// at once. Quotes alternately open and close a field; a quote that opens one
// right before the next quote makes an empty cell. Cells are many and their
// kinds follow no pattern, so each quote writes its cell, or an empty one, in
// the next slot, and only the count tells whether there was one.
data_row split_data(const char *line, size_t length, cell cells[CSV_MAX_CELLS])
{
    int count = 0;
    size_t quotes = 0;  // passed so far
    size_t from = 0;    // where the text after the last quote starts
    for (size_t base = 0; base < length; base += 64) {
        uint64_t marks = quote_marks(line, base, length);
        while (marks != 0) {
            size_t at = base + static_cast<size_t>(__builtin_ctzll(marks));
            marks &= marks - 1;
            // `from` is within the line here: at most the quote at `at`.
            bool text = is_text_cell(line, from, at);
            bool empty = at == from && quotes % 2 == 1;  // right after the quote that opened a field
            cells[count] = text ? cell{line + from, at - from} : cell{"", 0};
            count += static_cast<int>(text || empty);
            quotes++;
            from = at + 1;
        }
    }
    // Only the text after the last quote reaches the line's end: the
    // trailer, when it is a cell.
    bool trailer = from < length && is_text_cell(line, from, length);
    if (trailer)
        cells[count++] = {line + from, length - from};
    return {count, trailer};
}

// The first line read is the heading row; every later one a data row, whose
// trailer (normally the newline) is no cell of the table.
void csv_convert_line(void *context, char *line, size_t length, const table_output outputs[], int)
{
    auto *state = static_cast<csv_reader *>(context);
    const table_output &html = outputs[0];
    const table_output &wiki = outputs[1];
    if (!state->heading_done) {
        state->heading_done = true;
        int count = split_heading(line, state->cells);
        html.writer->begin(html.out, state->cells, count);
        wiki.writer->begin(wiki.out, state->cells, count);
        return;
    }
    data_row row = split_data(line, length, state->cells);
    int shown = row.trailer ? row.count - 1 : row.count;
    html.writer->row(html.out, state->cells, shown);
    // A lone cell still reaches the wiki row, even when it is the trailer.
    wiki.writer->row(wiki.out, state->cells, shown > 0 ? shown : row.count);
}
