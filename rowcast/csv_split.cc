#include "csv_split.h"

#include <cstring>

#include "note.h"

// A CSV file as spreadsheets, BOM tools and distributors write it: fields
// apart by the heading's separator, bare or in double quotes. In a quoted
// field two quotes are one, and a quote is a quote of the field unless only
// blanks stand between it and the separator, the line's end or the file's:
// then it closes the field. So the layout editor's own fields, which do not
// double their quotes ("Pin header for 0.1" spacing"), read right.

static const char PROGRAM[] = "rowcast";

// The most frequent of comma, semicolon and tab outside quotes on the first
// line that holds any of them; a tie goes to the comma, then the semicolon.
static char find_separator(const char *text, size_t n)
{
    static const char SEPARATORS[] = {',', ';', '\t'};
    long seen[3] = {0, 0, 0};
    bool quoted = false;
    for (size_t k = 0; k < n; k++) {
        char c = text[k];
        if (c == '"')
            quoted = !quoted;
        else if (c == '\n' && !quoted && seen[0] + seen[1] + seen[2] > 0)
            break;
        for (int i = 0; i < 3 && !quoted; i++)
            seen[i] += c == SEPARATORS[i];
    }
    int most = 0;
    for (int i = 1; i < 3; i++)
        most = seen[i] > seen[most] ? i : most;
    return SEPARATORS[most];
}

static void start_row(csv_conversion *r, size_t at)
{
    r->state = CSV_AT_FIELD;
    r->row_from = at;
    r->row_line = r->line;
    r->count = 0;
    r->part = ROW_STARTS;
    r->fields = r->filled = 0;
    r->quoted = true;
}

static void start_scan(csv_conversion *r, bool counting)
{
    r->counting = counting;
    r->pos = 0;
    r->line = 1;
    r->rows = 0;
    r->empty_line = false;
    start_row(r, 0);
}

// Hands the cells gathered so far to the writers, as a part of the row at
// hand or its last part; `goes_on` when the last of them goes on.
static void write_part(csv_conversion *r, unsigned where)
{
    if (r->counting || r->skip > 0) {
        r->count = 0;
        return;
    }
    for (int i = 0; i < CSV_OUTPUTS; i++) {
        const table_output &o = r->outputs[i];
        (r->heading_done ? o.writer->row : o.writer->begin)(o.out, r->cells, r->count, r->part | where);
    }
    r->count = 0;
    r->part = (where & LAST_CELL_GOES_ON) != 0 ? unsigned{FIRST_CELL_GOES_ON} : 0U;
}

[[gnu::always_inline]] static inline void end_field(csv_conversion *r)
{
    if (r->count == CSV_MAX_CELLS)
        write_part(r, 0);
    size_t length = r->field_to - r->field_from;
    r->cells[r->count++] = {r->text + r->field_from, length};
    r->fields++;
    r->filled += length > 0;
    r->quoted = r->quoted && r->in_quotes;
    r->state = CSV_AT_FIELD;
}

// Counts the row for the notes: the first row is the heading.
static void count_fields(csv_conversion *r)
{
    if (!r->heading_done) {
        r->heading_fields = r->fields;
        return;
    }
    if (r->fields == r->heading_fields)
        return;
    if (r->other_rows++ == 0) {
        r->other_line = r->row_line;
        r->other_fields = r->fields;
    }
}

// Ends the row at hand, whose line end is [end_from, end_to).
static void end_row(csv_conversion *r, size_t end_from, size_t end_to)
{
    if (end_from == r->row_from && r->part == ROW_STARTS) {
        r->empty_line = true;  // an empty line gives no row
    } else if (r->counting) {
        if (r->rows < CSV_LOOKAHEAD_ROWS)
            r->counted[r->rows] = {r->filled, r->quoted, r->empty_line};
        r->rows++;
    } else if (r->skip > 0) {
        r->skip--;
        r->rows++;
    } else {
        if (!r->heading_done) {
            // The heading's last cell keeps the line's end, which ends the
            // heading row in the wiki table.
            cell &last = r->cells[r->count - 1];
            memmove(const_cast<char *>(last.text) + last.length, r->text + end_from, end_to - end_from);
            last.length += end_to - end_from;
        }
        count_fields(r);
        write_part(r, ROW_ENDS);
        r->heading_done = true;
        r->rows++;
    }
    start_row(r, end_to);
}

// Takes the bytes [from, to) of a quoted field's text, moved up to where its
// text so far ends when quotes have been taken out of it.
static void take_quoted(csv_conversion *r, size_t from, size_t to)
{
    if (r->field_to != from && !r->counting)
        memmove(r->text + r->field_to, r->text + from, to - from);
    r->field_to += to - from;
}

// Most rows quote every field and hold no quote, separator or line break
// of their own. Such a row, from `p`, is read in one walk and written; true
// when it was, false when the row needs the full reading (which then gives
// the same cells) or is not yet held to its end.
static bool read_plain_row(csv_conversion *r, size_t &p)
{
    const char *t = r->text;
    const size_t end = r->end;
    const char sep = r->separator;
    size_t q = p;
    int count = 0;
    for (;;) {
        if (t[q] != '"' || count == CSV_MAX_CELLS)
            return false;
        size_t from = ++q;
        while (t[q] != '"' && t[q] != '\n')
            q++;
        // The byte after the closing quote must be held, and tell.
        if (t[q] != '"' || q + 1 >= end)
            return false;
        r->cells[count++] = {t + from, q - from};
        char after = t[++q];
        if (after == sep) {
            q++;
            continue;
        }
        if (after == '\n')
            break;
        if (after != '\r' || q + 1 >= end || t[q + 1] != '\n')
            return false;
        q++;
    }
    p = q + 1;
    r->count = count;
    r->fields = count;
    r->line++;
    count_fields(r);
    write_part(r, ROW_ENDS);
    r->rows++;
    start_row(r, p);
    return true;
}

// Looks at the text held from `pos` to its end; stops before its end only
// where the next bytes decide what a quote is. `at_end`: no text follows.
static void scan(csv_conversion *r, bool at_end)
{
    char *t = r->text;
    const size_t end = r->end;
    const char sep = r->separator;
    size_t p = r->pos;
    t[end] = '\n';  // every search below stops there at the latest
    while (p < end) {
        switch (r->state) {
        case CSV_AT_FIELD:
            // Rows after the heading, from a row's start.
            if (p == r->row_from && r->part == ROW_STARTS && r->heading_done && r->skip == 0 && !r->counting) {
                while (p < end && read_plain_row(r, p)) {
                }
                if (p == end)
                    break;
            }
            r->in_quotes = t[p] == '"';
            if (r->in_quotes) {
                r->quote_line = r->line;
                r->field_from = r->field_to = ++p;
                r->state = CSV_QUOTED;
                goto quoted;
            }
            r->field_from = p;
            r->state = CSV_BARE;
            [[fallthrough]];
        case CSV_BARE: {
            while (t[p] != sep && t[p] != '\n')
                p++;
            r->field_to = p;
            if (p == end)
                break;
            if (t[p] == sep) {
                end_field(r);
                p++;
                break;
            }
            // A CR before the newline is part of the line's end.
            size_t text_end = p > r->field_from && t[p - 1] == '\r' ? p - 1 : p;
            r->field_to = text_end;
            end_field(r);
            r->line++;
            end_row(r, text_end, ++p);
            break;
        }
        case CSV_QUOTED:
        quoted : {
            size_t q = p;
            long breaks = 0;
            for (;;) {
                while (t[q] != '"' && t[q] != '\n')
                    q++;
                if (q == end || t[q] == '"')
                    break;
                breaks++;
                q++;
            }
            if (breaks > 0) {
                r->line += breaks;
                r->part |= CELLS_BREAK_LINES;
            }
            take_quoted(r, p, q);
            p = q;
            if (p == end)
                break;
            r->quote_at = p++;
            r->state = CSV_AFTER_QUOTE;
            // Most quotes close their field right before the separator.
            if (p < end && t[p] == sep) {
                end_field(r);
                p++;
                break;
            }
            break;
        }
        case CSV_AFTER_QUOTE: {
            if (p == r->quote_at + 1 && t[p] == '"') {  // two quotes are one
                take_quoted(r, r->quote_at, p);
                p++;
                r->state = CSV_QUOTED;
                break;
            }
            size_t q = p;
            while (t[q] == ' ')
                q++;
            bool crlf = q + 1 < end && t[q] == '\r' && t[q + 1] == '\n';
            if (!at_end && (q == end || (q + 1 == end && t[q] == '\r'))) {
                r->pos = r->quote_at + 1;  // the next bytes decide
                return;
            }
            if (q == end) {  // the file's end closes the field
                p = q;
            } else if (t[q] == sep) {
                end_field(r);
                p = q + 1;
            } else if (t[q] == '\n' || crlf) {
                end_field(r);
                r->line++;
                end_row(r, q, q + (crlf ? 2 : 1));
                p = q + (crlf ? 2 : 1);
            } else {  // a quote of the field, and the blanks after it
                take_quoted(r, r->quote_at, q);
                p = q;
                r->state = CSV_QUOTED;
            }
            break;
        }
        }
    }
    r->pos = p;
}

// At the end of the text: ends the field and the row at hand, if any.
static void finish_text(csv_conversion *r)
{
    if (r->state == CSV_AT_FIELD && r->pos == r->row_from && r->part == ROW_STARTS)
        return;
    if (r->state == CSV_QUOTED && !r->counting)
        r->unclosed = true;
    if (r->state == CSV_AT_FIELD)
        r->field_from = r->field_to = r->pos;
    end_field(r);
    end_row(r, r->pos, r->pos);
}

// Moves the text still needed to the start, making room for the next piece.
// A row that holds more than half the text goes to the writers in parts.
static void make_room(csv_conversion *r)
{
    size_t keep = r->row_from;
    if (r->end - keep + TEXT_PIECE_MOST > CSV_TEXT_SIZE) {
        bool in_field = r->state != CSV_AT_FIELD;
        keep = r->state == CSV_AFTER_QUOTE ? r->quote_at : r->pos;
        // A CR that ends the text so far goes on with the next part: with a
        // newline after it, it is part of a line's end.
        size_t held = in_field && r->field_to > r->field_from && r->text[r->field_to - 1] == '\r' ? 1 : 0;
        if (in_field) {
            if (r->count == CSV_MAX_CELLS)
                write_part(r, 0);
            r->cells[r->count++] = {r->text + r->field_from, r->field_to - held - r->field_from};
        }
        write_part(r, in_field ? unsigned{LAST_CELL_GOES_ON} : 0U);
        keep -= held;
        if (held > 0)
            r->text[keep] = '\r';
        r->field_from = keep;
        r->field_to = keep + held;
        r->row_from = keep;
    }
    memmove(r->text, r->text + keep, r->end - keep);
    r->end -= keep;
    r->pos -= keep;
    r->row_from -= keep;
    r->field_from -= keep;
    r->field_to -= keep;
    r->quote_at -= keep;
    for (int i = 0; i < r->count; i++)
        r->cells[i].text -= keep;
}

// The rows before the heading that are a preamble, among the rows at the
// start. A row is wide when its fields that are not empty outnumber half the
// most any of them has. The heading is the first row after the first empty
// line when it is wide and every row before it has fewer such fields, and
// else the first wide row; but a file whose first row quotes every field
// starts with its heading unless an empty line comes before the one found.
static long preamble_rows(const csv_conversion *r)
{
    const csv_row_count *rows = r->counted;
    long n = r->rows < CSV_LOOKAHEAD_ROWS ? r->rows : CSV_LOOKAHEAD_ROWS;
    long most = 0;
    for (long k = 0; k < n; k++)
        most = rows[k].filled > most ? rows[k].filled : most;
    long after_empty = 0;
    while (after_empty < n && !rows[after_empty].after_empty)
        after_empty++;
    // cppcheck-suppress knownConditionTrueFalse ; n counts the rows of the scan just made
    if (after_empty > 0 && after_empty < n && 2 * rows[after_empty].filled > most) {
        long k = 0;
        while (k < after_empty && rows[k].filled < rows[after_empty].filled)
            k++;
        if (k == after_empty)
            return after_empty;
    }
    for (long k = 0; k < n; k++) {
        if (2 * rows[k].filled > most)
            return k > 0 && (!rows[0].quoted || rows[k].after_empty) ? k : 0;
    }
    return 0;
}

static void write_notes(const csv_conversion *r, long preamble)
{
    if (r->separator != ',')
        note(PROGRAM, "fields are separated by %s", r->separator == ';' ? "semicolons" : "tabs");
    if (r->input.encoding != TEXT_UTF8)
        note(PROGRAM, "the file is UTF-16 (%s); the tables are UTF-8",
             r->input.encoding == TEXT_UTF16LE ? "little-endian" : "big-endian");
    if (r->input.windows_1252)
        note(PROGRAM, "the file is not all UTF-8: the bytes that are not were read as Windows-1252");
    if (preamble == 1)
        note(PROGRAM, "the first row was left out as a preamble: the heading is the next");
    else if (preamble > 1)
        note(PROGRAM, "the first %ld rows were left out as a preamble: the heading is the next", preamble);
    if (r->other_rows > 0)
        note(PROGRAM, "%ld %s another number of fields than the heading's %ld; the first, on line %ld, has %ld",
             r->other_rows, r->other_rows == 1 ? "row has" : "rows have", r->heading_fields, r->other_line,
             r->other_fields);
    if (r->unclosed)
        note(PROGRAM, "the quote opened on line %ld is never closed: the rest of the file is one field", r->quote_line);
}

bool csv_convert(FILE *in, void *conversion)
{
    auto *r = static_cast<csv_conversion *>(conversion);
    text_open(&r->input, in);
    // The start of the file, to find its separator and its heading.
    bool at_end = false;
    r->end = 0;
    while (!at_end && r->end < TEXT_PIECE_MOST) {
        long got = text_read(&r->input, r->text + r->end);
        if (got < 0)
            return false;
        at_end = got == 0;
        r->end += static_cast<size_t>(got);
    }
    // The rows that end in the first TEXT_PIECE_MOST bytes are looked at.
    size_t held = r->end;
    r->end = held < TEXT_PIECE_MOST ? held : TEXT_PIECE_MOST;
    bool all = at_end && held <= TEXT_PIECE_MOST;
    const char after = r->text[r->end];  // the scan puts its stop there
    r->separator = find_separator(r->text, r->end);
    start_scan(r, true);
    scan(r, all);
    if (all)
        finish_text(r);
    r->text[r->end] = after;
    r->end = held;
    long preamble = preamble_rows(r);
    start_scan(r, false);
    r->skip = preamble;
    for (;;) {
        scan(r, at_end);
        if (at_end)
            break;
        make_room(r);
        long got = text_read(&r->input, r->text + r->end);
        if (got < 0)
            return false;
        at_end = got == 0;
        r->end += static_cast<size_t>(got);
    }
    finish_text(r);
    write_notes(r, preamble);
    return true;
}
