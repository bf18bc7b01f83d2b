#include "e2e.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const std::string BOMTAB = BOMTAB_PATH;
const std::string ROWCAST = ROWCAST_PATH;
const std::string BOMGRID = BOMGRID_PATH;
const std::string CORPUS = CORPUS_DIR;
const std::string EXAMPLES = EXAMPLES_DIR;
#ifdef PROGRAMS_ON_WINDOWS
const bool ON_WINDOWS = true;
const std::string NULL_DEVICE = "NUL";
#else
const bool ON_WINDOWS = false;
const std::string NULL_DEVICE = "/dev/null";
#endif

// Each program: what the tests run, the name it shows, and its own file.
struct program_files {
    const std::string &run;
    const char *shown, *file;
};
static const program_files PROGRAM_FILES[] = {
    {BOMTAB, BOMTAB_SHOWN, BOMTAB_EXE}, {ROWCAST, ROWCAST_SHOWN, ROWCAST_EXE}, {BOMGRID, BOMGRID_SHOWN, BOMGRID_EXE}};

static const program_files *files_of(const std::string &program)
{
    for (const program_files &p : PROGRAM_FILES) {
        if (p.run == program)
            return &p;
    }
    return nullptr;
}

std::string shown_name(const std::string &program)
{
    const program_files *p = files_of(program);
    return p != nullptr ? p->shown : program;
}

std::string windows_program(const std::string &program)
{
    const program_files *p = files_of(program);
    return p != nullptr ? p->file : program;
}

std::string without_stdout()
{
    return WITHOUT_STDOUT_EXE;
}

// A Windows program's text as it would be read back in text mode there.
static std::string as_text(std::string bytes)
{
    if (!ON_WINDOWS)
        return bytes;
    size_t kept = 0;
    for (size_t i = 0; i < bytes.size(); i++) {
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            bytes[kept++] = bytes[i];
    }
    bytes.resize(kept);
    return bytes;
}

const std::vector<std::pair<std::string, size_t>> PARTLISTS = {
    {"01-ac-timer-panel.txt", 5},
    {"02-current-monitor.txt", 55},
    {"03-atsamd21-board-crlf.txt", 31},
    {"04-c64c-multikernal-adapter.txt", 13},
    {"05-modular-led-lamp.txt", 21},
    {"06-stm32-multimeter.txt", 107},
    {"07-senseo-control-utf8-micro.txt", 37},
    {"08-car-power-off-delay.txt", 13},
    {"09-elastic-node.txt", 117},
    {"10-osmo-bts-frontend-long-values.txt", 52},
    {"11-xorduino-hand-edited.txt", 38},
    {"12-openmind-board-export-latin1.txt", 94},
    {"13-board-export-mil-tab-notes.txt", 17},
    {"14-board-export-inch-crlf-wide-positions.txt", 29},
    {"15-board-export-mm-latin1-digit-parts.txt", 101},
    {"16-old-list-description-attribute-columns.txt", 35},
    {"17-edited-board-list-vendor-column.txt", 31},
    {"18-grouped-list-qty-price-utf8-euro.txt", 10},
    {"19-grouped-slash-list-cp1252-euro.txt", 0},
    {"20-two-exports-concatenated-digit-part.txt", 53},
    {"21-hand-added-row-blank-in-device.txt", 26},
};

size_t count_of(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

static void remove_tree(const std::string &path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0700);
        if (DIR *d = opendir(path.c_str())) {
            while (dirent *e = readdir(d)) {
                if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
                    remove_tree(path + "/" + e->d_name);
            }
            closedir(d);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

temp_dir::temp_dir()
{
    const char *base = getenv("TMPDIR");
    std::string templ = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/bomtables-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr)
        abort();
    path_ = buf.data();
}

temp_dir::~temp_dir()
{
    remove_tree(path_);
}

static run_result run_once(const std::string &program, const std::vector<std::string> &args, const std::string &dir,
                           const std::vector<std::string> &env)
{
    std::string out_path = dir + "/.stdout", err_path = dir + "/.stderr";
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = open("/dev/null", O_RDONLY);
        dup2(out, 1);
        dup2(err, 2);
        dup2(in, 0);
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(program.c_str()));
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        unsetenv("POSIXLY_CORRECT");
        setenv("WINEDEBUG", "-all", 1);  // Wine's own notes are not the program's
        for (const std::string &e : env)
            putenv(const_cast<char *>(e.c_str()));
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    run_result r;
    r.raw_out = read_raw(out_path);
    r.out = as_text(r.raw_out);
    r.err = read_file(err_path);
    unlink(out_path.c_str());
    unlink(err_path.c_str());
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -WTERMSIG(wstatus);
    return r;
}

run_result run_program(const std::string &program, const std::vector<std::string> &args, const std::string &dir,
                       const std::vector<std::string> &env)
{
    run_result r = run_once(program, args, dir, env);
    // Each program writes its banner before anything else, so status 1 with
    // nothing written at all is Wine failing to start it, not its run: it
    // is started once more, and the test's log says so.
    if (ON_WINDOWS && files_of(program) != nullptr && r.status == 1 && r.raw_out.empty() && r.err.empty()) {
        (void)fprintf(stderr, "Wine did not start %s (status 1, nothing written): starting it again\n",
                      program.c_str());
        r = run_once(program, args, dir, env);
    }
    // Wine's own loader may fail as the program ends ("Inconsistency
    // detected by ld.so", status 127): that is no exit of the program's, and
    // it is run once more.
    if (ON_WINDOWS && r.status == 127 && r.err.find("Inconsistency detected by ld.so") != std::string::npos) {
        (void)fprintf(stderr, "Wine's loader failed as %s ended (status 127): starting it again\n", program.c_str());
        r = run_once(program, args, dir, env);
    }
    return r;
}

std::string read_file(const std::string &path)
{
    return as_text(read_raw(path));
}

std::string read_raw(const std::string &path)
{
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return bytes;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    (void)fclose(f);
    return bytes;
}

void write_file(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    size_t written = fwrite(bytes.data(), 1, bytes.size(), f);
    int closed = fclose(f);
    ASSERT_EQ(written, bytes.size()) << path;
    ASSERT_EQ(closed, 0) << path;
}

bool file_exists(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::map<std::string, std::string> folder_files(const std::string &dir)
{
    std::map<std::string, std::string> files;
    DIR *d = opendir(dir.c_str());
    if (d == nullptr)
        return files;
    while (dirent *e = readdir(d)) {
        std::string path = dir + "/" + e->d_name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            files[e->d_name] = read_file(path);
    }
    closedir(d);
    return files;
}

static std::string escaped(const std::string &s, size_t from, size_t count)
{
    std::string e;
    for (size_t i = from; i < s.size() && i < from + count; i++) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\n')
            e += "\\n";
        else if (c == '\r')
            e += "\\r";
        else if (c == '\t')
            e += "\\t";
        else if (c < 32 || c >= 127) {
            char hex[8];
            (void)snprintf(hex, sizeof hex, "\\x%02x", c);
            e += hex;
        } else
            e += static_cast<char>(c);
    }
    return e;
}

::testing::AssertionResult same_bytes(const std::string &expected_bytes, const std::string &actual)
{
    const std::string expected = as_text(expected_bytes);
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        i++;
    size_t from = i > 20 ? i - 20 : 0;
    return ::testing::AssertionFailure() << "first difference at byte " << i << " (expected " << expected.size()
                                         << " bytes, got " << actual.size() << ")\n  expected: ..."
                                         << escaped(expected, from, 60) << "\n  actual:   ..."
                                         << escaped(actual, from, 60);
}
