#ifndef BOMTABLES_PLATFORM_H
#define BOMTABLES_PLATFORM_H

#include <cstddef>
#include <cstdio>

// What the programs need of their files and standard streams beyond
// standard C. Each family of systems has its own form of these, in its own
// file: platform_posix.cc (Linux, macOS, the BSDs), platform_windows.cc, and
// platform_memory.cc for the web page, whose file comes from its script.

// Called first in every run. Standard streams that are closed get the null
// device, so that no file the run opens takes their place and receives its
// messages; on Windows, where that cannot happen, a standard output the
// program was started without takes its console text nowhere, as NUL would.
// Signals that would end the run for a write that cannot be done (a pipe
// whose reader is gone, a file over the size limit) are ignored: the write
// fails instead, and the run says so.
void prepare_standard_streams();

// Writes one line of a note to the user, its newline included, where notes
// go: standard error, or the page's status line.
void write_note(const char *line, size_t n);

// True when console text could not be written to standard output.
bool console_text_lost();

// Reads up to `n` bytes of the input at once, bypassing its stream's buffer:
// returns how many, 0 at the end of the input, or -1 when the read failed.
long read_input(FILE *in, char *into, size_t n);

// From here on the input's bytes arrive as they are, with no line ends
// turned into newlines: for a UTF-16 file, whose bytes are no such text.
void read_input_as_bytes(FILE *in);

// Outputs are created (truncated) before the input is read, so the programs
// ask, before they open an output, whether its name is that of a file they
// read or write already. Only a regular file can be lost that way: a device
// or a terminal that is both input and output destroys nothing.

// True when both paths name one existing regular file, through links or not.
bool same_regular_file(const char *a, const char *b);

// True when the path names the regular file that standard output goes to.
bool names_standard_output(const char *path);

// True when the path names the file that is open as `file`.
bool names_open_file(const char *path, FILE *file);

#endif
