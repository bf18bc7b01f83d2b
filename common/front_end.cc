#include "front_end.h"

#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform.h"

static const char HYPHEN_LINE[] = "----------------------------------------------------------------------";
static const char WEB_ADDRESS_LINE[] = "  https://bomtables.example.org";

static const char MSG_INVALID_PARAMETER[] = "Invalid Parameter: %i\n";
static const char MSG_IGNORED[] = " Ignored no option parameter(s): ";
static const char MSG_NO_OUTPUT[] = " Error:  No output file specified:  use --wiki fname or --html fname\n";
static const char MSG_CANT_CREATE_WIKI[] = "Can't create wiki output file %s\n";
static const char MSG_WIKI_IS_INPUT[] = "Can't create wiki output file %s: it is the input file\n";
static const char MSG_CANT_CREATE_HTML[] = "Can't create html output file %s\n";
static const char MSG_HTML_IS_INPUT[] = "Can't create html output file %s: it is the input file\n";
static const char MSG_HTML_IS_WIKI[] = "Can't create html output file %s: it is the wiki output file\n";
static const char MSG_CANT_CREATE_MD[] = "Can't create md output file %s\n";
static const char MSG_MD_IS_INPUT[] = "Can't create md output file %s: it is the input file\n";
static const char MSG_MD_IS_WIKI[] = "Can't create md output file %s: it is the wiki output file\n";
static const char MSG_MD_IS_HTML[] = "Can't create md output file %s: it is the html output file\n";
static const char MSG_NO_INPUT[] = "input text file required";
static const char MSG_CANT_OPEN_INPUT[] = "Can't open input file %s\n";
static const char MSG_CANT_READ_INPUT[] = "Can't read input file %s\n";
static const char MSG_CANT_WRITE_HTML[] = "Can't write html output file %s\n";
static const char MSG_CANT_WRITE_WIKI[] = "Can't write wiki output file %s\n";
static const char MSG_CANT_WRITE_MD[] = "Can't write md output file %s\n";
static const char MSG_WIKI_IS_STDOUT[] = "Can't create wiki output file %s: it is the standard output\n";
static const char MSG_HTML_IS_STDOUT[] = "Can't create html output file %s: it is the standard output\n";
static const char MSG_MD_IS_STDOUT[] = "Can't create md output file %s: it is the standard output\n";
static const char MSG_HTML_CREATED[] = "\n HTML FIle created: %s\n";
static const char MSG_WIKI_CREATED[] = "\n Wiki FIle created: %s\n";
static const char MSG_MD_CREATED[] = "\n Markdown FIle created: %s\n";

// The parser reports the position in this table of the option it found.
enum { OPT_WIKI, OPT_HTML, OPT_INPUT, OPT_MD };
static const option LONG_OPTIONS[] = {
    {"wiki", required_argument, nullptr, 0},
    {"html", required_argument, nullptr, 0},
    {"i", required_argument, nullptr, 0},
    {"md", required_argument, nullptr, 0},
    {nullptr, 0, nullptr, 0},
};

struct run_options {
    const char *input = nullptr;
    const char *html = nullptr;
    const char *wiki = nullptr;
    const char *md = nullptr;
};

static void print_banner(const front_end &program)
{
    puts(HYPHEN_LINE);
    puts(program.title);
    puts(" ");
    puts(program.description);
    puts("\n");
    puts(WEB_ADDRESS_LINE);
    puts(HYPHEN_LINE);
}

[[noreturn]] static void print_usage(const front_end &program, char *argv[])
{
    printf(program.usage, argv[0]);
    exit(1);
}

// The option parser's complaint about a word it could not take, on standard
// error. The C libraries word it each their own way; this is one wording for
// every system. The parser has just passed the word, or names its letter.
static void report_bad_option(char *argv[])
{
    if (optopt != 0) {
        (void)fprintf(stderr, "%s: invalid option -- '%c'\n", argv[0], optopt);
        return;
    }
    const char *word = argv[optind - 1];
    const char *name = word + 2;  // after "--"
    size_t length = strcspn(name, "=");
    // A word without "=" that starts an option's name lacked its argument.
    for (const option *o = LONG_OPTIONS; o->name != nullptr && name[length] == '\0'; o++) {
        if (strncmp(o->name, name, length) == 0) {
            (void)fprintf(stderr, "%s: option '--%s' requires an argument\n", argv[0], o->name);
            return;
        }
    }
    (void)fprintf(stderr, "%s: unrecognized option '%s'\n", argv[0], word);
}

// The C libraries take the empty name of a word such as "--=x" as the start
// of every option's name and hand it to the first. It names none: it is
// refused as an unknown option. Its argument is always the rest of the word.
static bool names_no_option(const char *const argv[])
{
    const char *word = argv[optind - 1];
    return optarg != word && strncmp(word, "--=", 3) == 0;
}

static run_options read_options(int argc, char *argv[], const front_end &program)
{
    run_options opt;
    int index = 0;
    int r;
    opterr = 0;
    while ((r = getopt_long(argc, argv, "", LONG_OPTIONS, &index)) != -1) {
        if (r == 0 && names_no_option(argv)) {
            r = '?';
            optopt = 0;
        }
        if (r != 0) {
            report_bad_option(argv);
            printf(MSG_INVALID_PARAMETER, r);
            print_usage(program, argv);
        }
        if (index == OPT_WIKI)
            opt.wiki = optarg;
        else if (index == OPT_HTML)
            opt.html = optarg;
        else if (index == OPT_MD)
            opt.md = optarg;
        else
            opt.input = optarg;
    }
    if (optind < argc) {
        printf("%s", MSG_IGNORED);
        while (optind < argc)
            printf("%s ", argv[optind++]);
        putchar('\n');
    }
    return opt;
}

// Outputs are created (truncated) before the input is read, and the console
// text goes to standard output: an output that is the input file or
// standard output's file would lose it. Such a run is refused before any
// file is touched, the wiki output's name looked at first.
static void refuse_outputs_that_would_lose_files(const run_options &opt)
{
    const struct {
        const char *path, *is_input, *is_stdout;
    } outputs[] = {{opt.wiki, MSG_WIKI_IS_INPUT, MSG_WIKI_IS_STDOUT},
                   {opt.html, MSG_HTML_IS_INPUT, MSG_HTML_IS_STDOUT},
                   {opt.md, MSG_MD_IS_INPUT, MSG_MD_IS_STDOUT}};
    for (const auto &output : outputs) {
        if (output.path == nullptr)
            continue;
        if (opt.input != nullptr && same_regular_file(opt.input, output.path))
            fail(output.is_input, output.path);
        if (names_standard_output(output.path))
            fail(output.is_stdout, output.path);
    }
}

static FILE *open_wiki_output(const run_options &opt, const front_end &program, char *argv[])
{
    if (opt.wiki == nullptr) {
        if (opt.html == nullptr && opt.md == nullptr) {
            puts(MSG_NO_OUTPUT);
            print_usage(program, argv);
        }
        return nullptr;
    }
    FILE *wiki = fopen(opt.wiki, "w");
    if (wiki == nullptr)
        fail(MSG_CANT_CREATE_WIKI, opt.wiki);
    return wiki;
}

// Two streams on one file would interleave their tables.
static FILE *open_html_output(const run_options &opt, FILE *wiki)
{
    if (opt.html == nullptr)
        return nullptr;
    if (wiki != nullptr && names_open_file(opt.html, wiki))
        fail(MSG_HTML_IS_WIKI, opt.html);
    FILE *html = fopen(opt.html, "w");
    if (html == nullptr)
        fail(MSG_CANT_CREATE_HTML, opt.html);
    return html;
}

static FILE *open_md_output(const run_options &opt, FILE *wiki, FILE *html)
{
    if (opt.md == nullptr)
        return nullptr;
    if (wiki != nullptr && names_open_file(opt.md, wiki))
        fail(MSG_MD_IS_WIKI, opt.md);
    if (html != nullptr && names_open_file(opt.md, html))
        fail(MSG_MD_IS_HTML, opt.md);
    FILE *md = fopen(opt.md, "w");
    if (md == nullptr)
        fail(MSG_CANT_CREATE_MD, opt.md);
    return md;
}

static FILE *open_input(const run_options &opt, const front_end &program, char *argv[])
{
    if (opt.input == nullptr) {
        puts(MSG_NO_INPUT);
        print_usage(program, argv);
    }
    FILE *in = fopen(opt.input, "r");
    if (in == nullptr)
        fail(MSG_CANT_OPEN_INPUT, opt.input);
    return in;
}

// HTML first, then wiki, then Markdown. An output that could not be written completely
// ends the run with its message, before its completion message.
static void finish_outputs(const run_options &opt, const table_output outputs[3])
{
    const char *const created[3][2] = {
        {MSG_HTML_CREATED, opt.html}, {MSG_WIKI_CREATED, opt.wiki}, {MSG_MD_CREATED, opt.md}};
    for (int i = 0; i < 3; i++) {
        if (outputs[i].out != nullptr) {
            finish_table(outputs[i]);
            printf(created[i][0], created[i][1]);
        }
    }
}

int run_front_end(int argc, char *argv[], const front_end &program)
{
    prepare_standard_streams();
    print_banner(program);
    run_options opt = read_options(argc, argv, program);
    refuse_outputs_that_would_lose_files(opt);
    FILE *wiki = open_wiki_output(opt, program, argv);
    FILE *html = open_html_output(opt, wiki);
    FILE *md = open_md_output(opt, wiki, html);
    FILE *in = open_input(opt, program, argv);
    static output_buffer html_buffer, wiki_buffer, md_buffer;
    table_output *outputs = program.outputs;
    outputs[0] = {&HTML_WIKITABLE, output_attach(&html_buffer, html, MSG_CANT_WRITE_HTML, opt.html)};
    outputs[1] = {&WIKI_MARKUP, output_attach(&wiki_buffer, wiki, MSG_CANT_WRITE_WIKI, opt.wiki)};
    outputs[2] = {&MARKDOWN_TABLE, output_attach(&md_buffer, md, MSG_CANT_WRITE_MD, opt.md)};
    output_buffer *run = nullptr;
    for (int i = 0; i < 3; i++) {
        output_join(run, outputs[i].out);
        run = run != nullptr ? run : outputs[i].out;
    }
    if (!program.convert(in, program.context))
        fail_keeping_outputs(run, nullptr, MSG_CANT_READ_INPUT, opt.input);
    finish_outputs(opt, outputs);
    (void)fclose(in);  // read to its end: nothing of it can be lost
    finish_standard_output(program.name);
    return 0;
}
