#include "e2e.h"
#include "messages.h"

#include <sstream>

static const std::string BANNER = message(ROWCAST, msg::banner);
static const std::string HTML_START = "<table class='wikitable' border='1'>\n<tr>\n";
static const std::string HTML_END = "</table>\n\n";
static const std::string WIKI_START = "== Partlist ==\n\n{| border='1' class='wikitable'\n";
static const std::string WIKI_END = "|}\n\n";
// The heading line "Part","Value" and its newline, as both tables show it.
static const std::string PART_VALUE = "\"Part\",\"Value\"\n";
static const std::string HTML_HEAD = HTML_START + "<th scope='col'>Part</th>\n<th scope='col'>Value\n</th>\n</tr>\n";
static const std::string WIKI_HEAD = WIKI_START + "!Part!!Value\n";

struct tables {
    std::string html, wiki;
};

// Converts `csv` to both tables in a fresh folder; a complete run leaves the
// input as it was and no file besides the two tables.
static tables convert(const std::string &csv)
{
    temp_dir dir;
    write_file(dir / "in.csv", csv);
    run_result r = run_program(ROWCAST, {"--i", "in.csv", "--html", "t.html", "--wiki", "t.wiki"}, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(same_bytes(completed(ROWCAST, "t.html", "t.wiki"), r.out));
    std::map<std::string, std::string> files = folder_files(dir.path());
    EXPECT_EQ(files.size(), 3u);
    EXPECT_TRUE(same_bytes(csv, files["in.csv"]));
    return {files["t.html"], files["t.wiki"]};
}

static void expect_tables(const std::string &csv, const std::string &html, const std::string &wiki)
{
    tables t = convert(csv);
    EXPECT_TRUE(same_bytes(html, t.html));
    EXPECT_TRUE(same_bytes(wiki, t.wiki));
}

// A refused or failed run: the banner, then its one message, status 1 and
// `errors` on standard error after the program's name.
static void expect_failure(const temp_dir &dir, const std::vector<std::string> &args, const std::string &console,
                           const std::string &errors = "")
{
    run_result r = run_program(ROWCAST, args, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(same_bytes(BANNER + console, r.out));
    EXPECT_TRUE(same_bytes(errors.empty() ? "" : shown_name(ROWCAST) + errors, r.err));
}

TEST(Rowcast, ConvertsTheTwoColumnExample)
{
    const std::string html = "<table class='wikitable' border='1'>\n"
                             "<tr>\n"
                             "<th scope='col'>Part</th>\n"
                             "<th scope='col'>Value\n</th>\n"
                             "</tr>\n"
                             "<tr><td>C1</td> <td>100nF</td> </tr>\n"
                             "</table>\n\n";
    const std::string wiki = "== Partlist ==\n\n{| border='1' class='wikitable'\n!Part!!Value\n|-\n|C1||100nF\n|}\n\n";
    ASSERT_EQ(html.size(), 149u);
    ASSERT_EQ(wiki.size(), 79u);
    expect_tables(PART_VALUE + "\"C1\",\"100nF\"\n", html, wiki);
}

TEST(Rowcast, PrintsItsOwnBannerAndUsage)
{
    temp_dir dir;
    const std::string usage = message(ROWCAST, msg::usage);
    expect_failure(dir, {}, message(ROWCAST, msg::no_output) + usage);
    expect_failure(dir, {"--html", "t.html"}, message(ROWCAST, msg::no_input) + usage);
    // An empty name is no option, not the start of every option's name.
    write_file(dir / "in.csv", PART_VALUE);
    for (const char *word : {"--=in.wiki", "--="}) {
        expect_failure(dir, {"--i", "in.csv", word}, message(ROWCAST, msg::invalid) + usage,
                       message(ROWCAST, msg::unrecognized, word));
    }
    EXPECT_EQ(folder_files(dir.path()), (std::map<std::string, std::string>{{"t.html", ""}, {"in.csv", PART_VALUE}}));
}

TEST(Rowcast, DataRowsShowEveryFieldAndNoTrailer)
{
    struct sample {
        const char *what;
        std::string data, html_rows, wiki_rows;
    };
    const sample samples[] = {
        {"no final newline", "\"C1\",\"100nF\"", "<tr><td>C1</td> <td>100nF</td> </tr>\n", "|-\n|C1||100nF\n"},
        {"comma after the last field", "\"C1\",\"100nF\",\n", "<tr><td>C1</td> <td>100nF</td> </tr>\n",
         "|-\n|C1||100nF\n"},
        {"blanks after the last field", "\"C1\",\"100nF\"  \n", "<tr><td>C1</td> <td>100nF</td> </tr>\n",
         "|-\n|C1||100nF\n"},
        {"empty middle field", "\"C1\",\"\",\"10k\"\n", "<tr><td>C1</td> <td></td> <td>10k</td> </tr>\n",
         "|-\n|C1||||10k\n"},
        {"empty last field", "\"C1\",\"\"\n", "<tr><td>C1</td> <td></td> </tr>\n", "|-\n|C1||\n"},
        {"only an empty field", "\"\"\n", "<tr><td></td> </tr>\n", "|-\n|\n"},
        {"doubled quote", "\"5\"\" screen\",\"x\"\n", "<tr><td>5\" screen</td> <td>x</td> </tr>\n",
         "|-\n|5\" screen||x\n"},
        {"doubled quotes of a cart export", "\"DC JACK 2.1\"\" X 5.5\"\" MM\",\"2\"\n",
         "<tr><td>DC JACK 2.1\" X 5.5\" MM</td> <td>2</td> </tr>\n", "|-\n|DC JACK 2.1\" X 5.5\" MM||2\n"},
        {"a value led by a comma keeps its column", "\"C1\",\",5 mm\",\"x\"\n",
         "<tr><td>C1</td> <td>,5 mm</td> <td>x</td> </tr>\n", "|-\n|C1||,5 mm||x\n"},
        {"unclosed last quote", "\"C1\",\"", "<tr><td>C1</td> </tr>\n", "|-\n|C1\n"},
        {"blank before the comma", "\"C1\" ,\"100nF\"\n", "<tr><td>C1</td> <td> ,</td> <td>100nF</td> </tr>\n",
         "|-\n|C1|| ,||100nF\n"},
        {"unquoted line", "C1,100nF\n", "<tr></tr>\n", "|-\n|C1,100nF\n\n"},
        {"blank line", "\n", "<tr></tr>\n", "|-\n|\n\n"},
        // No cell at all: the wiki row must not repeat the previous line's first cell.
        {"commas after a row", "\"C1\",\"100nF\"\n,,\n", "<tr><td>C1</td> <td>100nF</td> </tr>\n<tr></tr>\n",
         "|-\n|C1||100nF\n|-\n|\n"},
    };
    for (const sample &s : samples) {
        SCOPED_TRACE(s.what);
        expect_tables(PART_VALUE + s.data, HTML_HEAD + s.html_rows + HTML_END, WIKI_HEAD + s.wiki_rows + WIKI_END);
    }
}

TEST(Rowcast, HeadingWithoutNewlineStillEndsItsWikiRow)
{
    // No heading at all: only the end texts.
    expect_tables("", HTML_END, WIKI_END);
    expect_tables("\"Part\",\"Value\"",
                  HTML_START + "<th scope='col'>Part</th>\n<th scope='col'>Value</th>\n</tr>\n" + HTML_END,
                  WIKI_START + "!Part!!Value\n" + WIKI_END);
    // A heading of a full read: its newline comes alone in the next read, a data row.
    const std::string pad(4086, 'h');
    expect_tables("\"Part\",\"" + pad + "\"\n",
                  HTML_START + "<th scope='col'>Part</th>\n<th scope='col'>" + pad + "</th>\n</tr>\n<tr></tr>\n" +
                      HTML_END,
                  WIKI_START + "!Part!!" + pad + "\n|-\n|\n\n" + WIKI_END);
    // As many heading cells as a full read holds: 2048 of one letter; the
    // newline again comes alone, a data row.
    std::string heading = "a", html = HTML_START + "<th scope='col'>a</th>\n", wiki = WIKI_START + "!a";
    for (int i = 1; i < 2048; i++) {
        heading += ",a";
        html += "<th scope='col'>a</th>\n";
        wiki += "!!a";
    }
    expect_tables(heading + "\n\"x\"\n", html + "</tr>\n<tr></tr>\n<tr><td>x</td> </tr>\n" + HTML_END,
                  wiki + "\n|-\n|\n\n|-\n|x\n" + WIKI_END);
}

// A data line "C1","pad" whose text before the newline is `length` bytes.
static std::string data_line(size_t length)
{
    return "\"C1\",\"" + std::string(length - 7, 'p') + "\"\n";
}

TEST(Rowcast, LongLinesSplitAtFullReads)
{
    const std::string p4087(4087, 'p'), p4088(4088, 'p');
    // 4094 bytes and the newline: one read.
    expect_tables(PART_VALUE + data_line(4094), HTML_HEAD + "<tr><td>C1</td> <td>" + p4087 + "</td> </tr>\n" + HTML_END,
                  WIKI_HEAD + "|-\n|C1||" + p4087 + "\n" + WIKI_END);
    // 4095 bytes fill a read; the newline alone is the next row.
    expect_tables(PART_VALUE + data_line(4095),
                  HTML_HEAD + "<tr><td>C1</td> <td>" + p4088 + "</td> </tr>\n<tr></tr>\n" + HTML_END,
                  WIKI_HEAD + "|-\n|C1||" + p4088 + "\n|-\n|\n\n" + WIKI_END);
    // 4096 bytes: the read ends inside the field, which is then its trailer;
    // the closing quote and the newline follow as a row of their own.
    expect_tables(PART_VALUE + data_line(4096), HTML_HEAD + "<tr><td>C1</td> </tr>\n<tr></tr>\n" + HTML_END,
                  WIKI_HEAD + "|-\n|C1\n|-\n|\n\n" + WIKI_END);
}

TEST(Rowcast, RealExportsGiveOneRowPerLine)
{
    // The fully quoted exports name their column count; the others are quoted
    // only where needed, so only their row count is fixed.
    const struct {
        const char *name;
        size_t columns;
    } exports[] = {{"01-apogeo-shield-kicad.csv", 6},
                   {"02-infnoise-kicad8-utf8.csv", 8},
                   {"03-corne-chocolate-jlcpcb-crlf.csv", 0},
                   {"04-current-monitor-mouser.csv", 0},
                   {"05-modular-led-lamp-ditto-marks.csv", 0}};
    for (const auto &e : exports) {
        SCOPED_TRACE(e.name);
        const std::string csv = read_file(CORPUS + "/csv/" + e.name);
        ASSERT_FALSE(csv.empty());
        tables t = convert(csv);
        // Cells of HTML data rows never hold a newline, so every row is one line.
        size_t lines = count_of(csv, "\n");
        EXPECT_EQ(count_of(t.html, "\n<tr><"), lines - 1);
        EXPECT_EQ(count_of(t.wiki, "|-\n"), lines - 1);
        if (e.columns == 0)
            continue;
        // Every field sits under its own heading.
        EXPECT_EQ(count_of(t.html, "<th "), e.columns);
        std::istringstream rows(t.html);
        for (std::string row; std::getline(rows, row);) {
            if (row.rfind("<tr><", 0) == 0) {
                EXPECT_EQ(count_of(row, "<td>"), e.columns) << row;
            }
        }
    }
}
