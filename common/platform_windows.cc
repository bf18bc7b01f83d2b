#include "platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <climits>

// A program may be started without a standard output at all (from a
// desktop link, say). Its console text then goes nowhere, as to NUL, and is
// not lost: the run ends as it would have.
static bool standard_output_absent;

void prepare_standard_streams()
{
    int fd = _fileno(stdout);
    standard_output_absent = fd < 0 || _get_osfhandle(fd) == -1 || _get_osfhandle(fd) == -2;
}

void write_note(const char *line, size_t n)
{
    (void)fwrite(line, 1, n, stderr);
}

bool console_text_lost()
{
    return (fflush(stdout) != 0 || ferror(stdout) != 0) && !standard_output_absent;
}

long read_input(FILE *in, char *into, size_t n)
{
    // A read in text mode hands over CR LF as "\n", as the stream would.
    return _read(_fileno(in), into, static_cast<unsigned>(n < INT_MAX ? n : INT_MAX));
}

void read_input_as_bytes(FILE *in)
{
    (void)_setmode(_fileno(in), _O_BINARY);
}

// A file is the same file as another when it lies on the same volume with
// the same file index, whatever the spelling of its name: letter case,
// ".\", forward or backward slashes, or a hard link.
struct file_identity {
    DWORD volume, index_high, index_low;
};

// The identity of the regular file open as `handle`; false for anything else.
static bool identify(HANDLE handle, file_identity *id)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    *id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

static bool identify(const char *path, file_identity *id)
{
    // Only the file's attributes are asked for, so a file that may not be
    // read or that another program holds open is still known.
    HANDLE handle = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool known = identify(handle, id);
    CloseHandle(handle);
    return known;
}

static bool identify(FILE *file, file_identity *id)
{
    int fd = _fileno(file);
    // The C runtime hands out the system's handle of a descriptor as an integer.
    return fd >= 0 && identify(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), id);  // NOLINT(performance-no-int-to-ptr)
}

static bool same(const file_identity &a, const file_identity &b)
{
    return a.volume == b.volume && a.index_high == b.index_high && a.index_low == b.index_low;
}

bool same_regular_file(const char *a, const char *b)
{
    file_identity ia, ib;
    return identify(a, &ia) && identify(b, &ib) && same(ia, ib);
}

bool names_standard_output(const char *path)
{
    file_identity ip, io;
    return identify(stdout, &io) && identify(path, &ip) && same(ip, io);
}

bool names_open_file(const char *path, FILE *file)
{
    file_identity ip, io;
    return identify(file, &io) && identify(path, &ip) && same(ip, io);
}
