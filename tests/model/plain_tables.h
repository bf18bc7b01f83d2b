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

// The three tables spelled out row by row.
struct plain_tables {
    std::string wikitable, wiki, div;
    void begin(const texts &heads);
    void row(const texts &html_cells, const texts &wiki_cells);
    void end();
};

#endif
