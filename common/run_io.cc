#include "run_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool convert_lines(FILE *in, int size, line_handler handle, void *context, const table_output outputs[], int count)
{
    // Lines are cut out of large reads and handed on where they lie; the
    // byte after a line makes room for its NUL and is put back afterwards.
    static char chunk[MAX_READ_SIZE + 1];
    const size_t most = static_cast<size_t>(size - 1);
    const int fd = fileno(in);
    size_t pos = 0, end = 0;
    bool at_end = false;
    for (;;) {
        char *line = chunk + pos;
        size_t left = end - pos;
        auto *newline = static_cast<char *>(memchr(line, '\n', left < most ? left : most));
        size_t length;
        if (newline != nullptr) {
            length = static_cast<size_t>(newline - line) + 1;
        } else if (left >= most) {
            length = most;
        } else if (at_end) {
            if (left == 0)
                return true;
            length = left;
        } else {
            memmove(chunk, line, left);
            pos = 0;
            end = left;
            ssize_t got = read(fd, chunk + end, MAX_READ_SIZE - end);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            at_end = got == 0;
            end += static_cast<size_t>(got);
            continue;
        }
        char after = line[length];
        line[length] = '\0';
        handle(context, line, outputs, count);
        line[length] = after;
        pos += length;
    }
}

bool finish_output(const table_output &output)
{
    output.writer->end(output.out);
    return output_close(output.out);
}

static bool same_inode(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool same_file(const char *a, const char *b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && same_inode(sa, sb);
}

bool names_open_file(const char *path, FILE *file)
{
    struct stat sp, sf;
    return stat(path, &sp) == 0 && fstat(fileno(file), &sf) == 0 && same_inode(sp, sf);
}
