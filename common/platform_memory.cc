#include "platform.h"

// The converters in a web page, as WebAssembly: the page's script (the host)
// hands over the chosen file piece by piece. There are no file names,
// standard streams or signals, so nothing can be the same file as another
// and no console text is written.

#define FROM_HOST(name) __attribute__((import_module("host"), import_name(name)))

// The next bytes of the file, at most `n`: how many, 0 at its end, -1 when
// the file could not be read.
FROM_HOST("read") long host_read(char *into, size_t n);

// A note for the page's status line.
FROM_HOST("note") void host_note(const char *line, size_t n);

void prepare_standard_streams() {}

void write_note(const char *line, size_t n)
{
    host_note(line, n);
}

bool console_text_lost()
{
    return false;
}

long read_input(FILE *, char *into, size_t n)
{
    return host_read(into, n);
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
