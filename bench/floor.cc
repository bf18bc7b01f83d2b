// The cost of a filter's reading and writing alone: reads the input in
// 64 KiB reads and, as it goes, writes as many bytes as a program wrote to
// each of its outputs, in 64 KiB writes, doing no other work.
//
//     floor IN OUT SIZE [OUT SIZE [OUT SIZE]]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr long long PIECE = 65536;

struct output {
    int fd;
    long long size, written;
};

int main(int argc, char *argv[])
{
    if (argc != 4 && argc != 6 && argc != 8) {
        (void)fprintf(stderr, "usage: %s IN OUT SIZE [OUT SIZE [OUT SIZE]]\n", argv[0]);
        return 2;
    }
    static char in_piece[PIECE], out_piece[PIECE];
    memset(out_piece, 'x', sizeof out_piece);
    int in = open(argv[1], O_RDONLY);
    struct stat st;
    if (in < 0 || fstat(in, &st) != 0 || st.st_size == 0)
        return 1;
    output outs[3];
    int count = (argc - 2) / 2;
    for (int i = 0; i < count; i++) {
        outs[i] = {open(argv[2 + 2 * i], O_WRONLY | O_CREAT | O_TRUNC, 0644), strtoll(argv[3 + 2 * i], nullptr, 10), 0};
        if (outs[i].fd < 0)
            return 1;
    }
    long long done = 0;
    ssize_t got;
    while ((got = read(in, in_piece, sizeof in_piece)) > 0) {
        done += got;
        for (int i = 0; i < count; i++) {
            output &o = outs[i];
            long long due =
                done >= st.st_size ? o.size : o.size / st.st_size * done + o.size % st.st_size * done / st.st_size;
            while (o.written < due) {
                long long n = due - o.written < PIECE ? due - o.written : PIECE;
                if (write(o.fd, out_piece, static_cast<size_t>(n)) != n)
                    return 1;
                o.written += n;
            }
        }
    }
    for (int i = 0; i < count; i++)
        if (close(outs[i].fd) != 0)
            return 1;
    return got < 0 ? 1 : 0;
}
