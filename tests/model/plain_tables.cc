#include "plain_tables.h"

#include <cstdio>
#include <cstdlib>

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

void plain_tables::begin(const texts &heads)
{
    std::string heading = html_row("<tr>\n", "<th scope='col'>", "</th>\n", heads);
    wikitable += "<table class='wikitable' border='1'>\n" + heading;
    div += "<Div Class='Wiki'>\n<table width='40%' border='1'>\n" + heading;
    wiki += "== Partlist ==\n\n{| border='1' class='wikitable'\n!" + joined(heads, "!!");
    if (heads.empty() || heads.back().empty() || heads.back().back() != '\n')
        wiki += "\n";
}

void plain_tables::row(const texts &html_cells, const texts &wiki_cells)
{
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
