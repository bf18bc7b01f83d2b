#ifndef BOMTABLES_RUN_IO_H
#define BOMTABLES_RUN_IO_H

#include <cstdio>

#include "table_writer.h"

// The largest read a program may ask for, its NUL included.
constexpr int MAX_READ_SIZE = 65536;
// Bytes after a line's end that may be read, though they are no part of it
// (they are the next lines, or left from earlier reads).
constexpr size_t LINE_SLACK = 16;

// What the read loop does with each line: turn it into table operations on
// the outputs. The context is the handler's own state (a reader, say). The
// line may be changed, but not beyond its terminating NUL. `length` is the
// line's length as a C string: the bytes before its first NUL.
using line_handler = void (*)(void *context, char *line, size_t length, const table_output outputs[], int count);

// Reads the input to its end and hands every line to the handler: at most
// `size` - 1 bytes, ending after the first newline, so a longer physical line
// arrives as several lines. False when a read fails before the end of the input.
bool convert_lines(FILE *in, int size, line_handler handle, void *context, const table_output outputs[], int count);

// Writes the end of the table, then flushes and closes the output. False when
// any write to it, the flush or the close failed: the file is not complete.
bool finish_output(const table_output &output);

// True when both paths name one existing file, through links or not.
bool same_file(const char *a, const char *b);

// True when the path names the file that is open as `file`.
bool names_open_file(const char *path, FILE *file);

#endif
