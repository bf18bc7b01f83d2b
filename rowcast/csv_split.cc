#include "csv_split.h"

void strip_quotes(char *cell)
{
    char *to = cell;
    for (const char *from = cell; *from != '\0'; from++) {
        if (*from != '"')
            *to++ = *from;
    }
    *to = '\0';
}

int split_heading(char *line, const char *cells[CSV_MAX_CELLS])
{
    int count = 0;
    char *p = line;
    while (*p != '\0') {
        if (*p == ',') {
            p++;
            continue;
        }
        char *cell = p;
        while (*p != '\0' && *p != ',')
            p++;
        if (*p == ',')
            *p++ = '\0';
        strip_quotes(cell);
        cells[count++] = cell;
    }
    return count;
}

data_row split_data(char *line, const char *cells[CSV_MAX_CELLS])
{
    static const char EMPTY[] = "";
    data_row row = {0, false};
    bool in_field = false;  // the last quote opened a field
    char *p = line;
    while (*p != '\0') {
        if (*p == '"') {
            in_field = !in_field;
            // An opening quote right before its closing one: an empty field.
            if (in_field && p[1] == '"')
                cells[row.count++] = EMPTY;
            *p++ = '\0';
            continue;
        }
        char *token = p;
        while (*p != '\0' && *p != '"')
            p++;
        if (token[0] != ',') {
            cells[row.count++] = token;
            row.trailer = *p == '\0';
        }
    }
    return row;
}
