#include "csv_split.h"
#include "front_end.h"

struct csv_state {
    bool heading_done;
    cell cells[CSV_MAX_CELLS];
};

// The first line read is the heading row; every later one a data row, whose
// trailer (normally the newline) is no cell of the table.
static void convert_csv_line(void *context, char *line, const table_output outputs[], int)
{
    auto *state = static_cast<csv_state *>(context);
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

int main(int argc, char *argv[])
{
    static csv_state state;
    const front_end program = {
        "  rowcast V.01",
        "  Converts CSV file to Wiki/HTML format",
        "Usage: - %s --i inputfile.csv  --wiki wikioutput.wiki --html htmloutput.html \n\n",
        CSV_LINE_SIZE,
        convert_csv_line,
        &state,
    };
    return run_front_end(argc, argv, program);
}
