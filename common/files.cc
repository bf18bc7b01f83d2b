#include "files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

long read_input(FILE *in, char *into, size_t n)
{
    ssize_t got;
    do
        got = read(fileno(in), into, n);
    while (got < 0 && errno == EINTR);  // a signal came first: nothing was read yet
    return static_cast<long>(got);
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
