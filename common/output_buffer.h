#ifndef BOMTABLES_OUTPUT_BUFFER_H
#define BOMTABLES_OUTPUT_BUFFER_H

#include <cstdio>
#include <cstring>

constexpr size_t OUTPUT_BUFFER_SIZE = 65536;

// An output file and the buffer its table is gathered in. Rows are many and
// short, so they reach the file in large writes.
struct output_buffer {
    FILE *file;
    size_t used;
    // What the run says when a write to the file fails, a printf format whose
    // %s is `path`. A failed write then ends the run; without a message the
    // failure stays in the file's error indicator for output_close to report.
    const char *cant_write;
    const char *path;
    // The run's outputs form a ring, so that the one that fails can keep
    // what the others gathered.
    output_buffer *next;
    char data[OUTPUT_BUFFER_SIZE];
};

// Takes over `file` (open for writing, or nullptr) with an empty buffer, and
// returns `out`, or nullptr for an absent output. The output is a run of its
// own until output_join adds it to another's.
output_buffer *output_attach(output_buffer *out, FILE *file, const char *cant_write, const char *path);

// Puts `out` (when present) into the run of `run`.
void output_join(output_buffer *run, output_buffer *out);

// Hands the buffered bytes to the file.
void output_flush(output_buffer *out);

// Puts bytes that do not fit the free room: what the buffer holds goes to
// the file first, and more than half a buffer's bytes go there straight,
// leaving the buffer empty.
void output_put_slowly(output_buffer *out, const char *bytes, size_t n);

inline void output_put(output_buffer *out, const char *bytes, size_t n)
{
    if (n <= OUTPUT_BUFFER_SIZE - out->used) {
        memcpy(out->data + out->used, bytes, n);
        out->used += n;
    } else {
        output_put_slowly(out, bytes, n);
    }
}

inline void output_put(output_buffer *out, char c)
{
    output_put(out, &c, 1);
}

// Takes the bytes put straight into the buffer, up to `end`.
inline void output_commit(output_buffer *out, const char *end)
{
    out->used = static_cast<size_t>(end - out->data);
}

// Flushes and closes the file. When it was not written completely, an output
// with a message ends the run; one without returns false.
bool output_close(output_buffer *out);

// Every failure leaves the same way: its text on standard output, where the
// banner went, then status 1.
[[noreturn]] __attribute__((format(printf, 1, 2))) void fail(const char *fmt, ...);

// Ends the run with the message: the outputs of the run of `run` (nullptr
// for none) keep what they gathered, all but `failed`, whose writes failed.
[[noreturn]] void fail_keeping_outputs(output_buffer *run, const output_buffer *failed, const char *fmt,
                                       const char *path);

// Ends a complete run's console text. When any of it was lost, says so on
// standard error, as "<program>: can't write to standard output", and ends
// the process with status 1: the files are complete, the messages are not.
void finish_standard_output(const char *program);

#endif
