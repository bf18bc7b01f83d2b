#include "table_writer.h"

#include <cstdint>

// html_wikitable
static const char WIKITABLE_OPEN[] = "<table class='wikitable' border='1'>\n";
static const char ROW_OPEN[] = "<tr>\n";
static const char HEAD_CELL_OPEN[] = "<th scope='col'>";
static const char HEAD_CELL_CLOSE[] = "</th>\n";
static const char DATA_ROW_OPEN[] = "<tr>";
static const char DATA_CELL_OPEN[] = "<td>";
static const char DATA_CELL_CLOSE[] = "</td> ";
static const char ROW_CLOSE[] = "</tr>\n";
static const char WIKITABLE_CLOSE[] = "</table>\n\n";

// wiki_markup
static const char WIKI_OPEN[] = "== Partlist ==\n\n{| border='1' class='wikitable'\n";
static const char WIKI_ROW_OPEN[] = "|-\n";
static const char WIKI_CLOSE[] = "|}\n\n";

// html_div_table: one percent sign, as the table line's format once wrote it.
static const char DIV_OPEN[] = "<Div Class='Wiki'>\n<table width='40%' border='1'>\n";
static const char DIV_CLOSE[] = "</table>\n</div>\n";

// Fixed texts go out with their lengths known here.
template <size_t N>
static void put_text(output_buffer *out, const char (&text)[N])
{
    output_put(out, text, N - 1);
}

static void put_cell(output_buffer *out, const cell &c)
{
    output_put(out, c.text, c.length);
}

// Both HTML flavours: their opening text, then the heading row.
template <const auto &OPEN>
static void html_begin(output_buffer *out, const cell heads[], int count)
{
    if (out == nullptr)
        return;
    put_text(out, OPEN);
    put_text(out, ROW_OPEN);
    for (int i = 0; i < count; i++) {
        put_text(out, HEAD_CELL_OPEN);
        put_cell(out, heads[i]);
        put_text(out, HEAD_CELL_CLOSE);
    }
    put_text(out, ROW_CLOSE);
}

// A data row goes straight into the buffer's free room, which is looked at
// once for each cell: rows are many and short, and put so they cost half of
// what they cost put piece by piece. ROW_PIECE is the most a row writes
// beside a cell's text, before the next look.
constexpr size_t ROW_PIECE = 16;

// Where the next `n` bytes of a row go: at `at`, or at the start of the
// buffer once what it holds has gone to the file. `n` is at most the
// buffer's size.
static char *room_for(output_buffer *out, char *at, size_t n)
{
    if (n <= static_cast<size_t>(out->data + OUTPUT_BUFFER_SIZE - at))
        return at;
    output_commit(out, at);
    output_flush(out);
    return out->data;
}

template <size_t N>
static char *put_text(char *at, const char (&text)[N])
{
    static_assert(N - 1 <= ROW_PIECE, "fixed texts fit beside a cell");
    memcpy(at, text, N - 1);
    return at + N - 1;
}

// Cells are mostly a few bytes long: copied with two overlapping moves of a
// fixed size, they cost a third of a call to memcpy.
static char *put_cell(output_buffer *out, char *at, const cell &c)
{
    const char *from = c.text;
    size_t n = c.length;
    if (n > OUTPUT_BUFFER_SIZE / 2) {
        output_commit(out, at);
        output_put_slowly(out, from, n);
        return out->data;
    }
    at = room_for(out, at, n + ROW_PIECE);
    if (n >= 8 && n <= 16) {
        uint64_t head, tail;
        memcpy(&head, from, 8);
        memcpy(&tail, from + n - 8, 8);
        memcpy(at, &head, 8);
        memcpy(at + n - 8, &tail, 8);
    } else if (n >= 4 && n < 8) {
        uint32_t head, tail;
        memcpy(&head, from, 4);
        memcpy(&tail, from + n - 4, 4);
        memcpy(at, &head, 4);
        memcpy(at + n - 4, &tail, 4);
    } else if (n > 0 && n < 4) {
        at[0] = from[0];
        at[n / 2] = from[n / 2];
        at[n - 1] = from[n - 1];
    } else if (n > 16) {
        memcpy(at, from, n);
    }
    return at + n;
}

static void html_row(output_buffer *out, const cell cells[], int count)
{
    if (out == nullptr)
        return;
    char *at = room_for(out, out->data + out->used, 2 * ROW_PIECE);
    at = put_text(at, DATA_ROW_OPEN);
    for (int i = 0; i < count; i++) {
        at = put_text(at, DATA_CELL_OPEN);
        at = put_cell(out, at, cells[i]);
        at = put_text(at, DATA_CELL_CLOSE);
    }
    at = put_text(at, ROW_CLOSE);
    output_commit(out, at);
}

// Wiki cells go as "<lead>first<lead><lead>second...". With no cells the
// lead still stands alone: its first cell is empty.
static void put_wiki_cells(output_buffer *out, char lead, const cell cells[], int count)
{
    output_put(out, lead);
    for (int i = 0; i < count; i++) {
        if (i > 0) {
            output_put(out, lead);
            output_put(out, lead);
        }
        put_cell(out, cells[i]);
    }
}

static bool ends_with_newline(const cell cells[], int count)
{
    if (count == 0)
        return false;
    const cell &last = cells[count - 1];
    return last.length > 0 && last.text[last.length - 1] == '\n';
}

// A CSV heading's last cell carries the input line's newline, which then
// ends the heading row; a BOM heading never does. Either way the row ends
// with exactly one newline, so the first data row starts on a line of its own.
static void wiki_begin(output_buffer *out, const cell heads[], int count)
{
    if (out == nullptr)
        return;
    put_text(out, WIKI_OPEN);
    put_wiki_cells(out, '!', heads, count);
    if (!ends_with_newline(heads, count))
        output_put(out, '\n');
}

static void wiki_row(output_buffer *out, const cell cells[], int count)
{
    if (out == nullptr)
        return;
    char *at = room_for(out, out->data + out->used, 2 * ROW_PIECE);
    at = put_text(at, WIKI_ROW_OPEN);
    *at++ = '|';
    for (int i = 0; i < count; i++) {
        if (i > 0) {
            *at++ = '|';
            *at++ = '|';
        }
        at = put_cell(out, at, cells[i]);
    }
    *at++ = '\n';
    output_commit(out, at);
}

// Every flavour ends with a fixed text.
template <const auto &CLOSE>
static void put_end(output_buffer *out)
{
    if (out != nullptr)
        put_text(out, CLOSE);
}

const table_writer HTML_WIKITABLE = {html_begin<WIKITABLE_OPEN>, html_row, put_end<WIKITABLE_CLOSE>};
const table_writer WIKI_MARKUP = {wiki_begin, wiki_row, put_end<WIKI_CLOSE>};
const table_writer HTML_DIV_TABLE = {html_begin<DIV_OPEN>, html_row, put_end<DIV_CLOSE>};

bool finish_table(const table_output &output)
{
    output.writer->end(output.out);
    return output_close(output.out);
}
