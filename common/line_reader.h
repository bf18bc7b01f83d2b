#ifndef BOMTABLES_LINE_READER_H
#define BOMTABLES_LINE_READER_H

#include <cstddef>
#include <cstdio>

// The largest read a program may ask for, its NUL included.
constexpr int MAX_READ_SIZE = 65536;

// What a program does with each line. The context is the handler's own
// state: its reader and the outputs it writes to. The line may be changed,
// but not beyond its terminating NUL. `length` is the line's length as a C
// string: the bytes before its first NUL. `ends_line` tells that it ends a
// physical line: with its newline, or at the end of the input.
using line_handler = void (*)(void *context, char *line, size_t length, bool ends_line);

// Reads the input to its end and hands every line to the handler: at most
// `size` - 1 bytes, ending after the first newline, so a longer physical line
// arrives as several lines. False when a read fails before the end of the input.
bool read_lines(FILE *in, int size, line_handler handle, void *context);

#endif
