#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "e2e.h"
#include "messages.h"

namespace {

const std::string BANNER = message(BOMGRID, msg::banner);
const std::string USAGE = BANNER + message(BOMGRID, msg::usage);
const std::string DIV_END = "</table>\n</div>\n";

// The division, the 40% table line (a single percent sign) and the heading
// cells with their trailing blanks: how every output with a header starts.
const std::string DIV_BEGIN = "<Div Class='Wiki'>\n"
                              "<table width='40%' border='1'>\n"
                              "<tr>\n"
                              "<th scope='col'>Part </th>\n"
                              "<th scope='col'>Value </th>\n"
                              "<th scope='col'>Package </th>\n"
                              "</tr>\n";

// Column names at bytes 0, 9, 24, 39, 49 and 59; the part line has 60 bytes of
// text, each column filled edge to edge so that a cut one byte off shows.
const std::string EXAMPLE_IN = "Partlist\n\n"
                               "Part     Value          Device         Package   Library   Sheet\n"
                               "C1&<>  .[ 100n        ]{Device-cell  }(SMD-0603)/Library-/S1\n";
// Part is bytes 0-7, Value 8-22, Package 38-47; Device, Library and Sheet are
// never written, and the markup characters go through as they are.
const std::string EXAMPLE_OUT =
    DIV_BEGIN + "<tr><td>C1&<>  .</td> <td>[ 100n        ]</td> <td>(SMD-0603)</td> </tr>\n" + DIV_END;

using files = std::map<std::string, std::string>;

// Runs bomgrid in the folder, checks its exit status and console text, and
// returns every file the run left there.
files run_in(const temp_dir &d, const std::vector<std::string> &args, int status, const std::string &out)
{
    run_result r = run_program(BOMGRID, args, d.path());
    EXPECT_EQ(r.status, status);
    EXPECT_TRUE(same_bytes(out, r.out));
    return folder_files(d.path());
}

// Converts `in` with the given arguments, which must complete, and returns
// the table; the input must be left as it was and no other file appear.
std::string converted(const std::string &in, const std::vector<std::string> &args = {"in.txt", "out.html"})
{
    temp_dir d;
    write_file(d / "in.txt", in);
    files left = run_in(d, args, 0, completed(BOMGRID, "out.html"));
    EXPECT_EQ(left.size(), 2u);
    EXPECT_TRUE(same_bytes(in, left["in.txt"]));
    return left["out.html"];
}

}  // namespace

TEST(Bomgrid, ConvertsToOneTable)
{
    ASSERT_EQ(EXAMPLE_OUT.size(), 235u);
    EXPECT_TRUE(same_bytes(EXAMPLE_OUT, converted(EXAMPLE_IN)));
    EXPECT_TRUE(same_bytes(EXAMPLE_OUT, converted(EXAMPLE_IN, {"in.txt", "out.html", "extra.html", "x"})));
    // Without a header only the end is written: an empty file, and a header
    // that starts with a blank, which never passes the first-byte filter.
    EXPECT_TRUE(same_bytes(DIV_END, converted("")));
    EXPECT_TRUE(same_bytes(DIV_END, converted(" Part     Value    Device   Package  Library  Sheet\n"
                                              "C1       1k       R        0603     rcl      1\n")));
}

TEST(Bomgrid, StopsBeforeReading)
{
    const std::string cant_open = BANNER + message(BOMGRID, msg::cant_open);
    const struct {
        std::vector<std::string> args;
        std::string out;
        files left;  // besides in.txt
    } cases[] = {
        {{}, USAGE, {}},
        {{"in.txt"}, USAGE, {}},
        // Both files are opened before either is looked at: the output is left behind.
        {{"missing.txt", "out.html"}, cant_open, {{"out.html", ""}}},
        {{"in.txt", "nodir/out.html"}, BANNER + message(BOMGRID, msg::cant_create), {}},
        {{"missing.txt", "nodir/out.html"}, cant_open, {}},
        // An input that does not exist cannot be the output; the output is created.
        {{"missing.txt", "missing.txt"}, cant_open, {{"missing.txt", ""}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        temp_dir d;
        write_file(d / "in.txt", EXAMPLE_IN);
        files left = c.left;
        left["in.txt"] = EXAMPLE_IN;
        EXPECT_EQ(run_in(d, c.args, 1, c.out), left);
    }
}
