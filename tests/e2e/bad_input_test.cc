// Whatever file is at hand: each program must end with its documented status
// and message, and never change its input.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "e2e.h"

namespace {

const std::string HEADER = "Part     Value          Device            Package         Library   Sheet\n";

uint64_t checksum(const std::string &bytes)
{
    uint64_t h = 14695981039346656037ULL;  // FNV-1a
    for (unsigned char c : bytes)
        h = (h ^ c) * 1099511628211ULL;
    return h;
}

// One program's command line and texts. bomtab and rowcast write both
// tables; bomgrid takes its two paths as they are.
struct program_case {
    std::string name, path, banner;
    std::vector<std::string> outputs;  // file names the table ends are checked in
    std::vector<std::string> ends;
    std::string created;  // console text of a complete run
    std::vector<std::string> (*args)(const std::string &in, const std::string &out);
    std::string cant_open, cant_read, cant_write, cant_create, is_input;  // %s: a path
};

std::vector<std::string> front_end_args(const std::string &in, const std::string &out)
{
    return {"--i", in, "--html", out, "--wiki", "out.wiki"};
}

std::vector<std::string> bomgrid_args(const std::string &in, const std::string &out)
{
    return {in, out};
}

program_case front_end_case(const std::string &name, const std::string &path, const std::string &title,
                            const std::string &description)
{
    std::string banner = front_end_banner(title, description);
    return {name,
            path,
            banner,
            {"out.html", "out.wiki"},
            {"</table>\n\n", "|}\n\n"},
            banner + "\n HTML FIle created: out.html\n\n Wiki FIle created: out.wiki\n",
            front_end_args,
            "Can't open input file %s\n",
            "Can't read input file %s\n",
            "Can't write html output file %s\n",
            "Can't create html output file %s\n",
            "Can't create html output file %s: it is the input file\n"};
}

std::vector<program_case> programs()
{
    return {front_end_case("bomtab", BOMTAB, "  bomtab V.03",
                           "  Converts text file exported from BOM of Eagle Layout Editor"),
            front_end_case("rowcast", ROWCAST, "  rowcast V.01", "  Converts CSV file to Wiki/HTML format"),
            {"bomgrid",
             BOMGRID,
             "bomgrid V.02\n",
             {"out.html"},
             {"</table>\n</div>\n"},
             "bomgrid V.02\n\nHTML FIle created: out.html\n",
             bomgrid_args,
             "Can't open input file\n",
             "Can't read input file\n",
             "Can't write output file\n",
             "Can't open output file\n",
             "Can't open output file: it is the input file\n"}};
}

std::string with_path(const std::string &message, const std::string &path)
{
    size_t at = message.find("%s");
    return at == std::string::npos ? message : message.substr(0, at) + path + message.substr(at + 2);
}

// Runs the program on in.txt (holding `input`) with `out` as its (HTML)
// output; checks status, console text and that the input did not change.
void expect_run(const program_case &p, const std::string &input, const std::string &out, int status,
                const std::string &console)
{
    temp_dir d;
    write_file(d / "in.txt", input);
    uint64_t before = checksum(input);
    run_result r = run_program(p.path, p.args("in.txt", out), d.path());
    EXPECT_EQ(r.status, status);
    EXPECT_TRUE(same_bytes(console, r.out));
    EXPECT_EQ(checksum(read_file(d / "in.txt")), before);
    if (status == 0) {
        for (size_t i = 0; i < p.outputs.size(); i++) {
            std::string table = read_file(d / p.outputs[i]);
            EXPECT_EQ(table.substr(table.size() - std::min(table.size(), p.ends[i].size())), p.ends[i])
                << p.outputs[i] << " is not complete";
        }
    }
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
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"16 MiB of random bytes", random_bytes(16 * mebibyte)},
        {"1 MiB of NUL bytes", std::string(mebibyte, '\0')},
        {"a 1 MiB line without a newline", HEADER + std::string(mebibyte, 'R')},
        {"a part line of 42047 bytes", HEADER + "R1" + std::string(42045, 'x') + "\n"},
        {"a CSV line of 4095 bytes", "\"a\"\n\"" + std::string(4093, 'b') + "\"\n"},
        {"CRLF line ends", "\"Part\",\"Value\"\r\n" + HEADER + "C1       100n\r\n\"R1\",\"10k\"\r\n"},
    };
    for (const program_case &p : programs()) {
        for (const auto &input : inputs) {
            SCOPED_TRACE(p.name + ": " + input.first);
            expect_run(p, input.second, "out.html", 0, p.created);
        }
    }
}

// A read of the line buffer's size less one holds the whole line; its
// newline is a line of its own, which gives no row.
TEST(BadInput, ALineOfOneFullReadIsOneRow)
{
    temp_dir d;
    write_file(d / "in.txt", HEADER + "R1" + std::string(42045, 'x') + "\n");
    const std::string row =
        "<tr><td>R1xxxxxx</td> <td>" + std::string(15, 'x') + "</td> <td>" + std::string(16, 'x') + "</td> </tr>\n";
    ASSERT_EQ(run_program(BOMTAB, {"--i", "in.txt", "--html", "out.html"}, d.path()).status, 0);
    ASSERT_EQ(run_program(BOMGRID, {"in.txt", "grid.html"}, d.path()).status, 0);
    for (const char *name : {"out.html", "grid.html"}) {
        std::string table = read_file(d / name);
        EXPECT_EQ(count_of(table, "<tr><td>"), 1U) << name;
        EXPECT_EQ(count_of(table, row), 1U) << name;
    }
    write_file(d / "in.csv", "\"a\"\n\"" + std::string(4093, 'b') + "\"\n");
    ASSERT_EQ(run_program(ROWCAST, {"--i", "in.csv", "--html", "csv.html"}, d.path()).status, 0);
    EXPECT_EQ(count_of(read_file(d / "csv.html"), "<tr><td>" + std::string(4093, 'b') + "</td> </tr>\n"), 1U);
}

TEST(BadInput, InputsThatCannotBeReadEndTheRun)
{
    const std::string sample = HEADER + "R1       10k\n";
    for (const program_case &p : programs()) {
        SCOPED_TRACE(p.name);
        temp_dir d;
        ASSERT_EQ(mkdir((d / "folder").c_str(), 0755), 0);
        run_result r = run_program(p.path, p.args("folder", "out.html"), d.path());
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(same_bytes(p.banner + with_path(p.cant_read, "folder"), r.out));

        r = run_program(p.path, p.args("missing.txt", "out.html"), d.path());
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(same_bytes(p.banner + with_path(p.cant_open, "missing.txt"), r.out));

        if (geteuid() != 0) {  // root reads any file
            write_file(d / "locked.txt", sample);
            ASSERT_EQ(chmod((d / "locked.txt").c_str(), 0), 0);
            r = run_program(p.path, p.args("locked.txt", "out.html"), d.path());
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(same_bytes(p.banner + with_path(p.cant_open, "locked.txt"), r.out));
            ASSERT_EQ(chmod((d / "locked.txt").c_str(), 0644), 0);
            EXPECT_EQ(read_file(d / "locked.txt"), sample);
        }
    }
}

TEST(BadInput, OutputsThatCannotBeWrittenEndTheRun)
{
    const std::string sample = HEADER + "R1       10k\n";
    for (const program_case &p : programs()) {
        SCOPED_TRACE(p.name);
        expect_run(p, sample, "/dev/full", 1, p.banner + with_path(p.cant_write, "/dev/full"));
        if (geteuid() != 0) {  // root writes into any folder
            temp_dir d;
            write_file(d / "in.txt", sample);
            ASSERT_EQ(mkdir((d / "locked").c_str(), 0555), 0);
            run_result r = run_program(p.path, p.args("in.txt", "locked/out.html"), d.path());
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(same_bytes(p.banner + with_path(p.cant_create, "locked/out.html"), r.out));
            EXPECT_EQ(read_file(d / "in.txt"), sample);
        }
    }
}

TEST(BadInput, AnOutputThatIsTheInputThroughALinkIsRefused)
{
    const std::string sample = HEADER + "R1       10k\n";
    for (const program_case &p : programs()) {
        for (bool symbolic : {true, false}) {
            SCOPED_TRACE(p.name + (symbolic ? ": symbolic link" : ": hard link"));
            temp_dir d;
            write_file(d / "in.txt", sample);
            const std::string link = d / "link.html";
            ASSERT_EQ(symbolic ? symlink("in.txt", link.c_str()) : ::link((d / "in.txt").c_str(), link.c_str()), 0);
            run_result r = run_program(p.path, p.args("in.txt", "link.html"), d.path());
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(same_bytes(p.banner + with_path(p.is_input, "link.html"), r.out));
            EXPECT_EQ(checksum(read_file(d / "in.txt")), checksum(sample));
        }
    }
}

}  // namespace
