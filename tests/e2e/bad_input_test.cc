// Whatever file is at hand: each program must end with its documented status
// and message, and never change its input.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "e2e.h"
#include "messages.h"

namespace {

const std::string HEADER = "Part     Value          Device            Package         Library   Sheet\n";
const std::string PART_LINE = "R1       10k            R-EU_0207/10      0207/10         rcl       1\n";
const std::string BOM_HEADS = "<tr>\n<th scope='col'>Part </th>\n<th scope='col'>Value </th>\n"
                              "<th scope='col'>Package </th>\n</tr>\n";
const std::string CSV_HEADING = "\"Part\",\"Value\"\n";

// One program's command line and tables. bomtab and rowcast write both
// tables; bomgrid takes its two paths as they are.
struct program_case {
    std::string name, path;
    std::vector<std::string> (*args)(const std::string &in, const std::string &out);
    std::string html_end, wiki_end;  // how every table ends; bomgrid writes no wiki
    // A heading and a data line, and the tables of both (bomtab and rowcast).
    std::string heading, line, html, wiki;
    std::string says(msg kind, const std::string &at = "") const { return message(path, kind, at); }
    std::string banner() const { return says(msg::banner); }
    // The console text of a complete run, to out.html and out.wiki.
    std::string created() const { return completed(path, "out.html", "out.wiki"); }
};

std::vector<std::string> front_end_args(const std::string &in, const std::string &out)
{
    return {"--i", in, "--html", out, "--wiki", "out.wiki"};
}

std::vector<std::string> bomgrid_args(const std::string &in, const std::string &out)
{
    return {in, out};
}

program_case front_end_case(const std::string &name, const std::string &path, const std::string &heading,
                            const std::string &line, const std::string &html, const std::string &wiki)
{
    return {name,
            path,
            front_end_args,
            "</table>\n\n",
            "|}\n\n",
            heading,
            line,
            "<table class='wikitable' border='1'>\n" + html + "</table>\n\n",
            "== Partlist ==\n\n{| border='1' class='wikitable'\n" + wiki + "|}\n\n"};
}

std::vector<program_case> programs()
{
    return {
        front_end_case("bomtab", BOMTAB, HEADER, PART_LINE,
                       BOM_HEADS + "<tr><td>R1      </td> <td> 10k           </td> <td> 0207/10        </td> </tr>\n",
                       "!Part !!Value !!Package \n|-\n|R1      || 10k           || 0207/10        \n"),
        front_end_case("rowcast", ROWCAST, CSV_HEADING, "\"R1\",\"10k\"\n",
                       "<tr>\n<th scope='col'>Part</th>\n<th scope='col'>Value\n</th>\n</tr>\n"
                       "<tr><td>R1</td> <td>10k</td> </tr>\n",
                       "!Part!!Value\n|-\n|R1||10k\n"),
        {"bomgrid", BOMGRID, bomgrid_args, "</table>\n</div>\n", "", HEADER, PART_LINE, "", ""}};
}

using files = std::map<std::string, std::string>;

// A file that no run may touch unless it names it as an output.
const std::string KEEP = "precious\n";

// Runs the program in a fresh folder holding in.txt (`input`), soft.txt (a
// symbolic link to it), hard.txt (a hard link) and keep.wiki, through the
// shell command `shell` ($0 the program, "$@" its arguments). Checks status
// and console text and returns every file left there. The CPU limit turns a
// read retried for ever into a kill by signal instead of a hung test run.
files run_beside_input(const program_case &p, const std::string &input, const std::vector<std::string> &args,
                       int status, const std::string &console, const std::string &shell = "exec \"$0\" \"$@\"")
{
    temp_dir d;
    write_file(d / "in.txt", input);
    write_file(d / "keep.wiki", KEEP);
    EXPECT_EQ(symlink("in.txt", (d / "soft.txt").c_str()), 0);
    EXPECT_EQ(link((d / "in.txt").c_str(), (d / "hard.txt").c_str()), 0);
    std::string command = shell;
    if (ON_WINDOWS && command.find(">&-") != std::string::npos) {
        // A Windows program has no descriptors to close: it is started
        // without a standard output instead.
        command = "exec wine " + without_stdout() + " " + windows_program(p.path) + " \"$@\"";
    } else if (ON_WINDOWS && command.find('>') != std::string::npos) {
        // A Windows console redirects through its own command interpreter,
        // which gives the program a file of the system's own.
        command = "exec wine cmd /c \"" + windows_program(p.path) + " $*" + shell.substr(shell.find('>') - 1) + "\"";
    }
    std::vector<std::string> limited = {"-c", "ulimit -t 5 && " + command, p.path};
    limited.insert(limited.end(), args.begin(), args.end());
    run_result r = run_program("/bin/sh", limited, d.path());
    EXPECT_EQ(r.status, status);
    EXPECT_TRUE(same_bytes(console, r.out));
    return folder_files(d.path());
}

bool ends_with(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string random_bytes(size_t n)
{
    std::mt19937_64 random(20261208);
    std::string bytes(n, '\0');
    for (size_t i = 0; i + 8 <= n; i += 8) {
        uint64_t v = random();
        memcpy(&bytes[i], &v, 8);
    }
    return bytes;
}

TEST(BadInput, EveryProgramConvertsAnyBytesToCompleteTables)
{
    const size_t mebibyte = 1 << 20;
    const std::string long_row =
        "<tr><td>R1xxxxxx</td> <td>" + std::string(15, 'x') + "</td> <td>" + std::string(16, 'x') + "</td> </tr>\n";
    const struct {
        std::string what, bytes;
        std::string bom_row, csv_row;  // the one row of the BOM programs' and rowcast's table, if given
    } inputs[] = {
        {"16 MiB of random bytes", random_bytes(16 * mebibyte), "", ""},
        {"1 MiB of NUL bytes", std::string(mebibyte, '\0'), "", ""},
        {"a 1 MiB line without a newline", HEADER + std::string(mebibyte, 'R'), "", ""},
        // A read of the line buffer's size less one holds the whole line; its
        // newline is a line of its own, which gives no row.
        {"a part line of 42047 bytes", HEADER + "R1" + std::string(42045, 'x') + "\n", long_row, ""},
        {"a CSV line of 4095 bytes", "\"a\"\n\"" + std::string(4093, 'b') + "\"\n", "",
         "<tr><td>" + std::string(4093, 'b') + "</td> </tr>\n"},
        {"CRLF line ends", "\"Part\",\"Value\"\r\n" + HEADER + "C1       100n\r\n\"R1\",\"10k\"\r\n", "", ""},
    };
    for (const program_case &p : programs()) {
        for (const auto &input : inputs) {
            SCOPED_TRACE(p.name + ": " + input.what);
            files left = run_beside_input(p, input.bytes, p.args("in.txt", "out.html"), 0, p.created());
            EXPECT_TRUE(same_bytes(input.bytes, left["in.txt"]));
            EXPECT_TRUE(ends_with(left["out.html"], p.html_end)) << "out.html is not complete";
            EXPECT_TRUE(ends_with(left["out.wiki"], p.wiki_end)) << "out.wiki is not complete";
            const std::string &row = p.path == ROWCAST ? input.csv_row : input.bom_row;
            if (!row.empty()) {
                EXPECT_EQ(count_of(left["out.html"], "<tr><td>"), 1U);
                EXPECT_EQ(count_of(left["out.html"], row), 1U);
            }
        }
    }
}

enum left_as { EMPTY, WHOLE_HTML, WIKI_WITHOUT_END, CONSOLE };

// A run that must end with status 1: `front` is the command line of bomtab
// and rowcast, `grid` bomgrid's; an empty one leaves those programs out.
struct failure_case {
    const char *front, *grid;
    msg kind;
    const char *path;                     // in the message
    std::map<std::string, left_as> left;  // every file left besides in.txt, hard.txt and keep.wiki
    size_t lines = 1;                     // data lines after the heading
    const char *html_done = "";           // an HTML output completed before the message
    const char *redirect = "";            // standard output elsewhere: the console text is not seen
};

const failure_case FAILURES[] = {
    // A small table fails only when it is written at the end, a large one
    // already while rows are written.
    {"--i in.txt --html /dev/full", "in.txt /dev/full", msg::cant_write, "/dev/full", {}},
    {"--i in.txt --html /dev/full", "in.txt /dev/full", msg::cant_write, "/dev/full", {}, 4000},
    {"--i . --html o.html", ". o.html", msg::cant_read, ".", {{"o.html", EMPTY}}},
    // The output names the input: as it is, through a symbolic or a hard link.
    {"--i in.txt --html in.txt", "in.txt in.txt", msg::is_input, "in.txt", {}},
    {"--i in.txt --html soft.txt", "in.txt soft.txt", msg::is_input, "soft.txt", {}},
    {"--i in.txt --html hard.txt", "in.txt hard.txt", msg::is_input, "hard.txt", {}},
    // bomtab and rowcast create the wiki output first, then the HTML output,
    // and finish the HTML output first; what either holds stays.
    {"--i . --wiki o.wiki", "", msg::cant_read, ".", {{"o.wiki", EMPTY}}},
    {"--i in.txt --wiki soft.txt --html o.html", "", msg::wiki_is_input, "soft.txt", {}},
    {"--i hard.txt --wiki in.txt", "", msg::wiki_is_input, "in.txt", {}},
    {"--i in.txt --wiki o.wiki --html hard.txt", "", msg::is_input, "hard.txt", {}},
    {"--i in.txt --wiki o.wiki --html ./o.wiki", "", msg::html_is_wiki, "./o.wiki", {{"o.wiki", EMPTY}}},
    {"--i in.txt --wiki o.wiki --html /dev/full", "", msg::cant_write, "/dev/full", {{"o.wiki", WIKI_WITHOUT_END}}},
    {"--i in.txt --wiki /dev/full --html o.html",
     "",
     msg::cant_write_wiki,
     "/dev/full",
     {{"o.html", WHOLE_HTML}},
     1,
     "o.html"},
    // The Markdown output is created after the other two and finished last.
    {"--i . --md o.md", "", msg::cant_read, ".", {{"o.md", EMPTY}}},
    {"--i in.txt --md hard.txt", "", msg::md_is_input, "hard.txt", {}},
    {"--i in.txt --wiki o.wiki --md ./o.wiki", "", msg::md_is_wiki, "./o.wiki", {{"o.wiki", EMPTY}}},
    {"--i in.txt --html o.html --md o.html", "", msg::md_is_html, "o.html", {{"o.html", EMPTY}}},
    {"--i in.txt --html o.html --md /dev/full",
     "",
     msg::cant_write_md,
     "/dev/full",
     {{"o.html", WHOLE_HTML}},
     1,
     "o.html"},
    {"--i in.txt --md o.md", "", msg::md_is_stdout, "o.md", {{"o.md", CONSOLE}}, 1, "", "> o.md"},
    // A refused run touches no file; the outputs are looked at before any is opened.
    {"--i in.txt --wiki keep.wiki --html in.txt", "", msg::is_input, "in.txt", {}},
    // An output that is standard output's file would lose the table under
    // the console text, which there is all it holds.
    {"--i in.txt --html o.html", "in.txt o.html", msg::is_stdout, "o.html", {{"o.html", CONSOLE}}, 1, "", "> o.html"},
    {"--i in.txt --wiki o.wiki --html o.html",
     "",
     msg::wiki_is_stdout,
     "o.wiki",
     {{"o.wiki", CONSOLE}},
     1,
     "",
     "> o.wiki"},
    // With standard output closed, no output takes its place and its text.
    {"--i missing.txt --wiki o.wiki --html o.html",
     "",
     msg::cant_open,
     "missing.txt",
     {{"o.wiki", EMPTY}, {"o.html", EMPTY}},
     1,
     "",
     ">&-"},
    {"", "missing.txt o.html", msg::cant_open, "missing.txt", {{"o.html", EMPTY}}, 1, "", ">&-"},
};

std::vector<std::string> words(const char *line)
{
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// What a Windows program cannot meet: a full device.
bool posix_only(const failure_case &c)
{
    return strstr(c.front, "/dev/full") != nullptr || strstr(c.grid, "/dev/full") != nullptr;
}

TEST(BadInput, FailedRunsEndWithTheirMessageAndLeaveTheInput)
{
    for (const program_case &p : programs()) {
        for (const failure_case &c : FAILURES) {
            const char *command = p.path == BOMGRID ? c.grid : c.front;
            if (*command == '\0')
                continue;
            SCOPED_TRACE(p.name + " " + command + (c.lines > 1 ? " (large table)" : ""));
            if (ON_WINDOWS && posix_only(c)) {
                printf("skipped on Windows: %s %s %s\n", p.name.c_str(), command, c.redirect);
                continue;
            }
            // A folder cannot be opened as a file there at all.
            const msg kind = ON_WINDOWS && c.kind == msg::cant_read ? msg::cant_open : c.kind;
            std::string input = p.heading;
            for (size_t i = 0; i < c.lines; i++)
                input += p.line;
            const std::string console =
                p.banner() + (*c.html_done ? p.says(msg::html_created, c.html_done) : "") + p.says(kind, c.path);
            files expected = {{"in.txt", input}, {"hard.txt", input}, {"keep.wiki", KEEP}};
            for (const auto &[name, how] : c.left)
                expected[name] = how == EMPTY        ? ""
                                 : how == WHOLE_HTML ? p.html
                                 : how == CONSOLE    ? console
                                                     : p.wiki.substr(0, p.wiki.size() - p.wiki_end.size());
            files left = run_beside_input(p, input, words(command), 1, *c.redirect == '\0' ? console : "",
                                          std::string("exec \"$0\" \"$@\" ") + c.redirect);
            for (const auto &[name, bytes] : expected) {
                EXPECT_TRUE(left.count(name)) << name << " is missing";
                EXPECT_TRUE(same_bytes(bytes, left[name])) << name;
            }
            for (const auto &entry : left)
                EXPECT_TRUE(expected.count(entry.first)) << entry.first << " should not exist";
        }
    }
}

// Files and streams that are not the plain files and console of a run.
TEST(BadInput, SpecialFilesAndStreams)
{
    for (const program_case &p : programs()) {
        SCOPED_TRACE(p.name);
        const bool grid = p.path == BOMGRID;
        const std::string input = p.heading + p.line;
        // The null device as input and output destroys nothing: the run goes on.
        const std::string null = NULL_DEVICE;
        run_beside_input(p, input,
                         grid ? std::vector{null, null} : std::vector<std::string>{"--i", null, "--html", null}, 0,
                         completed(p.path, null));
        // Nor does standard output there, which is no file an output could share.
        const std::string to_null = "exec \"$0\" \"$@\" >" + null;
        run_beside_input(p, input, p.args("in.txt", null), 0, "", to_null);
        if (!grid)
            run_beside_input(p, input, {"--i", "in.txt", "--wiki", null}, 0, "", to_null);
        // Console text with no standard output to go to is not lost: a
        // complete run ends as one.
        files left = run_beside_input(p, input, p.args("in.txt", "o.html"), 0, "", "exec \"$0\" \"$@\" >&-");
        EXPECT_TRUE(ends_with(left["o.html"], p.html_end));
        if (ON_WINDOWS) {
            printf("skipped on Windows: %s to /dev/full, under ulimit -f and to a pipe without a reader\n",
                   p.name.c_str());
            continue;
        }
        // Console text that cannot be written is reported once the files are complete.
        left = run_beside_input(p, input, p.args("in.txt", "o.html"), 1, p.says(msg::stdout_lost, p.name),
                                "exec \"$0\" \"$@\" 2>&1 >/dev/full");
        EXPECT_TRUE(ends_with(left["o.html"], p.html_end));
        // A write refused by the file size limit or a pipe without a reader
        // ends the run at once with that output's message.
        std::string large = p.heading;
        for (int i = 0; i < 4000; i++)
            large += p.line;
        left = run_beside_input(p, large, p.args("in.txt", "o.html"), 1, p.banner() + p.says(msg::cant_write, "o.html"),
                                "ulimit -f 64 && exec \"$0\" \"$@\"");
        EXPECT_LE(left["o.html"].size(), 65536u);
        run_beside_input(p, large, p.args("in.txt", "fifo"), 1, p.banner() + p.says(msg::cant_write, "fifo"),
                         "mkfifo fifo && { head -c 1 fifo >/dev/null & } && exec \"$0\" \"$@\"");
    }
    // An endless input to a full disk: the first failed write ends the run.
    if (ON_WINDOWS)
        return;
    const program_case rowcast = programs()[1];
    run_beside_input(rowcast, "", words("--i /dev/zero --html /dev/full"), 1,
                     rowcast.banner() + rowcast.says(msg::cant_write, "/dev/full"));
}

// An input that cannot be opened, or an output that cannot be created, ends
// the run and leaves the input as it was.
TEST(BadInput, FilesThatCannotBeOpenedEndTheRun)
{
    const std::string sample = HEADER + "R1       10k\n";
    for (const program_case &p : programs()) {
        SCOPED_TRACE(p.name);
        temp_dir d;
        auto expect_refused = [&](const std::string &in, const std::string &out, msg kind, const std::string &at) {
            run_result r = run_program(p.path, p.args(in, out), d.path());
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(same_bytes(p.banner() + p.says(kind, at), r.out));
        };
        expect_refused("missing.txt", "out.html", msg::cant_open, "missing.txt");
        if (geteuid() == 0)  // root reads and writes any file and folder
            continue;
        write_file(d / "locked.txt", sample);
        ASSERT_EQ(chmod((d / "locked.txt").c_str(), 0), 0);
        expect_refused("locked.txt", "out.html", msg::cant_open, "locked.txt");
        // Named again as the output, it is refused before either is opened.
        expect_refused("locked.txt", "locked.txt", msg::is_input, "locked.txt");
        ASSERT_EQ(chmod((d / "locked.txt").c_str(), 0644), 0);
        EXPECT_EQ(read_file(d / "locked.txt"), sample);
        ASSERT_EQ(mkdir((d / "locked").c_str(), 0555), 0);
        expect_refused("locked.txt", "locked/out.html", msg::cant_create, "locked/out.html");
        EXPECT_EQ(read_file(d / "locked.txt"), sample);
    }
}

}  // namespace

namespace {

// Every line of a text the program wrote ends as its system ends lines.
::testing::AssertionResult lines_end_as_text(const std::string &raw)
{
    for (size_t at = raw.find('\n'); at != std::string::npos; at = raw.find('\n', at + 1)) {
        if (ON_WINDOWS != (at > 0 && raw[at - 1] == '\r'))
            return ::testing::AssertionFailure() << "line end at byte " << at;
    }
    return ::testing::AssertionSuccess();
}

TEST(BadInput, EverySpellingOfTheInputIsTheInput)
{
    for (const program_case &p : programs()) {
        SCOPED_TRACE(p.name);
        temp_dir d;
        const std::string input = p.heading + p.line;
        write_file(d / "in.txt", input);
        std::vector<std::string> spellings = {"./in.txt", d / "in.txt"};
        if (ON_WINDOWS) {
            std::string windows_path = "Z:" + (d / "in.txt");
            spellings.push_back("Z:" + (d / "in.txt"));
            for (char &c : windows_path)
                c = c == '/' ? '\\' : c;
            spellings.insert(spellings.end(), {"IN.TXT", ".\\in.txt", ".\\In.Txt", windows_path});
        }
        for (const std::string &spelling : spellings) {
            run_result r = run_program(p.path, p.args("in.txt", spelling), d.path());
            EXPECT_EQ(r.status, 1) << spelling;
            EXPECT_TRUE(same_bytes(p.banner() + p.says(msg::is_input, spelling), r.out)) << spelling;
        }
        EXPECT_EQ(read_raw(d / "in.txt"), input);
        // An output that exists already is written over, run after run.
        for (int run = 0; run < 2; run++) {
            run_result r = run_program(p.path, p.args("in.txt", "out.html"), d.path());
            EXPECT_EQ(r.status, 0);
            EXPECT_TRUE(same_bytes(p.created(), r.out));
            EXPECT_TRUE(lines_end_as_text(read_raw(d / "out.html")));
            EXPECT_TRUE(lines_end_as_text(r.raw_out));
        }
        EXPECT_TRUE(ends_with(read_file(d / "out.html"), p.html_end));
        EXPECT_EQ(count_of(read_file(d / "out.html"), p.html_end), 1u);
    }
}

}  // namespace
