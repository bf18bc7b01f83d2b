// Tables of several times the 64 KiB the programs gather before writing:
// a byte lost or doubled where the gathered bytes go to the file shows as a
// difference. Rows vary in length, so those places fall anywhere in a row.
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "e2e.h"
#include "messages.h"
#include "plain_tables.h"

namespace {

using row = texts;  // Part, Value, Package

struct sample {
    std::string input;
    std::vector<row> rows;
};

// Bytes drawn from a fixed seed, so that every run converts the same files.
struct draw {
    std::mt19937_64 bits;
    size_t below(size_t n) { return bits() % n; }
    // Cell text: letters, digits, blanks and markup, never a quote or a newline.
    std::string text(size_t n)
    {
        static const char BYTES[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 .,-+/<>&|_";
        std::string s(n, ' ');
        for (char &c : s)
            c = BYTES[below(sizeof BYTES - 1)];
        return s;
    }
};

// Widths of the export's Part, Value, Device, Package and Library fields.
const size_t WIDTH[] = {97, 811, 33, 509, 21};

std::string padded(const std::string &name, size_t width)
{
    return name + std::string(width - name.size(), ' ');
}

// Part lines cut at the header's positions, some ending inside the Part,
// Value or Package column (the newline then closes that cell), and lines
// that start with a digit, which give no row.
sample wide_export(size_t lines)
{
    draw rng{std::mt19937_64(20270114)};
    sample s;
    s.input = "Partlist\n\n" + padded("Part", WIDTH[0] + 1) + padded("Value", WIDTH[1]) + padded("Device", WIDTH[2]) +
              padded("Package", WIDTH[3]) + padded("Library", WIDTH[4]) + "Sheet\n\n";
    for (size_t i = 0; i < lines; i++) {
        std::string f[5];
        for (size_t k = 0; k < 5; k++)
            f[k] = rng.text(WIDTH[k]);
        f[0][0] = static_cast<char>('A' + rng.below(26));
        switch (rng.below(6)) {
        case 0: {
            std::string part = f[0].substr(0, 1 + rng.below(WIDTH[0] - 1));
            s.input += part + "\n";
            s.rows.push_back({part + "\n", "", ""});
            break;
        }
        case 1: {
            std::string value = f[1].substr(0, rng.below(WIDTH[1]));
            s.input += f[0] + value + "\n";
            s.rows.push_back({f[0], value + "\n", ""});
            break;
        }
        case 2: {
            std::string package = f[3].substr(0, rng.below(WIDTH[3]));
            s.input += f[0] + f[1] + f[2] + package + "\n";
            s.rows.push_back({f[0], f[1], package + "\n"});
            break;
        }
        case 3:
            s.input += "9" + rng.text(rng.below(2000)) + "\n";
            break;
        default:
            s.input += f[0] + f[1] + f[2] + f[3] + f[4] + rng.text(rng.below(4)) + "\n";
            s.rows.push_back({f[0], f[1], f[3]});
        }
    }
    return s;
}

// Fully quoted lines of three fields, empty ones among them.
sample quoted_csv(size_t lines)
{
    draw rng{std::mt19937_64(20270115)};
    sample s;
    s.input = "\"Part\",\"Value\",\"Package\"\n";
    for (size_t i = 0; i < lines; i++) {
        row r;
        for (int k = 0; k < 3; k++) {
            std::string field = rng.text(rng.below(5) == 0 ? 0 : rng.below(1300));
            if (!field.empty() && field[0] == ',')
                field[0] = 'x';  // a field starting with a comma is dropped
            r.push_back(field);
        }
        s.input += "\"" + r[0] + "\",\"" + r[1] + "\",\"" + r[2] + "\"\n";
        s.rows.push_back(r);
    }
    return s;
}

// The tables of the sample, with these heading cells.
plain_tables tables(const texts &heads, const sample &s)
{
    plain_tables t;
    t.begin(heads);
    for (const row &r : s.rows)
        t.row(r, r);
    t.end();
    return t;
}

}  // namespace

TEST(LargeOutput, EveryTableArrivesWhole)
{
    const sample bom = wide_export(800), csv = quoted_csv(400);
    const plain_tables bom_tables = tables({"Part ", "Value ", "Package "}, bom);
    const plain_tables csv_tables = tables({"Part", "Value", "Package\n"}, csv);
    const struct {
        std::string program;
        std::vector<std::string> args;
        std::string console, html, wiki;
    } cases[] = {
        {BOMTAB,
         {"--i", "in.txt", "--html", "o.html", "--wiki", "o.wiki"},
         completed(BOMTAB, "o.html", "o.wiki"),
         bom_tables.wikitable,
         bom_tables.wiki},
        {ROWCAST,
         {"--i", "in.csv", "--html", "o.html", "--wiki", "o.wiki"},
         completed(ROWCAST, "o.html", "o.wiki"),
         csv_tables.wikitable,
         csv_tables.wiki},
        {BOMGRID, {"in.txt", "o.html"}, completed(BOMGRID, "o.html"), bom_tables.div, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.program);
        ASSERT_GT(c.html.size(), 5u << 16);
        ASSERT_TRUE(c.wiki.empty() || c.wiki.size() > 5u << 16);
        temp_dir d;
        write_file(d / "in.txt", bom.input);
        write_file(d / "in.csv", csv.input);
        run_result r = run_program(c.program, c.args, d.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(same_bytes(c.console, r.out));
        EXPECT_TRUE(same_bytes(c.html, read_file(d / "o.html"))) << "html";
        if (!c.wiki.empty()) {
            EXPECT_TRUE(same_bytes(c.wiki, read_file(d / "o.wiki"))) << "wiki";
        }
    }
}

// Past 4 GiB of input, as on a 32-bit system with large file offsets: the
// part line at the end still gives its row. The file is sparse, so it costs
// no disk; its NUL bytes give no rows.
TEST(LargeInput, APartLineAfter4GiBGivesItsRow)
{
    temp_dir d;
    const std::string tail =
        "\nPart     Value   Device  Package  Library  Sheet\nR1       10k     R-EU    0207/10  rcl      1\n";
    const off_t start = (off_t{1} << 32) + 1;
    write_file(d / "in.txt", "");
    ASSERT_EQ(truncate((d / "in.txt").c_str(), start), 0);
    FILE *f = fopen((d / "in.txt").c_str(), "ab");
    ASSERT_NE(f, nullptr);
    size_t written = fwrite(tail.data(), 1, tail.size(), f);
    int closed = fclose(f);
    ASSERT_EQ(written, tail.size());
    ASSERT_EQ(closed, 0);
    run_result r = run_program(BOMGRID, {"in.txt", "o.html"}, d.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(count_of(read_file(d / "o.html"), "<tr><td>R1      </td> <td> 10k    </td> <td> 0207/10 </td> </tr>\n"),
              1u);
}
