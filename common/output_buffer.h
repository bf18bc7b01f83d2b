#ifndef BOMTABLES_OUTPUT_BUFFER_H
#define BOMTABLES_OUTPUT_BUFFER_H

#include <cstdio>
#include <cstring>

constexpr size_t OUTPUT_BUFFER_SIZE = 65536;

// An output file and the buffer its table is assembled in. Rows are many and
// short, so they are gathered here and reach the file in large writes.
struct output_buffer {
    FILE *file;
    size_t used;
    char data[OUTPUT_BUFFER_SIZE];
};

// Takes over `file` (open for writing, or nullptr) with an empty buffer, and
// returns `out`, or nullptr for an absent output.
output_buffer *output_attach(output_buffer *out, FILE *file);

// Hands the buffered bytes to the file; the file's error indicator keeps any failure.
void output_flush(output_buffer *out);

// Flushes and closes the file. False when any write to it, the flush or the
// close failed: the file is not complete.
bool output_close(output_buffer *out);

void output_put_large(output_buffer *out, const char *bytes, size_t n);

inline void output_put(output_buffer *out, const char *bytes, size_t n)
{
    if (n > OUTPUT_BUFFER_SIZE - out->used) {
        output_put_large(out, bytes, n);
        return;
    }
    memcpy(out->data + out->used, bytes, n);
    out->used += n;
}

inline void output_put(output_buffer *out, const char *text)
{
    output_put(out, text, strlen(text));
}

inline void output_put(output_buffer *out, char c)
{
    if (out->used == OUTPUT_BUFFER_SIZE)
        output_flush(out);
    out->data[out->used++] = c;
}

#endif
