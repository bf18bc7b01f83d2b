#ifndef BOMTABLES_OUTPUT_BUFFER_H
#define BOMTABLES_OUTPUT_BUFFER_H

#include <cstdint>
#include <cstdio>
#include <cstring>

// Every row of one read fits an empty buffer: the writers' static_asserts
// tie their largest rows to this size.
constexpr size_t OUTPUT_BUFFER_SIZE = 65536;

// An output file and the buffer its table is assembled in. Rows are many and
// short, so they are gathered here and reach the file in large writes.
struct output_buffer {
    FILE *file;
    size_t used;
    // Called when a write to the file fails, to end the run there; when it
    // is nullptr the failure stays in the file's error indicator.
    void (*write_failed)(const output_buffer *out);
    char data[OUTPUT_BUFFER_SIZE];
};

// Takes over `file` (open for writing, or nullptr) with an empty buffer, and
// returns `out`, or nullptr for an absent output.
output_buffer *output_attach(output_buffer *out, FILE *file, void (*write_failed)(const output_buffer *out));

// Hands the buffered bytes to the file.
void output_flush(output_buffer *out);

// Flushes and closes the file. False when any write to it, the flush or the
// close failed: the file is not complete.
bool output_close(output_buffer *out);

// Puts bytes of any number, flushing as needed: for the fixed texts and the
// heading rows, which are few.
void output_put(output_buffer *out, const char *bytes, size_t n);
void output_put(output_buffer *out, char c);

// Cells are mostly a few bytes long: copying them with two overlapping moves
// costs less than a call.
inline void copy_bytes(char *to, const char *from, size_t n)
{
    if (n >= 8 && n <= 16) {
        uint64_t head, tail;
        memcpy(&head, from, 8);
        memcpy(&tail, from + n - 8, 8);
        memcpy(to, &head, 8);
        memcpy(to + n - 8, &tail, 8);
    } else if (n >= 4 && n < 8) {
        uint32_t head, tail;
        memcpy(&head, from, 4);
        memcpy(&tail, from + n - 4, 4);
        memcpy(to, &head, 4);
        memcpy(to + n - 4, &tail, 4);
    } else if (n > 0 && n < 4) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    } else if (n > 16) {
        memcpy(to, from, n);
    }
}

// Where a row's bytes go: straight into room made for them beforehand
// (data rows), or piece by piece through the buffer (heading rows, which may
// be larger than the buffer). Each flavour spells its rows out once, for any
// sink.
struct room_sink {
    char *at;
    void put(const char *bytes, size_t n)
    {
        copy_bytes(at, bytes, n);
        at += n;
    }
    void put(char c) { *at++ = c; }
    void put_cell(const char *bytes, size_t n) { put(bytes, n); }
};

// Copies cells a whole block of COPY_SLACK bytes at a time, so up to
// COPY_SLACK - 1 bytes past a cell's end are read and written. Only for room
// with that much to spare, and cells whose bytes are followed by that many
// readable ones, as the lines of the read loop are.
constexpr size_t COPY_SLACK = 16;

struct room_sink_copying_past_cells : room_sink {
    void put_cell(const char *bytes, size_t n)
    {
        for (size_t i = 0; i < n; i += COPY_SLACK)
            memcpy(at + i, bytes + i, COPY_SLACK);
        at += n;
    }
};

struct buffer_sink {
    output_buffer *out;
    void put(const char *bytes, size_t n) { output_put(out, bytes, n); }
    void put(char c) { output_put(out, c); }
    void put_cell(const char *bytes, size_t n) { put(bytes, n); }
};

// Room for `most` bytes at the end of the buffer, flushed first when they do
// not fit: a row's bytes go straight there, and output_commit takes them.
// `most` is at most OUTPUT_BUFFER_SIZE, as for every row of one read.
inline char *output_room(output_buffer *out, size_t most)
{
    if (most > OUTPUT_BUFFER_SIZE - out->used)
        output_flush(out);
    return out->data + out->used;
}

inline void output_commit(output_buffer *out, const char *end)
{
    out->used = static_cast<size_t>(end - out->data);
}

// Ends a complete run's console text. When any of it was lost, says so on
// standard error, as "<program>: can't write to standard output", and ends
// the process with status 1: the files are complete, the messages are not.
void finish_standard_output(const char *program);

#endif
