#include "output_buffer.h"

#include <cstdarg>
#include <cstdlib>

#include "platform.h"

output_buffer *output_attach(output_buffer *out, FILE *file, const char *cant_write, const char *path)
{
    if (file == nullptr)
        return nullptr;
    // Every byte passes through this buffer: the stream's would only copy it
    // again. Should the stream stay buffered, the bytes are the same.
    (void)setvbuf(file, nullptr, _IONBF, 0);
    out->file = file;
    out->used = 0;
    out->cant_write = cant_write;
    out->path = path;
    out->next = out;
    return out;
}

void output_join(output_buffer *run, output_buffer *out)
{
    if (run == nullptr || out == nullptr)
        return;
    out->next = run->next;
    run->next = out;
}

static void write_out(output_buffer *out, const char *bytes, size_t n)
{
    if (fwrite(bytes, 1, n, out->file) != n && out->cant_write != nullptr)
        fail_keeping_outputs(out, out, out->cant_write, out->path);
}

void output_flush(output_buffer *out)
{
    size_t n = out->used;
    out->used = 0;
    if (n > 0)
        write_out(out, out->data, n);
}

void output_put_slowly(output_buffer *out, const char *bytes, size_t n)
{
    output_flush(out);
    if (n > OUTPUT_BUFFER_SIZE / 2) {
        write_out(out, bytes, n);
        return;
    }
    memcpy(out->data, bytes, n);
    out->used = n;
}

// Takes `out` out of its run, once its file is closed.
static void leave_run(output_buffer *out)
{
    output_buffer *before = out;
    while (before->next != out)
        before = before->next;
    before->next = out->next;
    out->next = out;
}

bool output_close(output_buffer *out)
{
    output_flush(out);
    leave_run(out);
    bool written = fflush(out->file) == 0 && ferror(out->file) == 0;
    written = fclose(out->file) == 0 && written;
    if (!written && out->cant_write != nullptr)
        fail_keeping_outputs(out, out, out->cant_write, out->path);
    return written;
}

void fail(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    vprintf(fmt, args);
    va_end(args);
    exit(1);
}

void fail_keeping_outputs(output_buffer *run, const output_buffer *failed, const char *fmt, const char *path)
{
    for (output_buffer *out = run; out != nullptr; out = out->next == run ? nullptr : out->next) {
        if (out == failed)
            continue;
        // The run is ending for its first failure: a further one changes
        // nothing of how.
        out->cant_write = nullptr;
        output_flush(out);
    }
    printf(fmt, path);
    exit(1);
}

void finish_standard_output(const char *program)
{
    if (!console_text_lost())
        return;
    (void)fprintf(stderr, "%s: can't write to standard output\n", program);
    exit(1);
}
