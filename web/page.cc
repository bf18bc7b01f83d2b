// The page's converter: the file its script (the host) hands over, converted
// as bomtab and bomgrid (a BOM export) or rowcast (a CSV file) would,
// into every table at once. The host keeps every table's bytes as they are
// written.
#include "bom_reader.h"
#include "csv_split.h"
#include <cstring>

#include "line_reader.h"

#define FROM_HOST(name) __attribute__((import_module("host"), import_name(name)))
#define FOR_HOST(name) extern "C" __attribute__((export_name(name)))

// Bytes written to output number `output` (see page_output).
FROM_HOST("write") void host_write(int output, const char *bytes, size_t n);

// The tables, as the host numbers them: bomtab's or rowcast's HTML, wiki and
// Markdown text, and bomgrid's division table.
enum page_output { PAGE_HTML, PAGE_WIKI, PAGE_MD, PAGE_DIV_HTML, PAGE_OUTPUTS };
enum page_kind { PAGE_BOM_EXPORT, PAGE_CSV };

// Each output's stream carries its number to the host.
static ssize_t write_to_host(void *output, const char *bytes, size_t n)
{
    host_write(*static_cast<const int *>(output), bytes, n);
    return static_cast<ssize_t>(n);
}

static output_buffer *host_output(page_output output)
{
    static output_buffer buffers[PAGE_OUTPUTS];
    static int numbers[PAGE_OUTPUTS] = {PAGE_HTML, PAGE_WIKI, PAGE_MD, PAGE_DIV_HTML};
    cookie_io_functions_t to_host = {nullptr, write_to_host, nullptr, nullptr};
    FILE *file = fopencookie(&numbers[output], "w", to_host);
    // No message: a table that cannot be kept is reported when it is closed.
    return output_attach(&buffers[output], file, nullptr, nullptr);
}

// The page's tables have no message to end a run with, so a failed write
// stays in the stream for finish_table to report, and this is never reached.
void fail_keeping_outputs(output_buffer *, const output_buffer *, const char *, const char *)
{
    __builtin_trap();
}

// Returns 1, or 0 when no header line (no line at all, for a CSV file) was
// found and the tables hold only their ends; -1 when a read failed, -2 when
// a table could not be kept.
FOR_HOST("convert") int convert(int kind)
{
    static table_output outputs[PAGE_OUTPUTS];
    outputs[PAGE_HTML] = {&HTML_WIKITABLE, host_output(PAGE_HTML)};
    outputs[PAGE_WIKI] = {&WIKI_MARKUP, host_output(PAGE_WIKI)};
    outputs[PAGE_MD] = {&MARKDOWN_TABLE, host_output(PAGE_MD)};
    int count = CSV_OUTPUTS;
    bool read, found;
    if (kind == PAGE_BOM_EXPORT) {
        outputs[PAGE_DIV_HTML] = {&HTML_DIV_TABLE, host_output(PAGE_DIV_HTML)};
        count = PAGE_OUTPUTS;
        static bom_conversion bom;
        bom_reader_reset(&bom.reader);
        bom.outputs = outputs;
        bom.count = count;
        bom.program = "bomtab";
        read = bom_convert(nullptr, &bom);
        found = bom.reader.reading;
    } else {
        static csv_conversion csv;
        memset(&csv, 0, sizeof csv);
        csv.outputs = outputs;
        read = csv_convert(nullptr, &csv);
        found = csv.heading_done;
    }
    bool kept = true;
    for (int i = 0; i < count; i++)
        kept = outputs[i].out != nullptr && finish_table(outputs[i]) && kept;
    if (!read)
        return -1;
    if (!kept)
        return -2;
    return found ? 1 : 0;
}
