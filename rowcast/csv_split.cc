#include "csv_split.h"

size_t strip_quotes(char *cell)
{
    char *to = cell;
    for (const char *from = cell; *from != '\0'; from++) {
        if (*from != '"')
            *to++ = *from;
    }
    *to = '\0';
    return static_cast<size_t>(to - cell);
}

int split_heading(char *line, cell cells[CSV_MAX_CELLS])
{
    int count = 0;
    char *p = line;
    while (*p != '\0') {
        if (*p == ',') {
            p++;
            continue;
        }
        char *text = p;
        while (*p != '\0' && *p != ',')
            p++;
        if (*p == ',')
            *p++ = '\0';
        cells[count++] = {text, strip_quotes(text)};
    }
    return count;
}

data_row split_data(const char *line, cell cells[CSV_MAX_CELLS])
{
    data_row row = {0, false};
    bool in_field = false;  // the last quote opened a field
    const char *p = line;
    for (;;) {
        while (*p == '"') {
            in_field = !in_field;
            // An opening quote right before its closing one: an empty field.
            if (in_field && p[1] == '"')
                cells[row.count++] = {"", 0};
            p++;
        }
        if (*p == '\0')
            return row;
        const char *token = p;
        while (*p != '"' && *p != '\0')
            p++;
        if (*token != ',') {
            cells[row.count++] = {token, static_cast<size_t>(p - token)};
            row.trailer = *p == '\0';
        }
    }
}

// The first line read is the heading row; every later one a data row, whose
// trailer (normally the newline) is no cell of the table.
void csv_convert_line(void *context, char *line, size_t, const table_output outputs[], int)
{
    auto *state = static_cast<csv_reader *>(context);
    const table_output &html = outputs[0];
    const table_output &wiki = outputs[1];
    if (!state->heading_done) {
        state->heading_done = true;
        int count = split_heading(line, state->cells);
        html.writer->begin(html.out, state->cells, count);
        wiki.writer->begin(wiki.out, state->cells, count);
        return;
    }
    data_row row = split_data(line, state->cells);
    int shown = row.trailer ? row.count - 1 : row.count;
    html.writer->row(html.out, state->cells, shown);
    // A lone cell still reaches the wiki row, even when it is the trailer.
    wiki.writer->row(wiki.out, state->cells, shown > 0 ? shown : row.count);
}
