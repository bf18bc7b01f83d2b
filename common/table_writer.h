#ifndef BOMTABLES_TABLE_WRITER_H
#define BOMTABLES_TABLE_WRITER_H

#include "output_buffer.h"

// A cell's bytes as they are written: never escaped, not NUL-terminated.
struct cell {
    const char *text;
    size_t length;
};

// Fixed texts go out with their lengths known here.
template <class Sink, size_t N>
[[gnu::always_inline]] inline void put_text(Sink &sink, const char (&text)[N])
{
    sink.put(text, N - 1);
}

// The pieces of the data rows, for writers that take the cells one by one
// as they are found: the row's opening, each cell, its end. Either row of
// `cells` cells holding `text` bytes is at most *_row_most bytes long.
inline constexpr char DATA_ROW_OPEN[] = "<tr>";
inline constexpr char DATA_CELL_OPEN[] = "<td>";
inline constexpr char DATA_CELL_CLOSE[] = "</td> ";
inline constexpr char ROW_CLOSE[] = "</tr>\n";
inline constexpr char WIKI_ROW_OPEN[] = "|-\n";
inline constexpr char WIKI_LEAD = '|';

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
    put_cell_text(sink, c.text, c.length);
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
    put_cell_text(sink, c.text, c.length);
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

// The three table flavours share one shape: a heading row, data rows, an end.
// Every operation on an absent output (nullptr) does nothing.
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

#endif
