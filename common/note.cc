#include "note.h"

#include <cstdarg>
#include <cstdio>

#include "platform.h"

void note(const char *program, const char *fmt, ...)
{
    char line[512];
    int n = snprintf(line, sizeof line, "%s: ", program);
    va_list args;
    va_start(args, fmt);
    n += vsnprintf(line + n, sizeof line - static_cast<size_t>(n) - 1, fmt, args);
    va_end(args);
    if (n > static_cast<int>(sizeof line) - 2)
        n = static_cast<int>(sizeof line) - 2;
    line[n++] = '\n';
    write_note(line, static_cast<size_t>(n));
}
