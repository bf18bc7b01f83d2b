#include "table_writer.h"

// html_wikitable
static const char WIKITABLE_OPEN[] = "<table class='wikitable' border='1'>\n";
static const char ROW_OPEN[] = "<tr>\n";
static const char HEAD_CELL_OPEN[] = "<th scope='col'>";
static const char HEAD_CELL_CLOSE[] = "</th>\n";
static const char ROW_CLOSE[] = "</tr>\n";
static const char DATA_ROW_OPEN[] = "<tr>";
static const char DATA_CELL_OPEN[] = "<td>";
static const char DATA_CELL_CLOSE[] = "</td> ";
static const char WIKITABLE_CLOSE[] = "</table>\n\n";

// wiki_markup
static const char WIKI_OPEN[] = "== Partlist ==\n\n{| border='1' class='wikitable'\n";
static const char WIKI_ROW_OPEN[] = "|-\n";
static const char WIKI_CLOSE[] = "|}\n\n";

// html_div_table. TABLE_40 goes through fprintf, so "%%" arrives as one '%'.
static const char DIV_OPEN[] = "<Div Class='Wiki'>\n";
static const char TABLE_40[] = "<table width='40%%' border='1'>\n";
static const char DIV_CLOSE[] = "</table>\n</div>\n";

static void write_heading_row(FILE *out, const char *const heads[], int count)
{
    fputs(ROW_OPEN, out);
    for (int i = 0; i < count; i++) {
        fputs(HEAD_CELL_OPEN, out);
        fputs(heads[i], out);
        fputs(HEAD_CELL_CLOSE, out);
    }
    fputs(ROW_CLOSE, out);
}

// Both HTML flavours write data rows alike.
static void html_row(FILE *out, const char *const cells[], int count)
{
    if (out == nullptr)
        return;
    fputs(DATA_ROW_OPEN, out);
    for (int i = 0; i < count; i++) {
        fputs(DATA_CELL_OPEN, out);
        fputs(cells[i], out);
        fputs(DATA_CELL_CLOSE, out);
    }
    fputs(ROW_CLOSE, out);
}

static void wikitable_begin(FILE *out, const char *const heads[], int count)
{
    if (out == nullptr)
        return;
    fputs(WIKITABLE_OPEN, out);
    write_heading_row(out, heads, count);
}

static void wikitable_end(FILE *out)
{
    if (out == nullptr)
        return;
    fputs(WIKITABLE_CLOSE, out);
}

// Writes the cells as "<lead>first<sep>second<sep>...". With no cells the
// lead still stands alone: its first cell is empty.
static void write_wiki_cells(FILE *out, char lead, const char *const cells[], int count)
{
    fputc(lead, out);
    for (int i = 0; i < count; i++) {
        if (i > 0) {
            fputc(lead, out);
            fputc(lead, out);
        }
        fputs(cells[i], out);
    }
}

static bool ends_with_newline(const char *const cells[], int count)
{
    if (count == 0)
        return false;
    const char *last = cells[count - 1];
    size_t n = 0;
    while (last[n] != '\0')
        n++;
    return n > 0 && last[n - 1] == '\n';
}

// A CSV heading's last cell carries the input line's newline, which then
// ends the heading row; a BOM heading never does. Either way the row ends
// with exactly one newline, so the first data row starts on a line of its own.
static void wiki_begin(FILE *out, const char *const heads[], int count)
{
    if (out == nullptr)
        return;
    fputs(WIKI_OPEN, out);
    write_wiki_cells(out, '!', heads, count);
    if (!ends_with_newline(heads, count))
        fputc('\n', out);
}

static void wiki_row(FILE *out, const char *const cells[], int count)
{
    if (out == nullptr)
        return;
    fputs(WIKI_ROW_OPEN, out);
    write_wiki_cells(out, '|', cells, count);
    fputc('\n', out);
}

static void wiki_end(FILE *out)
{
    if (out == nullptr)
        return;
    fputs(WIKI_CLOSE, out);
}

static void div_begin(FILE *out, const char *const heads[], int count)
{
    if (out == nullptr)
        return;
    fputs(DIV_OPEN, out);
    fprintf(out, TABLE_40);
    write_heading_row(out, heads, count);
}

static void div_end(FILE *out)
{
    if (out == nullptr)
        return;
    fputs(DIV_CLOSE, out);
}

const table_writer HTML_WIKITABLE = {wikitable_begin, html_row, wikitable_end};
const table_writer WIKI_MARKUP = {wiki_begin, wiki_row, wiki_end};
const table_writer HTML_DIV_TABLE = {div_begin, html_row, div_end};
