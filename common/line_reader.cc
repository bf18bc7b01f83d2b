#include "line_reader.h"

#include <cstring>

#include "platform.h"

bool read_lines(FILE *in, int size, line_handler handle, void *context)
{
    // Lines are cut out of large reads and handed on where they lie; the
    // byte after a line makes room for its NUL and is put back afterwards.
    static char chunk[MAX_READ_SIZE + 1];
    const size_t most = static_cast<size_t>(size - 1);
    size_t pos = 0, end = 0;
    bool at_end = false;
    // Text rarely holds a NUL, so each read is searched for one once, and
    // its lines only when it has one.
    bool has_nul = false;
    for (;;) {
        char *line = chunk + pos;
        size_t left = end - pos;
        const void *newline = memchr(line, '\n', left < most ? left : most);
        size_t length;
        bool ends_line = true;
        if (newline != nullptr) {
            length = static_cast<size_t>(static_cast<const char *>(newline) - line) + 1;
        } else if (left > most || (left == most && at_end)) {
            // A line of `most` bytes ends with the input only when it is
            // known to: the next read tells.
            length = most;
            ends_line = left == most;
        } else if (at_end) {
            if (left == 0)
                return true;
            length = left;
        } else {
            memmove(chunk, line, left);
            pos = 0;
            long got = read_input(in, chunk + left, MAX_READ_SIZE - left);
            if (got < 0)
                return false;
            at_end = got == 0;
            end = left + static_cast<size_t>(got);
            has_nul = memchr(chunk, '\0', end) != nullptr;
            continue;
        }
        size_t seen = has_nul ? strnlen(line, length) : length;
        char after = line[length];
        line[length] = '\0';
        handle(context, line, seen, ends_line);
        line[length] = after;
        pos += length;
    }
}
