#include "platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

// An input may be over 4 GiB also on a 32-bit system.
static_assert(sizeof(off_t) >= 8, "large file offsets are needed");

void prepare_standard_streams()
{
    for (int fd = 0; fd <= 2; fd++) {
        // The lowest free descriptor is the closed one.
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            (void)open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
    (void)signal(SIGPIPE, SIG_IGN);
    (void)signal(SIGXFSZ, SIG_IGN);
}

void write_note(const char *line, size_t n)
{
    (void)fwrite(line, 1, n, stderr);
}

bool console_text_lost()
{
    return fflush(stdout) != 0 || ferror(stdout) != 0;
}

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

void read_input_as_bytes(FILE *) {}

bool same_regular_file(const char *a, const char *b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && S_ISREG(sa.st_mode) && stat(b, &sb) == 0 && same_inode(sa, sb);
}

bool names_standard_output(const char *path)
{
    struct stat sp, so;
    return fstat(STDOUT_FILENO, &so) == 0 && S_ISREG(so.st_mode) && stat(path, &sp) == 0 && same_inode(sp, so);
}

bool names_open_file(const char *path, FILE *file)
{
    struct stat sp, sf;
    return stat(path, &sp) == 0 && fstat(fileno(file), &sf) == 0 && same_inode(sp, sf);
}
