#include "plain_tables.h"

#include <cstdio>
#include <cstdlib>

#include <algorithm>

texts fgets_lines(const std::string &bytes, int size)
{
    texts lines;
    FILE *in = tmpfile();
    if (in == nullptr || fwrite(bytes.data(), 1, bytes.size(), in) != bytes.size())
        abort();
    rewind(in);
    std::vector<char> buffer(static_cast<size_t>(size));
    while (fgets(buffer.data(), size, in) != nullptr)
        lines.emplace_back(buffer.data());
    (void)fclose(in);
    return lines;
}

static std::string html_row(const char *open, const char *cell_open, const char *cell_close, const texts &cells)
{
    std::string row = open;
    for (const std::string &c : cells)
        row += cell_open + c + cell_close;
    return row + "</tr>\n";
}

static std::string joined(const texts &cells, const char *between)
{
    std::string all;
    for (size_t i = 0; i < cells.size(); i++)
        all += (i > 0 ? between : "") + cells[i];
    return all;
}

static bool letter(int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

static bool word_byte(int c)
{
    return letter(c) || (c >= '0' && c <= '9');
}

// A bare web address that a renderer would link: "www." at a word's start,
// or "http:", "https:" or "ftp:" as a whole word, in any case.
static bool starts_link(const std::string &s, size_t i)
{
    if (s[i] == '.')
        return i >= 3 && s.compare(i - 3, 3, "www") == 0 &&
               (i == 3 || !word_byte(static_cast<unsigned char>(s[i - 4])));
    if (s[i] != ':')
        return false;
    size_t start = i;
    while (start > 0 && letter(static_cast<unsigned char>(s[start - 1])))
        start--;
    std::string word = s.substr(start, i - start);
    for (char &c : word)
        c = static_cast<char>(tolower(c));
    return word == "http" || word == "https" || word == "ftp";
}

std::string markdown_cell(const std::string &text)
{
    const char *blanks = " \t\v\f\r\n";
    size_t first = text.find_first_not_of(blanks), last = text.find_last_not_of(blanks);
    if (first == std::string::npos)
        return "";
    const std::string s = text.substr(first, last - first + 1);
    const std::string punctuation = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
    std::string out;
    for (size_t i = 0; i < s.size(); i++) {
        int prev = i > 0 ? static_cast<unsigned char>(s[i - 1]) : -1;
        int next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : -1;
        char c = s[i];
        if (c == '\r' || c == '\n') {
            if (c == '\n' || next != '\n')
                out += "<br>";
            continue;
        }
        bool escaped =
            std::string("|*`[~").find(c) != std::string::npos ||
            (c == '\\' && next > 0 &&
             (punctuation.find(static_cast<char>(next)) != std::string::npos || next == '\r' || next == '\n')) ||
            (c == '_' && !(word_byte(prev) && word_byte(next))) || (c == '&' && (letter(next) || next == '#')) ||
            (c == '<' && (letter(next) || next == '/' || next == '!' || next == '?')) || starts_link(s, i);
        if (escaped)
            out += '\\';
        out += c;
    }
    return out;
}

void plain_tables::md_row(const texts &cells)
{
    md += "|";
    for (size_t i = 0; i < std::max({cells.size(), md_columns, size_t{1}}); i++)
        md += " " + (i < cells.size() ? markdown_cell(cells[i]) : "") + " |";
    md += "\n";
}

void plain_tables::begin(const texts &heads, const texts *md_heads)
{
    md_columns = 0;
    md_row(md_heads != nullptr ? *md_heads : heads);
    md_columns = std::max(heads.size(), size_t{1});
    md += "|";
    for (size_t i = 0; i < md_columns; i++)
        md += " --- |";
    md += "\n";
    std::string heading = html_row("<tr>\n", "<th scope='col'>", "</th>\n", heads);
    wikitable += "<table class='wikitable' border='1'>\n" + heading;
    div += "<Div Class='Wiki'>\n<table width='40%' border='1'>\n" + heading;
    wiki += "== Partlist ==\n\n{| border='1' class='wikitable'\n!" + joined(heads, "!!");
    if (heads.empty() || heads.back().empty() || heads.back().back() != '\n')
        wiki += "\n";
}

void plain_tables::row(const texts &html_cells, const texts &wiki_cells, const texts *md_cells)
{
    md_row(md_cells != nullptr ? *md_cells : html_cells);
    std::string html = html_row("<tr>", "<td>", "</td> ", html_cells);
    wikitable += html;
    div += html;
    wiki += "|-\n|" + joined(wiki_cells, "||") + "\n";
}

void plain_tables::end()
{
    wikitable += "</table>\n\n";
    div += "</table>\n</div>\n";
    wiki += "|}\n\n";
}
