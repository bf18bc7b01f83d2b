#ifndef BOMTABLES_FILES_H
#define BOMTABLES_FILES_H

#include <cstddef>
#include <cstdio>

// What the programs need of their files beyond standard C.

// Reads up to `n` bytes of the input at once, bypassing its stream's buffer:
// returns how many, 0 at the end of the input, or -1 when the read failed.
long read_input(FILE *in, char *into, size_t n);

// Outputs are created (truncated) before the input is read, so the programs
// ask, before they open an output, whether its name is that of a file they
// read or write already.

// True when both paths name one existing file, through links or not.
bool same_file(const char *a, const char *b);

// True when the path names the file that is open as `file`.
bool names_open_file(const char *path, FILE *file);

#endif
