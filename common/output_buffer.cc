#include "output_buffer.h"

#include <cstdlib>

#include "platform.h"

output_buffer *output_attach(output_buffer *out, FILE *file, void (*write_failed)(const output_buffer *out))
{
    if (file == nullptr)
        return nullptr;
    // Every byte passes through this buffer: the stream's would only copy it
    // again. Should the stream stay buffered, the bytes are the same.
    (void)setvbuf(file, nullptr, _IONBF, 0);
    out->file = file;
    out->used = 0;
    out->write_failed = write_failed;
    return out;
}

static void write_out(output_buffer *out, const char *bytes, size_t n)
{
    if (fwrite(bytes, 1, n, out->file) != n && out->write_failed != nullptr)
        out->write_failed(out);
}

void output_flush(output_buffer *out)
{
    size_t n = out->used;
    out->used = 0;
    if (n > 0)
        write_out(out, out->data, n);
}

void output_put(output_buffer *out, const char *bytes, size_t n)
{
    if (n > OUTPUT_BUFFER_SIZE - out->used)
        output_flush(out);
    if (n > OUTPUT_BUFFER_SIZE) {
        write_out(out, bytes, n);
        return;
    }
    memcpy(out->data + out->used, bytes, n);
    out->used += n;
}

void output_put(output_buffer *out, char c)
{
    output_put(out, &c, 1);
}

bool output_close(output_buffer *out)
{
    output_flush(out);
    bool written = fflush(out->file) == 0 && ferror(out->file) == 0;
    return fclose(out->file) == 0 && written;
}

void finish_standard_output(const char *program)
{
    if (!console_text_lost())
        return;
    (void)fprintf(stderr, "%s: can't write to standard output\n", program);
    exit(1);
}
