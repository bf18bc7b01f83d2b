// The programs' platform, but for an input that fails to be read after its
// first piece: what the tables gathered by then must reach their files.
#include <unistd.h>

#include "platform.h"

void prepare_standard_streams() {}

void write_note(const char *line, size_t n)
{
    (void)fwrite(line, 1, n, stderr);
}

bool console_text_lost()
{
    return fflush(stdout) != 0 || ferror(stdout) != 0;
}

long read_input(FILE *in, char *into, size_t n)
{
    static bool read_once;
    if (read_once)
        return -1;
    read_once = true;
    return static_cast<long>(read(fileno(in), into, n));
}

void read_input_as_bytes(FILE *) {}

bool same_regular_file(const char *, const char *)
{
    return false;
}

bool names_standard_output(const char *)
{
    return false;
}

bool names_open_file(const char *, FILE *)
{
    return false;
}
