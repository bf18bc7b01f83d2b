#include <map>
#include <tuple>

#include "e2e.h"
#include "messages.h"
#include "plain_bom.h"

// A header with its names at 0, 9, 24, 39, 49 and 59 and one part line of 61
// bytes whose Part, Value and Package cells are 8, 15 and 10 bytes long.
static const std::string HEADER = "Part     Value          Device         Package   Library   Sheet\n";
static const std::string PART_LINE = "C1       100nF          C-EUC0603      C0603     rcl       1\n";
static const std::string BOARD = "Partlist\n\nExported from board.sch\n\n" + HEADER + "\n" + PART_LINE;

static const std::string BOARD_HTML = "<table class='wikitable' border='1'>\n"
                                      "<tr>\n"
                                      "<th scope='col'>Part </th>\n"
                                      "<th scope='col'>Value </th>\n"
                                      "<th scope='col'>Package </th>\n"
                                      "</tr>\n"
                                      "<tr><td>C1      </td> <td> 100nF         </td> <td> C0603    </td> </tr>\n"
                                      "</table>\n"
                                      "\n";
static const std::string BOARD_WIKI = "== Partlist ==\n"
                                      "\n"
                                      "{| border='1' class='wikitable'\n"
                                      "!Part !!Value !!Package \n"
                                      "|-\n"
                                      "|C1      || 100nF         || C0603    \n"
                                      "|}\n"
                                      "\n";
static const std::string BOARD_MD = "| Part | Value | Package |\n"
                                    "| --- | --- | --- |\n"
                                    "| C1 | 100nF | C0603 |\n";
static const std::string HTML_END = "</table>\n\n";
static const std::string WIKI_END = "|}\n\n";

static const std::string BANNER = message(BOMTAB, msg::banner);
static const std::string USAGE = message(BOMTAB, msg::usage);
static const std::string INVALID = message(BOMTAB, msg::invalid);
static const std::string NO_OUTPUT = message(BOMTAB, msg::no_output);
static const auto html_done = [](const std::string &path) { return message(BOMTAB, msg::html_created, path); };
static const auto wiki_done = [](const std::string &path) { return message(BOMTAB, msg::wiki_created, path); };
static const auto md_done = [](const std::string &path) { return message(BOMTAB, msg::md_created, path); };

using file_set = std::map<std::string, std::string>;

struct bomtab_case {
    const char *name;
    std::vector<std::string> args;
    std::string console;  // after the banner
    int status;
    file_set outputs;  // every file the run leaves beside in.txt
    std::vector<std::string> env = {};
    std::string errors = "";  // standard error, after the program's name
};

// A command line the option parser refuses: no file is created.
static bomtab_case refused(const char *name, std::vector<std::string> args, msg complaint, const char *word)
{
    return {name, std::move(args), INVALID + USAGE, 1, {}, {}, message(BOMTAB, complaint, word)};
}

static const bomtab_case CASES[] = {
    {"both outputs",
     {"--i", "in.txt", "--html", "o.html", "--wiki", "o.wiki"},
     html_done("o.html") + wiki_done("o.wiki"),
     0,
     {{"o.html", BOARD_HTML}, {"o.wiki", BOARD_WIKI}}},
    {"html only", {"--html", "o.html", "--i", "in.txt"}, html_done("o.html"), 0, {{"o.html", BOARD_HTML}}},
    {"last of a repeated option wins",
     {"--wiki", "a.wiki", "--wiki", "b.wiki", "--i", "in.txt"},
     wiki_done("b.wiki"),
     0,
     {{"b.wiki", BOARD_WIKI}}},
    {"unique prefixes and the = form",
     {"--h=o.html", "--w", "o.wiki", "--i=in.txt"},
     html_done("o.html") + wiki_done("o.wiki"),
     0,
     {{"o.html", BOARD_HTML}, {"o.wiki", BOARD_WIKI}}},
    // The parser's complaints are worded alike on every system.
    refused("single dash", {"-i", "in.txt", "--html", "o.html"}, msg::bad_letter, "i"),
    refused("unknown option", {"--x=1", "--html", "o.html", "--i", "in.txt"}, msg::unrecognized, "--x=1"),
    // An empty name is no option, not the start of every option's name.
    refused("empty option name", {"--i", "in.txt", "--=board.html"}, msg::unrecognized, "--=board.html"),
    refused("empty option name alone", {"--i", "in.txt", "--="}, msg::unrecognized, "--="),
    refused("missing argument", {"--html", "o.html", "--h"}, msg::needs_argument, "--html"),
    refused("missing Markdown argument", {"--i", "in.txt", "--m"}, msg::needs_argument, "--md"),
    // The Markdown output is an output of its own, created after the HTML
    // output and written and reported last.
    {"markdown only", {"--md", "o.md", "--i", "in.txt"}, md_done("o.md"), 0, {{"o.md", BOARD_MD}}},
    {"all three outputs",
     {"--m=o.md", "--i", "in.txt", "--wiki", "o.wiki", "--html", "o.html"},
     html_done("o.html") + wiki_done("o.wiki") + md_done("o.md"),
     0,
     {{"o.html", BOARD_HTML}, {"o.wiki", BOARD_WIKI}, {"o.md", BOARD_MD}}},
    {"markdown without input", {"--md", "o.md"}, message(BOMTAB, msg::no_input) + USAGE, 1, {{"o.md", ""}}},
    {"markdown cannot be created",
     {"--wiki", "o.wiki", "--html", "o.html", "--md", "no/o.md", "--i", "in.txt"},
     message(BOMTAB, msg::cant_create_md, "no/o.md"),
     1,
     {{"o.wiki", ""}, {"o.html", ""}}},
    {"stray words are moved behind the options",
     {"--html", "o.html", "extra", "--i", "in.txt", "more"},
     message(BOMTAB, msg::ignored) + "extra more \n" + html_done("o.html"),
     0,
     {{"o.html", BOARD_HTML}}},
    {"POSIXLY_CORRECT stops at the first stray word",
     {"extra", "--html", "o.html", "--i", "in.txt"},
     message(BOMTAB, msg::ignored) + "extra --html o.html --i in.txt \n" + NO_OUTPUT + USAGE,
     1,
     {},
     {"POSIXLY_CORRECT=1"}},
    {"-- ends the options",
     {"--html", "o.html", "--", "--i", "in.txt"},
     message(BOMTAB, msg::ignored) + "--i in.txt \n" + message(BOMTAB, msg::no_input) + USAGE,
     1,
     {{"o.html", ""}}},
    {"no output", {"--i", "in.txt"}, NO_OUTPUT + USAGE, 1, {}},
    {"no input", {"--html", "o.html"}, message(BOMTAB, msg::no_input) + USAGE, 1, {{"o.html", ""}}},
    {"missing input",
     {"--wiki", "o.wiki", "--html", "o.html", "--i", "missing.txt"},
     message(BOMTAB, msg::cant_open, "missing.txt"),
     1,
     {{"o.wiki", ""}, {"o.html", ""}}},
    {"wiki cannot be created",
     {"--wiki", "no/o.wiki", "--html", "o.html", "--i", "in.txt"},
     message(BOMTAB, msg::cant_create_wiki, "no/o.wiki"),
     1,
     {}},
    {"empty wiki path", {"--wiki=", "--i", "in.txt"}, message(BOMTAB, msg::cant_create_wiki, ""), 1, {}},
    {"html cannot be created",
     {"--wiki", "o.wiki", "--html", "no/o.html", "--i", "in.txt"},
     message(BOMTAB, msg::cant_create, "no/o.html"),
     1,
     {{"o.wiki", ""}}},
};

TEST(Bomtab, RunsEveryCommandLineAsDocumented)
{
    for (const bomtab_case &c : CASES) {
        SCOPED_TRACE(c.name);
        temp_dir dir;
        write_file(dir / "in.txt", BOARD);
        run_result r = run_program(BOMTAB, c.args, dir.path(), c.env);
        EXPECT_TRUE(same_bytes(BANNER + c.console, r.out));
        EXPECT_TRUE(same_bytes(c.errors.empty() ? "" : shown_name(BOMTAB) + c.errors, r.err));
        EXPECT_EQ(r.status, c.status);
        file_set expected = c.outputs;
        expected["in.txt"] = BOARD;  // never touched
        file_set actual = folder_files(dir.path());
        for (const auto &[name, bytes] : expected) {
            ASSERT_TRUE(actual.count(name)) << name << " is missing";
            EXPECT_TRUE(same_bytes(bytes, actual[name])) << name;
        }
        for (const auto &entry : actual)
            EXPECT_TRUE(expected.count(entry.first)) << entry.first << " should not exist";
    }
}

// Converts `input` to the three outputs and returns them, HTML first.
static std::tuple<std::string, std::string, std::string> convert(const std::string &input)
{
    temp_dir dir;
    write_file(dir / "in.txt", input);
    run_result r =
        run_program(BOMTAB, {"--i", "in.txt", "--html", "o.html", "--wiki", "o.wiki", "--md", "o.md"}, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(same_bytes(completed(BOMTAB, "o.html", "o.wiki", "o.md"), r.out));
    return {read_file(dir / "o.html"), read_file(dir / "o.wiki"), read_file(dir / "o.md")};
}

TEST(Bomtab, WritesOnlyTheEndsWithoutAHeader)
{
    for (const std::string &input :
         std::vector<std::string>{"", "\n", "Partlist\n", " " + HEADER + PART_LINE,
                                  "Part Value Device Package Library Position (inch)\nC1 10k C0603\n"}) {
        auto [html, wiki, md] = convert(input);
        EXPECT_TRUE(same_bytes(HTML_END, html));
        EXPECT_TRUE(same_bytes(WIKI_END, wiki));
        EXPECT_TRUE(same_bytes("", md));  // it has no end of its own
    }
}

TEST(Bomtab, SplitsLinesLongerThanOneRead)
{
    const std::string head_html = BOARD_HTML.substr(0, BOARD_HTML.find("<tr><td>"));
    const std::string head_wiki = BOARD_WIKI.substr(0, BOARD_WIKI.find("|-"));
    const std::string a8(8, 'A'), a15(15, 'A'), a10(10, 'A');
    const std::string long_row_html = "<tr><td>" + a8 + "</td> <td>" + a15 + "</td> <td>" + a10 + "</td> </tr>\n";
    const std::string long_row_wiki = "|-\n|" + a8 + "||" + a15 + "||" + a10 + "\n";
    // 42046 bytes and the newline fit one read; 42047 leave the newline alone
    // for the next read, which is skipped; 42048 leave "A\n", a part line.
    for (size_t length : {42046u, 42047u, 42048u}) {
        SCOPED_TRACE(length);
        auto [html, wiki, md] = convert(HEADER + std::string(length, 'A') + "\n");
        std::string rows_html = long_row_html, rows_wiki = long_row_wiki;
        std::string rows_md = "| " + a8 + " | " + a15 + " | " + a10 + " |\n";
        if (length == 42048) {
            rows_html += "<tr><td>A\n</td> <td></td> <td></td> </tr>\n";
            rows_wiki += "|-\n|A\n||||\n";
            rows_md += "| A |  |  |\n";
        }
        EXPECT_TRUE(same_bytes(head_html + rows_html + HTML_END, html));
        EXPECT_TRUE(same_bytes(head_wiki + rows_wiki + WIKI_END, wiki));
        EXPECT_TRUE(same_bytes(BOARD_MD.substr(0, BOARD_MD.find("| C1")) + rows_md, md));
    }
}

TEST(Bomtab, KeepsCellTextAsItIs)
{
    // CR LF line ends, markup characters and UTF-8 reach the cells unchanged; a Latin-1 byte as UTF-8.
    auto [html, wiki, md] = convert("Part Value Device Package Library Sheet\r\n"
                                    "R9   >1k&|| R     \xb5<b>    rcl     1\r\n"
                                    "C7   4\xc2\xb5"
                                    "7\n");
    EXPECT_NE(html.find("<tr><td>R9  </td> <td> >1k&|</td> <td> \xc2\xb5<b>   </td> </tr>\n"), std::string::npos)
        << html;
    EXPECT_NE(html.find("<tr><td>C7  </td> <td> 4\xc2\xb5"
                        "7\n</td> <td></td> </tr>\n"),
              std::string::npos)
        << html;
    EXPECT_NE(wiki.find("|-\n|R9  || >1k&||| \xc2\xb5<b>   \n"), std::string::npos) << wiki;
    // In Markdown they read as the same text, trimmed.
    EXPECT_NE(md.find("| R9 | >1k&\\| | \xc2\xb5\\<b> |\n| C7 | 4\xc2\xb5"
                      "7 |  |\n"),
              std::string::npos)
        << md;
}

// Every real parts list, as it is, through bomtab and bomgrid: the part
// lines counted, the tables those of the plain model, the notes spelled out.
TEST(BomPrograms, ConvertRealExportsAsTheyAre)
{
    const std::string not_utf8 = "the file is not all UTF-8: the bytes that are not were read as Windows-1252";
    const std::string digits = " left out, as every line that does not begin with a letter";
    const std::map<std::string, std::vector<std::string>> notes = {
        {"12-openmind-board-export-latin1.txt", {not_utf8}},
        {"15-board-export-mm-latin1-digit-parts.txt",
         {"2 lines begin with a digit and were" + digits + "; the first is line 11", not_utf8}},
        {"19-grouped-slash-list-cp1252-euro.txt",
         {"no header line was found (a line that begins with Part and names Value and Package): the tables have "
          "no rows"}},
        {"20-two-exports-concatenated-digit-part.txt", {"line 39 begins with a digit and was" + digits}},
    };
    for (const auto &[name, parts] : PARTLISTS) {
        SCOPED_TRACE(name);
        const std::string input = read_raw(CORPUS + "/partlist/" + name);
        ASSERT_FALSE(input.empty());
        temp_dir dir;
        write_file(dir / "in.txt", input);
        // On Windows the file is read as text: its CR LF arrive as newlines.
        std::string model_notes;
        const plain_tables want = plain_bom_tables(read_file(CORPUS + "/partlist/" + name), &model_notes);
        EXPECT_EQ(count_of(want.wikitable, "<tr><td>"), parts);
        for (const std::string &program : {BOMTAB, BOMGRID}) {
            const bool grid = program == BOMGRID;
            run_result r = run_program(program,
                                       grid ? std::vector<std::string>{"in.txt", "t.html"}
                                            : std::vector<std::string>{"--i", "in.txt", "--html", "t.html", "--wiki",
                                                                       "t.wiki", "--md", "t.md"},
                                       dir.path());
            EXPECT_EQ(r.status, 0);
            std::string said;
            if (notes.count(name) > 0) {
                for (const std::string &n : notes.at(name))
                    said += (grid ? "bomgrid: " : "bomtab: ") + n + "\n";
            }
            EXPECT_TRUE(same_bytes(said, r.err));
            EXPECT_TRUE(same_bytes(grid ? want.div : want.wikitable, read_file(dir / "t.html")));
            if (!grid) {
                EXPECT_TRUE(same_bytes(want.wiki, read_file(dir / "t.wiki")));
                EXPECT_TRUE(same_bytes(want.md, read_file(dir / "t.md")));
                EXPECT_TRUE(same_bytes(said, model_notes));
            }
        }
    }
}

// The tables stored beside the samples are what the README and the release
// checks promise: every program must still give them byte for byte.
TEST(Samples, EveryProgramGivesTheStoredTables)
{
    struct sample_run {
        std::string program;
        std::vector<std::string> args;
        std::vector<std::string> outputs;
    };
    const sample_run runs[] = {
        {BOMTAB,
         {"--i", "board.txt", "--html", "board.html", "--wiki", "board.wiki", "--md", "board.md"},
         {"board.html", "board.wiki", "board.md"}},
        {BOMGRID, {"board.txt", "board-grid.html"}, {"board-grid.html"}},
        {ROWCAST,
         {"--i", "parts.csv", "--html", "parts.html", "--wiki", "parts.wiki", "--md", "parts.md"},
         {"parts.html", "parts.wiki", "parts.md"}},
    };
    for (const sample_run &s : runs) {
        temp_dir dir;
        for (const char *sample : {"board.txt", "parts.csv"}) {
            write_file(dir / sample, read_raw(EXAMPLES + "/" + sample));
        }
        EXPECT_EQ(run_program(s.program, s.args, dir.path()).status, 0);
        for (const std::string &name : s.outputs) {
            SCOPED_TRACE(name);
            EXPECT_TRUE(same_bytes(read_file(EXAMPLES + "/" + name), read_file(dir / name)));
        }
    }
}
