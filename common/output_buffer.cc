#include "output_buffer.h"

output_buffer *output_attach(output_buffer *out, FILE *file)
{
    if (file == nullptr)
        return nullptr;
    // Every byte passes through this buffer: the stream's would only copy it
    // again. Should the stream stay buffered, the bytes are the same.
    (void)setvbuf(file, nullptr, _IONBF, 0);
    out->file = file;
    out->used = 0;
    return out;
}

void output_flush(output_buffer *out)
{
    // A short write sets the stream's error indicator, which output_close reports.
    if (out->used > 0)
        (void)fwrite(out->data, 1, out->used, out->file);
    out->used = 0;
}

void output_put(output_buffer *out, const char *bytes, size_t n)
{
    if (n > OUTPUT_BUFFER_SIZE - out->used)
        output_flush(out);
    if (n > OUTPUT_BUFFER_SIZE) {
        (void)fwrite(bytes, 1, n, out->file);
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
