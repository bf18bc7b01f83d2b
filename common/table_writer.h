#ifndef BOMTABLES_TABLE_WRITER_H
#define BOMTABLES_TABLE_WRITER_H

#include "output_buffer.h"

// A cell's bytes as they are written: never escaped, not NUL-terminated.
struct cell {
    const char *text;
    size_t length;
};

// The three table flavours share one shape: a heading row, data rows, an end.
// Every operation on an absent output (nullptr) does nothing. A data row must
// fit the output's buffer, as every row of one read does.
struct table_writer {
    void (*begin)(output_buffer *out, const cell heads[], int count);
    void (*row)(output_buffer *out, const cell cells[], int count);
    void (*end)(output_buffer *out);
};

extern const table_writer HTML_WIKITABLE;  // bomtab and rowcast, --html
extern const table_writer WIKI_MARKUP;     // bomtab and rowcast, --wiki
extern const table_writer HTML_DIV_TABLE;  // bomgrid

// One output and the flavour written to it.
struct table_output {
    const table_writer *writer;
    output_buffer *out;
};

// Writes the end of the table, then flushes and closes the output. False when
// any write to it, the flush or the close failed: the file is not complete.
bool finish_table(const table_output &output);

// The pieces of the data rows, shared by every writer: the row's opening,
// each cell, its end. Either row of `cells` cells holding `text` bytes is at
// most *_row_most bytes long.
inline constexpr char DATA_ROW_OPEN[] = "<tr>";
inline constexpr char DATA_CELL_OPEN[] = "<td>";
inline constexpr char DATA_CELL_CLOSE[] = "</td> ";
inline constexpr char ROW_CLOSE[] = "</tr>\n";
inline constexpr char WIKI_ROW_OPEN[] = "|-\n";
inline constexpr char WIKI_LEAD = '|';

// Fixed texts go out with their lengths known here.
template <class Sink, size_t N>
[[gnu::always_inline]] inline void put_text(Sink &sink, const char (&text)[N])
{
    sink.put(text, N - 1);
}

constexpr size_t html_row_most(size_t cells, size_t text)
{
    return sizeof DATA_ROW_OPEN - 1 + sizeof ROW_CLOSE - 1 +
           cells * (sizeof DATA_CELL_OPEN - 1 + sizeof DATA_CELL_CLOSE - 1) + text;
}

template <class Sink>
[[gnu::always_inline]] inline void html_row_open(Sink &sink)
{
    put_text(sink, DATA_ROW_OPEN);
}

template <class Sink>
[[gnu::always_inline]] inline void html_row_cell(Sink &sink, const cell &c)
{
    put_text(sink, DATA_CELL_OPEN);
    sink.put_cell(c.text, c.length);
    put_text(sink, DATA_CELL_CLOSE);
}

template <class Sink>
[[gnu::always_inline]] inline void html_row_close(Sink &sink)
{
    put_text(sink, ROW_CLOSE);
}

// Wiki cells go as "<lead>first<lead><lead>second...". With no cells the
// lead still stands alone: its first cell is empty.
constexpr size_t wiki_row_most(size_t cells, size_t text)
{
    return sizeof WIKI_ROW_OPEN - 1 + 1 + 2 * cells + text + 1;
}

template <class Sink>
[[gnu::always_inline]] inline void wiki_cell(Sink &sink, char lead, const cell &c, bool first)
{
    if (!first) {
        sink.put(lead);
        sink.put(lead);
    }
    sink.put_cell(c.text, c.length);
}

template <class Sink>
[[gnu::always_inline]] inline void wiki_row_open(Sink &sink)
{
    put_text(sink, WIKI_ROW_OPEN);
    sink.put(WIKI_LEAD);
}

template <class Sink>
[[gnu::always_inline]] inline void wiki_row_close(Sink &sink)
{
    sink.put('\n');
}

// rowcast's data rows, HTML and wiki, are put together while its walk finds
// the cells of a line. The room for each is made beforehand in its output,
// or in a scrap buffer for an absent one: enough for a row of `length` bytes
// of text in at most `length` + 1 cells. Cells are copied in whole blocks, so
// the line must be one of the read loop's, followed by spare bytes.
struct data_row_pair {
    output_buffer *html_out, *wiki_out;
    room_sink_copying_past_cells html, wiki;
    bool first;  // no cell taken yet
};

// Where an absent output's rows go, to be thrown away.
extern char scrap_row[OUTPUT_BUFFER_SIZE + COPY_SLACK];

[[gnu::always_inline]] inline char *data_row_room(output_buffer *out, size_t most)
{
    return out != nullptr ? output_room(out, most + COPY_SLACK) : scrap_row;
}

[[gnu::always_inline]] inline data_row_pair data_rows_open(output_buffer *html, output_buffer *wiki, size_t length)
{
    data_row_pair rows = {html,
                          wiki,
                          {{data_row_room(html, html_row_most(length + 1, length))}},
                          {{data_row_room(wiki, wiki_row_most(length + 1, length))}},
                          true};
    html_row_open(rows.html);
    wiki_row_open(rows.wiki);
    return rows;
}

// Puts the cell into both rows when `is_cell`. Cells are many and their
// kinds follow no pattern, so it is put either way and taken back when it is
// none, without a branch.
[[gnu::always_inline]] inline void data_rows_cell(data_row_pair &rows, const cell &c, bool is_cell)
{
    char *html_was = rows.html.at, *wiki_was = rows.wiki.at;
    html_row_cell(rows.html, c);
    wiki_cell(rows.wiki, WIKI_LEAD, c, rows.first);
    rows.html.at = is_cell ? rows.html.at : html_was;
    rows.wiki.at = is_cell ? rows.wiki.at : wiki_was;
    rows.first = rows.first && !is_cell;
}

// Ends both rows. The trailer (the text after the line's last field, normally
// its newline; nullptr text when there is none) is no cell of the table, but
// a row without cells still shows it in the wiki flavour.
[[gnu::always_inline]] inline void data_rows_close(data_row_pair &rows, const cell &trailer)
{
    if (rows.first && trailer.text != nullptr)
        wiki_cell(rows.wiki, WIKI_LEAD, trailer, true);
    html_row_close(rows.html);
    wiki_row_close(rows.wiki);
    if (rows.html_out != nullptr)
        output_commit(rows.html_out, rows.html.at);
    if (rows.wiki_out != nullptr)
        output_commit(rows.wiki_out, rows.wiki.at);
}

#endif
