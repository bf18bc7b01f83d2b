#ifndef BOMTABLES_E2E_H
#define BOMTABLES_E2E_H

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// Runs the built programs the way a user does: in a fresh folder, with real
// files, reading back the console text, the exit status and every file.

struct run_result {
    std::string out;      // standard output
    std::string err;      // standard error
    std::string raw_out;  // standard output exactly as written, CR LF and all
    int status;           // exit status, or -signal when killed
};

class temp_dir {
  public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir &) = delete;
    temp_dir &operator=(const temp_dir &) = delete;
    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Runs `program` with `args` in `dir`; `env` adds variables (NAME=value).
run_result run_program(const std::string &program, const std::vector<std::string> &args, const std::string &dir,
                       const std::vector<std::string> &env = {});

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);
bool file_exists(const std::string &path);
// Every regular file in the folder (not below it) by name, with its bytes.
std::map<std::string, std::string> folder_files(const std::string &dir);

// Compares bytes; a mismatch names the first differing offset with both
// sides escaped around it.
::testing::AssertionResult same_bytes(const std::string &expected, const std::string &actual);

// How often `what` stands in `text`.
size_t count_of(const std::string &text, const std::string &what);

// The three programs and the real exports bundled with the tests. A
// program built for another system is run through a script that hands it
// to that system's emulator (qemu-user, Wine).
extern const std::string BOMTAB, ROWCAST, BOMGRID, CORPUS;
// The bundled samples and the tables they give (examples/).
extern const std::string EXAMPLES;

// The name a program gives itself in its usage text.
std::string shown_name(const std::string &program);

// The programs under test are Windows programs. Their text files and console
// text end lines with CR LF, and they read an input's CR LF as "\n": here
// every file and console text read back has its CR LF taken as "\n", and
// same_bytes takes the expected bytes so, so that one expectation serves
// both.
// What has no Windows counterpart (/dev/full, ulimit, a closed standard
// stream set up by a POSIX shell) is skipped there.
extern const bool ON_WINDOWS;
// The null device: /dev/null, or NUL on Windows.
extern const std::string NULL_DEVICE;
// The file of the program that `program` runs (the .exe under Wine).
std::string windows_program(const std::string &program);
// The Windows program that starts another without a standard output.
std::string without_stdout();
// The file's bytes exactly as they are, CR LF and all.
std::string read_raw(const std::string &path);

// Each real parts list under CORPUS/partlist/ and how many of its lines are
// part lines: those after the first header that start with a letter. The
// first header of 11 has no Sheet but names Device and Library, so its
// second is taken; 12 to 18 have the board's or other layouts; 19 names no
// Part column, so it has no header at all.
extern const std::vector<std::pair<std::string, size_t>> PARTLISTS;

#endif
