#include "line_reader.h"

#include <cstdint>
#include <cstring>

#include "byte_marks.h"
#include "platform.h"

// Bytes are read into a chunk sized in whole blocks of 64, so that the
// newline marks can be worked out a block at a time.
constexpr size_t BLOCK = 64;
constexpr size_t CHUNK_BLOCKS = (MAX_READ_SIZE + LINE_SLACK + BLOCK - 1) / BLOCK;

// Bit k of the result is set when byte k of the block is a newline.
static uint64_t newline_marks(const char *block)
{
    uint64_t marks = 0;
    for (size_t i = 0; i < BLOCK; i += 16)
        marks |= byte_marks_16(block + i, '\n') << i;
    return marks;
}

// The chunk and where its newlines are. Lines are many and short, so their
// newlines are found for the whole chunk at once, not line by line.
struct line_chunk {
    alignas(BLOCK) char bytes[CHUNK_BLOCKS * BLOCK];
    uint64_t newlines[CHUNK_BLOCKS];
    size_t end;  // bytes read into it
    // A NUL ends what the handler sees of a line. Text rarely holds one, so
    // each chunk is searched for one once, and its lines only when it has.
    bool has_nul;

    // Works out the marks of the bytes now in the chunk.
    void mark()
    {
        size_t blocks = (end + BLOCK - 1) / BLOCK;
        for (size_t b = 0; b < blocks; b++)
            newlines[b] = newline_marks(bytes + b * BLOCK);
        has_nul = memchr(bytes, '\0', end) != nullptr;
    }

    // The position of the first newline among the n bytes from `from`, or
    // SIZE_MAX when there is none. They lie within what was read: the marks
    // of the bytes past it, left from earlier reads, are never looked at.
    size_t find_newline(size_t from, size_t n) const
    {
        size_t stop = from + n;
        size_t b = from / BLOCK;
        uint64_t marks = newlines[b] & (~uint64_t{0} << (from % BLOCK));
        while (marks == 0) {
            b++;
            if (b * BLOCK >= stop)
                return SIZE_MAX;
            marks = newlines[b];
        }
        size_t at = b * BLOCK + static_cast<size_t>(__builtin_ctzll(marks));
        return at < stop ? at : SIZE_MAX;
    }
};

bool read_lines(FILE *in, int size, line_handler handle, void *context)
{
    // Lines are cut out of large reads and handed on where they lie; the
    // byte after a line makes room for its NUL and is put back afterwards.
    static line_chunk chunk;
    const size_t most = static_cast<size_t>(size - 1);
    size_t pos = 0;
    chunk.end = 0;
    chunk.mark();
    bool at_end = false;
    for (;;) {
        char *line = chunk.bytes + pos;
        size_t left = chunk.end - pos;
        size_t limit = left < most ? left : most;
        size_t newline = chunk.find_newline(pos, limit);
        size_t length;
        if (newline != SIZE_MAX) {
            length = newline - pos + 1;
        } else if (left >= most) {
            length = most;
        } else if (at_end) {
            if (left == 0)
                return true;
            length = left;
        } else {
            memmove(chunk.bytes, line, left);
            pos = 0;
            chunk.end = left;
            long got = read_input(in, chunk.bytes + left, MAX_READ_SIZE - left);
            if (got < 0)
                return false;
            at_end = got == 0;
            chunk.end += static_cast<size_t>(got);
            chunk.mark();
            continue;
        }
        size_t seen = chunk.has_nul ? strnlen(line, length) : length;
        char after = line[length];
        line[length] = '\0';
        handle(context, line, seen);
        line[length] = after;
        pos += length;
    }
}
