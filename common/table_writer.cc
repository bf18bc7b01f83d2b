#include "table_writer.h"

#include "cell_output.h"

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

static const char LINE_BREAK[] = "<br>";

// A cell whose line breaks are cells' own: each, with a CR before it, is
// written as LINE_BREAK, but for one at the cell's end when `ends_line`.
static char *put_breaking_cell(output_buffer *out, char *at, const cell &c, bool ends_line)
{
    const char *from = c.text, *end = c.text + c.length;
    for (;;) {
        const char *lf = static_cast<const char *>(memchr(from, '\n', static_cast<size_t>(end - from)));
        if (lf == nullptr || (ends_line && lf + 1 == end))
            return put_cell(out, at, {from, static_cast<size_t>(end - from)});
        const char *text_end = lf > from && lf[-1] == '\r' ? lf - 1 : lf;
        at = put_cell(out, at, {from, static_cast<size_t>(text_end - from)});
        at = put_text(at, LINE_BREAK);
        from = lf + 1;
    }
}

// The cell `i` of a part of `count` cells; a heading's last cell may end
// with the line's end.
[[gnu::always_inline]] static inline char *put_part_cell(output_buffer *out, char *at, const cell cells[], int i,
                                                         int count, unsigned part, bool heading)
{
    if ((part & CELLS_BREAK_LINES) == 0)
        return put_cell(out, at, cells[i]);
    bool last = i == count - 1 && (part & (LAST_CELL_GOES_ON | ROW_ENDS)) == ROW_ENDS;
    return put_breaking_cell(out, at, cells[i], heading && last);
}

// An HTML row's cells, each between its tags: none before a cell that goes
// on from the part before, none after one that goes on in the next.
template <size_t OPEN, size_t CLOSE>
static char *put_html_cells(output_buffer *out, char *at, const cell cells[], int count, unsigned part,
                            const char (&open)[OPEN], const char (&close)[CLOSE], bool heading)
{
    for (int i = 0; i < count; i++) {
        if (i > 0 || (part & FIRST_CELL_GOES_ON) == 0)
            at = put_text(at, open);
        at = put_part_cell(out, at, cells, i, count, part, heading);
        if (i < count - 1 || (part & LAST_CELL_GOES_ON) == 0)
            at = put_text(at, close);
    }
    return at;
}

// An HTML row of either kind, or a part of it: the row's opening text, each
// cell between its tags, the row's end.
template <const auto &ROW, const auto &CELL_OPEN, const auto &CELL_CLOSE, bool HEADING>
static void put_html_row(output_buffer *out, const cell cells[], int count, unsigned part)
{
    char *at = room_for(out, out->data + out->used, ROW_PIECE);
    if ((part & ROW_STARTS) != 0)
        at = put_text(at, ROW);
    at = put_html_cells(out, at, cells, count, part, CELL_OPEN, CELL_CLOSE, HEADING);
    if ((part & ROW_ENDS) != 0)
        at = put_text(at, ROW_CLOSE);
    output_commit(out, at);
}

// Both HTML flavours: their opening text, then the heading row.
template <const auto &OPEN>
static void html_begin(output_buffer *out, const cell heads[], int count, unsigned part)
{
    if (out == nullptr)
        return;
    if ((part & ROW_STARTS) != 0)
        put_text(out, OPEN);
    put_html_row<ROW_OPEN, HEAD_CELL_OPEN, HEAD_CELL_CLOSE, true>(out, heads, count, part);
}

static void html_row(output_buffer *out, const cell cells[], int count, unsigned part)
{
    if (out != nullptr)
        put_html_row<DATA_ROW_OPEN, DATA_CELL_OPEN, DATA_CELL_CLOSE, false>(out, cells, count, part);
}

// Wiki cells go as "<lead>first<lead><lead>second...". With no cells the
// lead still stands alone: its first cell is empty.
static char *put_wiki_cells(output_buffer *out, char *at, char lead, const cell cells[], int count, unsigned part,
                            bool heading)
{
    if ((part & ROW_STARTS) != 0)
        *at++ = lead;
    for (int i = 0; i < count; i++) {
        if (i > 0 || (part & (ROW_STARTS | FIRST_CELL_GOES_ON)) == 0) {
            *at++ = lead;
            *at++ = lead;
        }
        at = put_part_cell(out, at, cells, i, count, part, heading);
    }
    return at;
}

// A CSV heading's last cell carries the input line's end, which then ends
// the heading row; a BOM heading never does. Either way the row ends with
// exactly one newline, so the first data row starts on a line of its own.
static bool ends_line(const cell cells[], int count)
{
    const cell *last = count > 0 ? &cells[count - 1] : nullptr;
    return last != nullptr && last->length > 0 && last->text[last->length - 1] == '\n';
}

// A wiki row of either kind, or a part of it: its opening text, each cell
// after its leads, the newline that ends it.
static void put_wiki_row(output_buffer *out, const cell cells[], int count, unsigned part, char lead, bool heading)
{
    char *at = room_for(out, out->data + out->used, ROW_PIECE);
    if ((part & ROW_STARTS) != 0 && !heading)
        at = put_text(at, WIKI_ROW_OPEN);
    at = put_wiki_cells(out, at, lead, cells, count, part, heading);
    if ((part & ROW_ENDS) != 0 && !(heading && ends_line(cells, count)))
        *at++ = '\n';
    output_commit(out, at);
}

static void wiki_begin(output_buffer *out, const cell heads[], int count, unsigned part)
{
    if (out == nullptr)
        return;
    if ((part & ROW_STARTS) != 0)
        put_text(out, WIKI_OPEN);
    put_wiki_row(out, heads, count, part, '!', true);
}

static void wiki_row(output_buffer *out, const cell cells[], int count, unsigned part)
{
    if (out != nullptr)
        put_wiki_row(out, cells, count, part, '|', false);
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
