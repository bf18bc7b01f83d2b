#include "output_buffer.h"

#include <cstdlib>

// The outputs still open. A run that ends early leaves through exit(), and
// what the tables held so far reaches their files then, as it would have
// from the streams' own buffers.
static output_buffer *open_outputs[2];

static void flush_open_outputs()
{
    for (output_buffer *out : open_outputs) {
        if (out != nullptr)
            output_flush(out);
    }
}

output_buffer *output_attach(output_buffer *out, FILE *file)
{
    if (file == nullptr)
        return nullptr;
    // Every byte passes through this buffer: the stream's would only copy it
    // again. Should the stream stay buffered, the bytes are the same.
    (void)setvbuf(file, nullptr, _IONBF, 0);
    out->file = file;
    out->used = 0;
    static bool registered = false;
    if (!registered)
        registered = atexit(flush_open_outputs) == 0;
    for (output_buffer *&slot : open_outputs) {
        if (slot == nullptr) {
            slot = out;
            break;
        }
    }
    return out;
}

void output_flush(output_buffer *out)
{
    // A short write sets the stream's error indicator, which output_close reports.
    if (out->used > 0)
        (void)fwrite(out->data, 1, out->used, out->file);
    out->used = 0;
}

void output_put_large(output_buffer *out, const char *bytes, size_t n)
{
    output_flush(out);
    if (n >= OUTPUT_BUFFER_SIZE) {
        (void)fwrite(bytes, 1, n, out->file);
        return;
    }
    memcpy(out->data, bytes, n);
    out->used = n;
}

bool output_close(output_buffer *out)
{
    output_flush(out);
    for (output_buffer *&slot : open_outputs) {
        if (slot == out)
            slot = nullptr;
    }
    bool written = fflush(out->file) == 0 && ferror(out->file) == 0;
    return fclose(out->file) == 0 && written;
}
