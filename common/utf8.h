#ifndef BOMTABLES_UTF8_H
#define BOMTABLES_UTF8_H

#include <cstddef>

// The tables are UTF-8 whatever the input: bytes that form valid UTF-8 stay
// as they are, and every other byte is taken as the Windows-1252 character
// it stands for, as browsers read such text.

// How many bytes of a valid UTF-8 sequence start at p (n bytes there): its
// length, 0 when it is not valid, or -1 when the n bytes are a valid start
// of one that goes on past them.
int utf8_sequence(const unsigned char *p, size_t n);

// Puts the character c in UTF-8 at `to`; returns the end.
char *put_utf8(char *to, unsigned long c);

// Puts the byte b, which is no part of valid UTF-8, as its Windows-1252
// character; returns the end. At most 3 bytes.
char *put_windows_1252(char *to, unsigned char b);

// How many of the n bytes from p are ASCII other than NUL, from the first.
size_t ascii_run(const unsigned char *p, size_t n);

// Whether all the n bytes from p are ASCII.
bool all_ascii(const char *p, size_t n);

#endif
