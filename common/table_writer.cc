#include "table_writer.h"

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

static void html_row(output_buffer *out, const cell cells[], int count)
{
    if (out == nullptr)
        return;
    put_text(out, DATA_ROW_OPEN);
    for (int i = 0; i < count; i++) {
        put_text(out, DATA_CELL_OPEN);
        put_cell(out, cells[i]);
        put_text(out, DATA_CELL_CLOSE);
    }
    put_text(out, ROW_CLOSE);
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
    put_text(out, WIKI_ROW_OPEN);
    put_wiki_cells(out, '|', cells, count);
    output_put(out, '\n');
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
