#include <cstdarg>
#include <cstdlib>

#include "output_buffer.h"
#include "platform.h"

// How a console program's run ends early. The web page has no console: it
// has a file of its own for this.

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
