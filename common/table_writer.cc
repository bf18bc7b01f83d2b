#include "table_writer.h"

// html_wikitable
static const char WIKITABLE_OPEN[] = "<table class='wikitable' border='1'>\n";
static const char ROW_OPEN[] = "<tr>\n";
static const char HEAD_CELL_OPEN[] = "<th scope='col'>";
static const char HEAD_CELL_CLOSE[] = "</th>\n";
static const char WIKITABLE_CLOSE[] = "</table>\n\n";

// wiki_markup
static const char WIKI_OPEN[] = "== Partlist ==\n\n{| border='1' class='wikitable'\n";
static const char WIKI_CLOSE[] = "|}\n\n";

// html_div_table: one percent sign, as the table line's format once wrote it.
static const char DIV_OPEN[] = "<Div Class='Wiki'>\n<table width='40%' border='1'>\n";
static const char DIV_CLOSE[] = "</table>\n</div>\n";

// The data rows' pieces, which rowcast's rows share, are in the header.

char scrap_row[OUTPUT_BUFFER_SIZE + COPY_SLACK];

// A heading row: "<tr>\n", each cell between its heading tags, "</tr>\n". It
// may hold thousands of CSV cells, so it goes out piece by piece.
static void put_heading_row(buffer_sink &sink, const cell heads[], int count)
{
    put_text(sink, ROW_OPEN);
    for (int i = 0; i < count; i++) {
        put_text(sink, HEAD_CELL_OPEN);
        sink.put(heads[i].text, heads[i].length);
        put_text(sink, HEAD_CELL_CLOSE);
    }
    put_text(sink, ROW_CLOSE);
}

// The bytes of all cells together.
[[gnu::always_inline]] static inline size_t text_size(const cell cells[], int count)
{
    size_t size = 0;
    for (int i = 0; i < count; i++)
        size += cells[i].length;
    return size;
}

// Both HTML flavours: their opening text, then the heading row.
template <const auto &OPEN>
static void html_begin(output_buffer *out, const cell heads[], int count)
{
    if (out == nullptr)
        return;
    buffer_sink sink{out};
    put_text(sink, OPEN);
    put_heading_row(sink, heads, count);
}

// Every flavour ends with a fixed text.
template <const auto &CLOSE>
static void put_end(output_buffer *out)
{
    if (out == nullptr)
        return;
    buffer_sink sink{out};
    put_text(sink, CLOSE);
}

static void put_wiki_cells(buffer_sink &sink, char lead, const cell cells[], int count)
{
    sink.put(lead);
    for (int i = 0; i < count; i++)
        wiki_cell(sink, lead, cells[i], i == 0);
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

[[gnu::always_inline]] static inline void put_html_row(output_buffer *out, const cell cells[], int count)
{
    room_sink sink{output_room(out, html_row_most(static_cast<size_t>(count), text_size(cells, count)))};
    html_row_open(sink);
    for (int i = 0; i < count; i++)
        html_row_cell(sink, cells[i]);
    html_row_close(sink);
    output_commit(out, sink.at);
}

[[gnu::always_inline]] static inline void put_wiki_row(output_buffer *out, const cell cells[], int count)
{
    room_sink sink{output_room(out, wiki_row_most(static_cast<size_t>(count), text_size(cells, count)))};
    wiki_row_open(sink);
    for (int i = 0; i < count; i++)
        wiki_cell(sink, WIKI_LEAD, cells[i], i == 0);
    wiki_row_close(sink);
    output_commit(out, sink.at);
}

// Every BOM row has three cells: spelled out with that count known, its
// loops unroll.
constexpr int USUAL_CELLS = 3;

template <void PUT(output_buffer *, const cell[], int)>
static void data_row(output_buffer *out, const cell cells[], int count)
{
    if (out == nullptr)
        return;
    if (count == USUAL_CELLS)
        PUT(out, cells, USUAL_CELLS);
    else
        PUT(out, cells, count);
}

const table_writer HTML_WIKITABLE = {html_begin<WIKITABLE_OPEN>, data_row<put_html_row>, put_end<WIKITABLE_CLOSE>};
const table_writer WIKI_MARKUP = {wiki_begin, data_row<put_wiki_row>, put_end<WIKI_CLOSE>};
const table_writer HTML_DIV_TABLE = {html_begin<DIV_OPEN>, data_row<put_html_row>, put_end<DIV_CLOSE>};

bool finish_table(const table_output &output)
{
    output.writer->end(output.out);
    return output_close(output.out);
}
