#include "output_buffer.h"

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
