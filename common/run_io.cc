#include "run_io.h"

#include <sys/stat.h>

bool convert_lines(FILE *in, char *line, int size, line_handler handle, void *context,
                   const table_output outputs[], int count)
{
    while (!feof(in)) {
        if (fgets(line, size, in) != nullptr)
            handle(context, line, outputs, count);
        else if (ferror(in))
            return false;
    }
    return true;
}

bool finish_output(const table_output &output)
{
    output.writer->end(output.file);
    bool written = fflush(output.file) == 0 && ferror(output.file) == 0;
    return fclose(output.file) == 0 && written;
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
