#ifndef BOMTABLES_E2E_MESSAGES_H
#define BOMTABLES_E2E_MESSAGES_H

// The console texts of the three programs, each spelled here once, byte for
// byte as the programs print them.

#include <map>
#include <string>

#include "e2e.h"

// The kinds of text a program prints, a %s in it standing for a path;
// bomgrid prints none of the wiki or Markdown output's nor of the option
// parser's.
enum class msg {
    banner,
    usage,  // %s: the name the program shows itself under
    html_created,
    wiki_created,
    cant_open,  // the input
    cant_read,
    cant_create,  // the HTML output, bomgrid's only one
    cant_write,
    is_input,
    is_stdout,
    cant_create_wiki,
    cant_write_wiki,
    wiki_is_input,
    wiki_is_stdout,
    html_is_wiki,
    md_created,
    cant_create_md,
    cant_write_md,
    md_is_input,
    md_is_stdout,
    md_is_wiki,
    md_is_html,
    invalid,  // a command line that bomtab and rowcast refuse
    no_output,
    no_input,
    ignored,
    stdout_lost,  // on standard error; %s: the program's name
    // The option parser's, on standard error after the program's name.
    bad_letter,
    unrecognized,
    needs_argument,
};

// The banner of bomtab and rowcast.
inline std::string front_end_banner(const std::string &title, const std::string &description)
{
    const std::string hyphens(70, '-');
    return hyphens + "\n" + title + "\n \n" + description + "\n\n\n  https://bomtables.example.org\n" + hyphens + "\n";
}

// The text of that kind that `program` prints, its %s replaced by `path`
// (in a usage line by the program's shown name); empty where it has none.
inline std::string message(const std::string &program, msg kind, const std::string &path = "")
{
    using texts = std::map<msg, std::string>;
    static const texts front_end = {
        {msg::html_created, "\n HTML FIle created: %s\n"},
        {msg::wiki_created, "\n Wiki FIle created: %s\n"},
        {msg::cant_open, "Can't open input file %s\n"},
        {msg::cant_read, "Can't read input file %s\n"},
        {msg::cant_create, "Can't create html output file %s\n"},
        {msg::cant_write, "Can't write html output file %s\n"},
        {msg::is_input, "Can't create html output file %s: it is the input file\n"},
        {msg::is_stdout, "Can't create html output file %s: it is the standard output\n"},
        {msg::cant_create_wiki, "Can't create wiki output file %s\n"},
        {msg::cant_write_wiki, "Can't write wiki output file %s\n"},
        {msg::wiki_is_input, "Can't create wiki output file %s: it is the input file\n"},
        {msg::wiki_is_stdout, "Can't create wiki output file %s: it is the standard output\n"},
        {msg::html_is_wiki, "Can't create html output file %s: it is the wiki output file\n"},
        {msg::md_created, "\n Markdown FIle created: %s\n"},
        {msg::cant_create_md, "Can't create md output file %s\n"},
        {msg::cant_write_md, "Can't write md output file %s\n"},
        {msg::md_is_input, "Can't create md output file %s: it is the input file\n"},
        {msg::md_is_stdout, "Can't create md output file %s: it is the standard output\n"},
        {msg::md_is_wiki, "Can't create md output file %s: it is the wiki output file\n"},
        {msg::md_is_html, "Can't create md output file %s: it is the html output file\n"},
        {msg::invalid, "Invalid Parameter: 63\n"},
        {msg::no_output, " Error:  No output file specified:  use --wiki fname or --html fname\n\n"},
        {msg::no_input, "input text file required\n"},
        {msg::ignored, " Ignored no option parameter(s): "},
        {msg::bad_letter, ": invalid option -- '%s'\n"},
        {msg::unrecognized, ": unrecognized option '%s'\n"},
        {msg::needs_argument, ": option '%s' requires an argument\n"},
    };
    static const texts bomtab = {
        {msg::banner,
         front_end_banner("  bomtab V.03", "  Converts text file exported from BOM of Eagle Layout Editor")},
        {msg::usage, "Usage: - %s --i inputfile.txt  --wiki wikioutput.wiki --html htmloutput.html \n\n"},
    };
    static const texts rowcast = {
        {msg::banner, front_end_banner("  rowcast V.01", "  Converts CSV file to Wiki/HTML format")},
        {msg::usage, "Usage: - %s --i inputfile.csv  --wiki wikioutput.wiki --html htmloutput.html \n\n"},
    };
    static const texts bomgrid = {
        {msg::banner, "bomgrid V.02\n"},
        {msg::usage, "Usage: - %s inputfile.txt  output.html"},
        {msg::html_created, "\nHTML FIle created: %s\n"},
        {msg::cant_open, "Can't open input file\n"},
        {msg::cant_read, "Can't read input file\n"},
        {msg::cant_create, "Can't open output file\n"},
        {msg::cant_write, "Can't write output file\n"},
        {msg::is_input, "Can't open output file: it is the input file\n"},
        {msg::is_stdout, "Can't open output file: it is the standard output\n"},
    };
    static const texts every = {{msg::stdout_lost, "%s: can't write to standard output\n"}};
    // The program's own texts, then those it shares with the others.
    const texts &own = program == BOMTAB ? bomtab : program == ROWCAST ? rowcast : bomgrid;
    const texts &shared = program == BOMGRID ? every : front_end;
    const texts &where = own.count(kind) != 0 ? own : shared.count(kind) != 0 ? shared : every;
    std::string text = where.count(kind) != 0 ? where.at(kind) : "";
    size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, kind == msg::usage ? shown_name(program) : path);
    return text;
}

// What a complete run to these outputs prints (an empty name: none named).
inline std::string completed(const std::string &program, const std::string &html, const std::string &wiki = "",
                             const std::string &md = "")
{
    return message(program, msg::banner) + (html.empty() ? "" : message(program, msg::html_created, html)) +
           (wiki.empty() ? "" : message(program, msg::wiki_created, wiki)) +
           (md.empty() ? "" : message(program, msg::md_created, md));
}

#endif
