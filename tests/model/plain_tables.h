#ifndef BOMTABLES_PLAIN_TABLES_H
#define BOMTABLES_PLAIN_TABLES_H

// What the programs must produce, worked out the plainest way, for the unit
// tests and the fuzz targets to compare with.
#include <string>
#include <vector>

using texts = std::vector<std::string>;

// The lines as a loop of fgets into a buffer of `size` bytes reads them from
// the bytes, each up to its first NUL: what the read loop must hand on.
texts fgets_lines(const std::string &bytes, int size);

// A cell as the Markdown table shows it: trimmed, each byte that could
// begin markup where it could after a backslash, line breaks as "<br>".
std::string markdown_cell(const std::string &text);

// The four tables spelled out row by row. The Markdown table is made of the
// cells as they are (`md_cells`, when given), before any line break in them
// became a "<br>".
struct plain_tables {
    std::string wikitable, wiki, div, md;
    void begin(const texts &heads, const texts *md_heads = nullptr);
    void row(const texts &html_cells, const texts &wiki_cells, const texts *md_cells = nullptr);
    void end();

  private:
    void md_row(const texts &cells);
    size_t md_columns = 0;
};

#endif
