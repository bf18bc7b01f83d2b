#include "platform.h"

#include "bom_reader.h"
#include "csv_split.h"
#include "line_reader.h"

// The converters in a web page, as WebAssembly: the page's script (the host)
// hands over the chosen file piece by piece and keeps every table's bytes as
// they are written. There are no file names, standard streams or signals, so
// nothing can be the same file as another and no console text is written.

#define FROM_HOST(name) __attribute__((import_module("host"), import_name(name)))
#define FOR_HOST(name) extern "C" __attribute__((export_name(name)))

// The next bytes of the file, at most `n`: how many, 0 at its end, -1 when
// the file could not be read.
FROM_HOST("read") long host_read(char *into, size_t n);
// Bytes written to output number `output` (see page_output).
FROM_HOST("write") void host_write(int output, const char *bytes, size_t n);

void prepare_standard_streams() {}

bool console_text_lost()
{
    return false;
}

long read_input(FILE *, char *into, size_t n)
{
    return host_read(into, n);
}

bool same_regular_file(const char *, const char *)
{
    return false;
}

bool names_standard_output(const char *)
{
    return false;
}

bool names_open_file(const char *, FILE *)
{
    return false;
}

// The tables, as the host numbers them: bomtab's or rowcast's HTML and wiki
// text, and bomgrid's division table.
enum page_output { PAGE_HTML, PAGE_WIKI, PAGE_DIV_HTML, PAGE_OUTPUTS };
enum page_kind { PAGE_BOM_EXPORT, PAGE_QUOTED_CSV };

// Each output's stream carries its number to the host.
static ssize_t write_to_host(void *output, const char *bytes, size_t n)
{
    host_write(*static_cast<const int *>(output), bytes, n);
    return static_cast<ssize_t>(n);
}

static output_buffer *host_output(page_output output)
{
    static output_buffer buffers[PAGE_OUTPUTS];
    static int numbers[PAGE_OUTPUTS] = {PAGE_HTML, PAGE_WIKI, PAGE_DIV_HTML};
    cookie_io_functions_t to_host = {nullptr, write_to_host, nullptr, nullptr};
    FILE *file = fopencookie(&numbers[output], "w", to_host);
    return output_attach(&buffers[output], file, nullptr);
}

// Converts the file the host hands over, as bomtab and bomgrid (a BOM export)
// or rowcast (a quoted CSV file) would, into every table at once. Returns 1,
// or 0 when no header line (no line at all, for a CSV file) was found and the
// tables hold only their ends; -1 when a read failed, -2 when a table could
// not be kept.
FOR_HOST("convert") int convert(int kind)
{
    static bom_conversion bom;
    static csv_conversion csv;
    table_output *outputs = nullptr;
    int count = 0;
    bool read = false;
    if (kind == PAGE_BOM_EXPORT) {
        bom_reader_reset(&bom.reader);
        bom.outputs[PAGE_HTML] = {&HTML_WIKITABLE, host_output(PAGE_HTML)};
        bom.outputs[PAGE_WIKI] = {&WIKI_MARKUP, host_output(PAGE_WIKI)};
        bom.outputs[PAGE_DIV_HTML] = {&HTML_DIV_TABLE, host_output(PAGE_DIV_HTML)};
        bom.count = count = 3;
        outputs = bom.outputs;
        read = read_lines(nullptr, LINE_BUFFER_SIZE, bom_convert_line, &bom);
    } else {
        csv.heading_done = false;
        csv.outputs[PAGE_HTML] = {&HTML_WIKITABLE, host_output(PAGE_HTML)};
        csv.outputs[PAGE_WIKI] = {&WIKI_MARKUP, host_output(PAGE_WIKI)};
        count = 2;
        outputs = csv.outputs;
        read = read_lines(nullptr, CSV_LINE_SIZE, csv_convert_line, &csv);
    }
    bool kept = true;
    for (int i = 0; i < count; i++)
        kept = outputs[i].out != nullptr && finish_table(outputs[i]) && kept;
    if (!read)
        return -1;
    if (!kept)
        return -2;
    return (kind == PAGE_BOM_EXPORT ? bom.reader.reading : csv.heading_done) ? 1 : 0;
}
