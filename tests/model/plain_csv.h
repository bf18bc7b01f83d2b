#ifndef BOMTABLES_PLAIN_CSV_H
#define BOMTABLES_PLAIN_CSV_H

// What rowcast must make of a CSV file, worked out the plainest way from the
// whole file at once, for the unit tests, the end-to-end tests and the fuzz
// target to compare with.
#include <string>

#include "plain_tables.h"

// The file's bytes as UTF-8: a UTF-8 byte-order mark dropped, UTF-16 with
// its mark decoded, other bytes that are no UTF-8 read as Windows-1252, NULs
// as the replacement character.
std::string plain_utf8(const std::string &bytes);

// The character c in UTF-8, appended to `to`.
void append_utf8(std::string &to, unsigned long c);
// The length of the valid UTF-8 sequence at `at` of s (its code point in
// `code`), or 0 when none starts there.
size_t utf8_at(const std::string &s, size_t at, unsigned long *code);
// The byte b, no part of UTF-8 text, as the Windows-1252 character it stands for.
std::string windows_1252(unsigned char b);

// The rowcast tables (HTML and wiki) of the file.
plain_tables plain_csv_tables(const std::string &bytes);

#endif
