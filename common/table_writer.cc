#include "table_writer.h"

// Fixed texts go out with their lengths known here.
template <class Sink, size_t N>
static void put_text(Sink &sink, const char (&text)[N])
{
    sink.put(text, N - 1);
}

// html_wikitable
static const char WIKITABLE_OPEN[] = "<table class='wikitable' border='1'>\n";
static constexpr char ROW_OPEN[] = "<tr>\n";
static constexpr char HEAD_CELL_OPEN[] = "<th scope='col'>";
static constexpr char HEAD_CELL_CLOSE[] = "</th>\n";
static constexpr char ROW_CLOSE[] = "</tr>\n";
static constexpr char DATA_ROW_OPEN[] = "<tr>";
static constexpr char DATA_CELL_OPEN[] = "<td>";
static constexpr char DATA_CELL_CLOSE[] = "</td> ";
static const char WIKITABLE_CLOSE[] = "</table>\n\n";

// wiki_markup
static const char WIKI_OPEN[] = "== Partlist ==\n\n{| border='1' class='wikitable'\n";
static const char WIKI_ROW_OPEN[] = "|-\n";
static const char WIKI_CLOSE[] = "|}\n\n";

// html_div_table: one percent sign, as the table line's format once wrote it.
static const char DIV_OPEN[] = "<Div Class='Wiki'>\n";
static const char TABLE_40[] = "<table width='40%' border='1'>\n";
static const char DIV_CLOSE[] = "</table>\n</div>\n";

// Two fixed texts run together at compile time, so that the tags between two
// cells go out in one piece.
template <size_t N>
struct joined_text {
    char text[N];
    static constexpr size_t size = N - 1;
};

template <size_t A, size_t B>
static constexpr joined_text<A + B - 1> join(const char (&a)[A], const char (&b)[B])
{
    joined_text<A + B - 1> both{};
    for (size_t i = 0; i + 1 < A; i++)
        both.text[i] = a[i];
    for (size_t i = 0; i < B; i++)
        both.text[A - 1 + i] = b[i];
    return both;
}

template <class Sink, size_t N>
static void put_text(Sink &sink, const joined_text<N> &text)
{
    sink.put(text.text, text.size);
}

// An HTML row: its opening tag, each cell between its cell tags, "</tr>\n".
// Heading and data rows differ only in those tags.
template <size_t OPEN, size_t CELL_OPEN, size_t CELL_CLOSE>
struct html_row_tags {
    joined_text<OPEN + sizeof ROW_CLOSE - 1> empty;       // a row without cells
    joined_text<OPEN + CELL_OPEN - 1> first;              // up to the first cell
    joined_text<CELL_CLOSE + CELL_OPEN - 1> between;      // from one cell to the next
    joined_text<CELL_CLOSE + sizeof ROW_CLOSE - 1> last;  // after the last cell
    size_t per_cell = CELL_OPEN - 1 + CELL_CLOSE - 1;
    size_t per_row = OPEN - 1 + sizeof ROW_CLOSE - 1;
};

template <size_t OPEN, size_t CELL_OPEN, size_t CELL_CLOSE>
static constexpr html_row_tags<OPEN, CELL_OPEN, CELL_CLOSE>
row_tags(const char (&open)[OPEN], const char (&cell_open)[CELL_OPEN], const char (&cell_close)[CELL_CLOSE])
{
    return {join(open, ROW_CLOSE), join(open, cell_open), join(cell_close, cell_open), join(cell_close, ROW_CLOSE)};
}

static constexpr auto HEAD_TAGS = row_tags(ROW_OPEN, HEAD_CELL_OPEN, HEAD_CELL_CLOSE);
static constexpr auto DATA_TAGS = row_tags(DATA_ROW_OPEN, DATA_CELL_OPEN, DATA_CELL_CLOSE);

template <class Sink, class Tags>
[[gnu::always_inline]] static inline void put_html_row(Sink &sink, const Tags &tags, const cell cells[], int count)
{
    if (count == 0) {
        put_text(sink, tags.empty);
        return;
    }
    put_text(sink, tags.first);
    sink.put(cells[0].text, cells[0].length);
    for (int i = 1; i < count; i++) {
        put_text(sink, tags.between);
        sink.put(cells[i].text, cells[i].length);
    }
    put_text(sink, tags.last);
}

// A heading row may hold thousands of CSV cells, so it goes out piece by piece.
static void put_heading_row(buffer_sink &sink, const cell heads[], int count)
{
    put_html_row(sink, HEAD_TAGS, heads, count);
}

// The bytes of all cells together.
[[gnu::always_inline]] static inline size_t text_size(const cell cells[], int count)
{
    size_t size = 0;
    for (int i = 0; i < count; i++)
        size += cells[i].length;
    return size;
}

// Most rows have three cells, every BOM row and most CSV rows: spelled out
// with that count known, their loops unroll.
constexpr int USUAL_CELLS = 3;

[[gnu::always_inline]] static inline void put_html_data_row(output_buffer *out, const cell cells[], int count)
{
    size_t most = DATA_TAGS.per_row + DATA_TAGS.per_cell * static_cast<size_t>(count) + text_size(cells, count);
    output_row(out, most, [&](auto &sink) { put_html_row(sink, DATA_TAGS, cells, count); });
}

// Both HTML flavours write data rows alike.
static void html_row(output_buffer *out, const cell cells[], int count)
{
    if (out == nullptr)
        return;
    if (count == USUAL_CELLS)
        put_html_data_row(out, cells, USUAL_CELLS);
    else
        put_html_data_row(out, cells, count);
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
[[gnu::always_inline]] static inline void put_wiki_cells(Sink &sink, char lead, const cell cells[], int count)
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

[[gnu::always_inline]] static inline void put_wiki_row(output_buffer *out, const cell cells[], int count)
{
    // Two leads per cell, and the lone lead and newline.
    size_t most = sizeof WIKI_ROW_OPEN - 1 + 2 + 2 * static_cast<size_t>(count) + text_size(cells, count);
    output_row(out, most, [&](auto &sink) {
        put_text(sink, WIKI_ROW_OPEN);
        put_wiki_cells(sink, '|', cells, count);
        sink.put('\n');
    });
}

static void wiki_row(output_buffer *out, const cell cells[], int count)
{
    if (out == nullptr)
        return;
    if (count == USUAL_CELLS)
        put_wiki_row(out, cells, USUAL_CELLS);
    else
        put_wiki_row(out, cells, count);
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
