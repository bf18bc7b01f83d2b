// rowcast's reader on any bytes, into its tables (HTML, wiki and Markdown), compared
// with tables worked out plainly from the whole file.
#include <cstring>

#include "csv_split.h"
#include "fuzz_io.h"
#include "plain_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string stream = fuzz_stream(data, size);
    const plain_tables want = plain_csv_tables(stream);

    static const table_writer *const ROWCAST[] = {&HTML_WIKITABLE, &WIKI_MARKUP, &MARKDOWN_TABLE};
    static table_output outputs[CSV_OUTPUTS];
    static csv_conversion conversion;
    // Twice: nothing of one run may leak into the next.
    for (int pass = 0; pass < 2; pass++) {
        memset(&conversion, 0, sizeof conversion);
        conversion.outputs = outputs;
        loop_result rowcast = run_conversion(stream, csv_convert, &conversion, outputs, ROWCAST, CSV_OUTPUTS);
        FUZZ_CHECK(rowcast.files[0] == want.wikitable);
        FUZZ_CHECK(rowcast.files[1] == want.wiki);
        FUZZ_CHECK(rowcast.files[2] == want.md);
    }
    return 0;
}
