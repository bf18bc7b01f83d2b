#ifndef BOMTABLES_CELL_OUTPUT_H
#define BOMTABLES_CELL_OUTPUT_H

// How the table writers put rows into an output's buffer.
#include <cstdint>

#include "table_writer.h"

// A row goes straight into the buffer's free room, which is looked at once
// for each cell: rows are many and short, and put so they cost half of what
// they cost put piece by piece. ROW_PIECE is the most a row writes beside a
// cell's text, before the next look.
constexpr size_t ROW_PIECE = 32;

// Where the next `n` bytes of a row go: at `at`, or at the start of the
// buffer once what it holds has gone to the file. `n` is at most the
// buffer's size.
inline char *room_for(output_buffer *out, char *at, size_t n)
{
    if (n <= static_cast<size_t>(out->data + OUTPUT_BUFFER_SIZE - at))
        return at;
    output_commit(out, at);
    output_flush(out);
    return out->data;
}

template <size_t N>
inline char *put_text(char *at, const char (&text)[N])
{
    static_assert(N - 1 <= ROW_PIECE / 2, "fixed texts fit beside a cell");
    memcpy(at, text, N - 1);
    return at + N - 1;
}

// Cells are mostly a few bytes long: copied with two overlapping moves of a
// fixed size, they cost a third of a call to memcpy. A cell of more than half
// a buffer goes to the file as it is.
[[gnu::always_inline]] inline char *put_cell(output_buffer *out, char *at, const cell &c)
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

#endif
