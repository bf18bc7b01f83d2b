#include "e2e.h"
#include "messages.h"
#include "plain_csv.h"

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

TEST(Rowcast, DataRowsShowEveryField)
{
    struct sample {
        const char *what;
        std::string data, html_rows, wiki_rows;
    };
    const sample samples[] = {
        {"no final newline", "\"C1\",\"100nF\"", "<tr><td>C1</td> <td>100nF</td> </tr>\n", "|-\n|C1||100nF\n"},
        {"comma after the last field", "\"C1\",\"100nF\",\n", "<tr><td>C1</td> <td>100nF</td> <td></td> </tr>\n",
         "|-\n|C1||100nF||\n"},
        {"blanks after a closing quote", "\"C1\" ,\"100nF\"  \n", "<tr><td>C1</td> <td>100nF</td> </tr>\n",
         "|-\n|C1||100nF\n"},
        {"empty fields", "\"C1\",\"\",,\"10k\"\n", "<tr><td>C1</td> <td></td> <td></td> <td>10k</td> </tr>\n",
         "|-\n|C1||||||10k\n"},
        {"doubled quotes", "\"DC JACK 2.1\"\" X 5.5\"\" MM\",\"2\"\n",
         "<tr><td>DC JACK 2.1\" X 5.5\" MM</td> <td>2</td> </tr>\n", "|-\n|DC JACK 2.1\" X 5.5\" MM||2\n"},
        {"a quote that closes nothing", "\"0.1\" pitch\",x\"y\n", "<tr><td>0.1\" pitch</td> <td>x\"y</td> </tr>\n",
         "|-\n|0.1\" pitch||x\"y\n"},
        {"a value led by a comma", "\"C1\",\",5 mm\"\n", "<tr><td>C1</td> <td>,5 mm</td> </tr>\n", "|-\n|C1||,5 mm\n"},
        {"bare fields and blanks", "C1, 100nF \r\n", "<tr><td>C1</td> <td> 100nF </td> </tr>\n", "|-\n|C1|| 100nF \n"},
        {"a line break in a field", "\"C1\",\"a\nb\"\n", "<tr><td>C1</td> <td>a<br>b</td> </tr>\n",
         "|-\n|C1||a<br>b\n"},
        {"empty lines", "\n\r\nC1,1\n\n", "<tr><td>C1</td> <td>1</td> </tr>\n", "|-\n|C1||1\n"},
        {"a quote never closed", "\"C1\",\"x", "<tr><td>C1</td> <td>x</td> </tr>\n", "|-\n|C1||x\n"},
    };
    for (const sample &s : samples) {
        SCOPED_TRACE(s.what);
        expect_tables(PART_VALUE + s.data, HTML_HEAD + s.html_rows + HTML_END, WIKI_HEAD + s.wiki_rows + WIKI_END);
    }
}

TEST(Rowcast, HeadingKeepsItsLineEnd)
{
    // No heading at all: only the end texts.
    expect_tables("", HTML_END, WIKI_END);
    expect_tables("\"Part\",\"Value\"",
                  HTML_START + "<th scope='col'>Part</th>\n<th scope='col'>Value</th>\n</tr>\n" + HTML_END,
                  WIKI_START + "!Part!!Value\n" + WIKI_END);
    expect_tables("Part;Value\r\n",
                  HTML_START + "<th scope='col'>Part</th>\n<th scope='col'>Value\r\n</th>\n</tr>\n" + HTML_END,
                  WIKI_START + "!Part!!Value\r\n" + WIKI_END);
    // A heading of 2048 cells and more: one heading row.
    std::string heading = "a", html = HTML_START + "<th scope='col'>a</th>\n", wiki = WIKI_START + "!a";
    for (int i = 1; i < 5000; i++) {
        heading += ",a";
        html += i < 4999 ? "<th scope='col'>a</th>\n" : "<th scope='col'>a\n</th>\n";
        wiki += "!!a";
    }
    expect_tables(heading + "\n\"x\"\n", html + "</tr>\n<tr><td>x</td> </tr>\n" + HTML_END,
                  wiki + "\n|-\n|x\n" + WIKI_END);
}

TEST(Rowcast, LongLinesAreOneRow)
{
    for (size_t length : {4094, 4095, 4096, 100000}) {
        const std::string field(length, 'p');
        expect_tables(PART_VALUE + "\"C1\",\"" + field + "\"\n",
                      HTML_HEAD + "<tr><td>C1</td> <td>" + field + "</td> </tr>\n" + HTML_END,
                      WIKI_HEAD + "|-\n|C1||" + field + "\n" + WIKI_END);
    }
}

// Every real CSV file as it is: the three tables as the plain model spells
// them out from the file, and the notes on standard error.
TEST(Rowcast, RealExportsAsTheyAre)
{
    const std::string semicolons = "fields are separated by semicolons", tabs = "fields are separated by tabs";
    const std::string not_utf8 = "the file is not all UTF-8: the bytes that are not were read as Windows-1252";
    const auto preamble = [](const char *rows) {
        return std::string("the first ") + rows + " rows were left out as a preamble: the heading is the next";
    };
    const std::map<std::string, std::vector<std::string>> notes = {
        {"04-current-monitor-mouser.csv", {preamble("4")}},
        {"06-semicolon-all-quoted-unescaped-inner-quotes.csv", {semicolons}},
        {"07-semicolon-all-quoted-values-list.csv", {semicolons}},
        {"08-semicolon-preamble-crlf-latin1.csv", {semicolons, not_utf8, preamble("13")}},
        {"09-preamble-two-sections-mixed-encoding.csv", {not_utf8, preamble("8")}},
        {"10-utf16le-bom-tab-crlf.csv", {tabs, "the file is UTF-16 (little-endian); the tables are UTF-8"}},
        {"11-tab-separated-empty-cells.tsv", {tabs}},
        {"13-distributor-cart-crlf-totals-trailer.csv",
         {"12 rows have another number of fields than the heading's 11; the first, on line 2, has 12"}},
        {"14-distributor-list-utf8-bom-crlf-disclaimer-rows.csv", {preamble("2")}},
        {"17-shift-jis-heading.csv", {not_utf8}},
    };
    const auto corpus = folder_files(CORPUS + "/csv");
    EXPECT_EQ(corpus.size(), 17u);
    for (const auto &[name, csv] : corpus) {
        SCOPED_TRACE(name);
        temp_dir dir;
        write_file(dir / "in.csv", csv);
        run_result r =
            run_program(ROWCAST, {"--i", "in.csv", "--html", "t.html", "--wiki", "t.wiki", "--md", "t.md"}, dir.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(same_bytes(completed(ROWCAST, "t.html", "t.wiki", "t.md"), r.out));
        std::string said;
        if (notes.count(name) > 0) {
            for (const std::string &n : notes.at(name))
                said += "rowcast: " + n + "\n";
        }
        EXPECT_TRUE(same_bytes(said, r.err));
        // On Windows the file is read as text: its CR LF arrive as newlines.
        const plain_tables want = plain_csv_tables(ON_WINDOWS ? read_file(CORPUS + "/csv/" + name) : csv);
        EXPECT_TRUE(same_bytes(want.wikitable, read_file(dir / "t.html")));
        EXPECT_TRUE(same_bytes(want.wiki, read_file(dir / "t.wiki")));
        EXPECT_TRUE(same_bytes(want.md, read_file(dir / "t.md")));
    }
}
