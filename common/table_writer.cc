#include "table_writer.h"

// Fixed texts go out with their lengths known here.
template <class Sink, size_t N>
static void put_text(Sink &sink, const char (&text)[N])
{
    sink.put(text, N - 1);
}

// html_wikitable
static const char WIKITABLE_OPEN[] = "<table class='wikitable' border='1'>\n";
static const char ROW_OPEN[] = "<tr>\n";
static const char HEAD_CELL_OPEN[] = "<th scope='col'>";
static const char HEAD_CELL_CLOSE[] = "</th>\n";
static const char ROW_CLOSE[] = "</tr>\n";
static const char DATA_ROW_OPEN[] = "<tr>";
static const char DATA_CELL_OPEN[] = "<td>";
static const char DATA_CELL_CLOSE[] = "</td> ";
static const char WIKITABLE_CLOSE[] = "</table>\n\n";

// wiki_markup
static const char WIKI_OPEN[] = "== Partlist ==\n\n{| border='1' class='wikitable'\n";
static const char WIKI_ROW_OPEN[] = "|-\n";
static const char WIKI_CLOSE[] = "|}\n\n";

// html_div_table: one percent sign, as the table line's format once wrote it.
static const char DIV_OPEN[] = "<Div Class='Wiki'>\n";
static const char TABLE_40[] = "<table width='40%' border='1'>\n";
static const char DIV_CLOSE[] = "</table>\n</div>\n";

// An HTML row: its opening tag, each cell between its cell tags, "</tr>\n".
// Heading and data rows differ only in those tags.
template <class Sink, size_t OPEN, size_t CELL_OPEN, size_t CELL_CLOSE>
static void put_html_row(Sink &sink, const char (&open)[OPEN], const char (&cell_open)[CELL_OPEN],
                         const char (&cell_close)[CELL_CLOSE], const cell cells[], int count)
{
    put_text(sink, open);
    for (int i = 0; i < count; i++) {
        put_text(sink, cell_open);
        sink.put(cells[i].text, cells[i].length);
        put_text(sink, cell_close);
    }
    put_text(sink, ROW_CLOSE);
}

// A heading row may hold thousands of CSV cells, so it goes out piece by piece.
static void put_heading_row(buffer_sink &sink, const cell heads[], int count)
{
    put_html_row(sink, ROW_OPEN, HEAD_CELL_OPEN, HEAD_CELL_CLOSE, heads, count);
}

// Both HTML flavours write data rows alike.
static void html_row(output_buffer *out, const cell cells[], int count)
{
    if (out == nullptr)
        return;
    output_row(out,
               [&](auto &sink) { put_html_row(sink, DATA_ROW_OPEN, DATA_CELL_OPEN, DATA_CELL_CLOSE, cells, count); });
}

static void wikitable_begin(output_buffer *out, const cell heads[], int count)
{
    if (out == nullptr)
        return;
    buffer_sink sink{out};
    put_text(sink, WIKITABLE_OPEN);
    put_heading_row(sink, heads, count);
}

static void wikitable_end(output_buffer *out)
{
    if (out == nullptr)
        return;
    buffer_sink sink{out};
    put_text(sink, WIKITABLE_CLOSE);
}

// Puts the cells as "<lead>first<lead><lead>second...". With no cells the
// lead still stands alone: its first cell is empty.
template <class Sink>
static void put_wiki_cells(Sink &sink, char lead, const cell cells[], int count)
{
    sink.put(lead);
    for (int i = 0; i < count; i++) {
        if (i > 0) {
            sink.put(lead);
            sink.put(lead);
        }
        sink.put(cells[i].text, cells[i].length);
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
    buffer_sink sink{out};
    put_text(sink, WIKI_OPEN);
    put_wiki_cells(sink, '!', heads, count);
    if (!ends_with_newline(heads, count))
        sink.put('\n');
}

static void wiki_row(output_buffer *out, const cell cells[], int count)
{
    if (out == nullptr)
        return;
    output_row(out, [&](auto &sink) {
        put_text(sink, WIKI_ROW_OPEN);
        put_wiki_cells(sink, '|', cells, count);
        sink.put('\n');
    });
}

static void wiki_end(output_buffer *out)
{
    if (out == nullptr)
        return;
    buffer_sink sink{out};
    put_text(sink, WIKI_CLOSE);
}

static void div_begin(output_buffer *out, const cell heads[], int count)
{
    if (out == nullptr)
        return;
    buffer_sink sink{out};
    put_text(sink, DIV_OPEN);
    put_text(sink, TABLE_40);
    put_heading_row(sink, heads, count);
}

static void div_end(output_buffer *out)
{
    if (out == nullptr)
        return;
    buffer_sink sink{out};
    put_text(sink, DIV_CLOSE);
}

const table_writer HTML_WIKITABLE = {wikitable_begin, html_row, wikitable_end};
const table_writer WIKI_MARKUP = {wiki_begin, wiki_row, wiki_end};
const table_writer HTML_DIV_TABLE = {div_begin, html_row, div_end};
