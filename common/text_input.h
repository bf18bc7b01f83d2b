#ifndef BOMTABLES_TEXT_INPUT_H
#define BOMTABLES_TEXT_INPUT_H

#include <cstddef>
#include <cstdio>

// The encodings an input is read in. A byte-order mark at its start tells
// UTF-16 apart; everything else is read as UTF-8.
enum text_encoding { TEXT_UTF8, TEXT_UTF16LE, TEXT_UTF16BE };

// The largest piece text_read hands over at once.
constexpr size_t TEXT_PIECE_MOST = size_t{3} * 65536;

// An input read as UTF-8 text: a UTF-8 byte-order mark at its start is
// dropped, UTF-16 (byte-order mark FF FE or FE FF) is turned into UTF-8, and
// in UTF-8 text every byte that is no part of a valid sequence is taken as
// the Windows-1252 character it stands for, so that what is read is always
// valid UTF-8. A NUL is no text: it is read as the replacement character.
struct text_input {
    FILE *file;
    bool started;  // the first bytes, and their byte-order mark, are looked at
    text_encoding encoding;
    bool windows_1252;  // some bytes were not UTF-8 and were read as Windows-1252
    bool at_end;
    // Bytes read and not yet decoded: a sequence cut at the end of a read.
    unsigned char held[4];
    size_t held_count;
    unsigned char raw[65536 + 4];
};

// Takes over `file` for reading (nullptr for the page's input).
void text_open(text_input *in, FILE *file);

// Reads the next piece of text into `into` (TEXT_PIECE_MOST bytes of room):
// how many bytes, 0 at the end of the input, -1 when a read failed.
long text_read(text_input *in, char *into);

#endif
