#include "fuzz_io.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

void fuzz_finding(const char *file, int line, const char *condition)
{
    (void)fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    abort();
}

std::string fuzz_stream(const uint8_t *data, size_t size)
{
    std::string one(reinterpret_cast<const char *>(data), size);
    if (size == 0 || (data[0] & 0x80) == 0)
        return one;
    std::string stream;
    while (stream.size() <= static_cast<size_t>(MAX_READ_SIZE))
        stream += one;
    return stream;
}

texts fgets_lines(const std::string &stream, int size)
{
    texts lines;
    if (stream.empty())
        return lines;
    FILE *in = fmemopen(const_cast<char *>(stream.data()), stream.size(), "r");
    FUZZ_CHECK(in != nullptr);
    std::vector<char> buffer(static_cast<size_t>(size));
    while (fgets(buffer.data(), size, in) != nullptr)
        lines.emplace_back(buffer.data());
    (void)fclose(in);
    return lines;
}

// Notes every line on its way to the real handler.
struct line_recorder {
    line_handler handle;
    void *context;
    texts *lines;
};

static void record_line(void *context, char *line, size_t length, const table_output outputs[], int count)
{
    auto *recorder = static_cast<line_recorder *>(context);
    FUZZ_CHECK(length == strlen(line));
    recorder->lines->emplace_back(line);
    recorder->handle(recorder->context, line, length, outputs, count);
}

// The input as a file with a descriptor of its own, as the read loop needs.
static FILE *memory_input(const std::string &stream)
{
    int fd = memfd_create("fuzz-input", 0);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(write(fd, stream.data(), stream.size()) == static_cast<ssize_t>(stream.size()));
    FUZZ_CHECK(lseek(fd, 0, SEEK_SET) == 0);
    FILE *in = fdopen(fd, "r");
    FUZZ_CHECK(in != nullptr);
    return in;
}

// An output file in memory. Its stream is made unbuffered, which a memory
// stream cannot be, so it is a real file; `kept` reads it back once the
// stream is closed.
struct kept_output {
    FILE *file;
    int kept;
};

static kept_output kept_output_open()
{
    int fd = memfd_create("fuzz-output", 0);
    FUZZ_CHECK(fd >= 0);
    kept_output output = {fdopen(fd, "w"), dup(fd)};
    FUZZ_CHECK(output.file != nullptr && output.kept >= 0);
    return output;
}

static std::string kept_output_bytes(const kept_output &output)
{
    std::string bytes;
    char piece[65536];
    ssize_t got;
    FUZZ_CHECK(lseek(output.kept, 0, SEEK_SET) == 0);
    while ((got = read(output.kept, piece, sizeof piece)) > 0)
        bytes.append(piece, static_cast<size_t>(got));
    FUZZ_CHECK(got == 0);
    close(output.kept);
    return bytes;
}

loop_result run_read_loop(const std::string &stream, int size, line_handler handle, void *context,
                          const table_writer *const writers[], int count)
{
    static output_buffer buffers[2];
    loop_result result;
    kept_output files[2];
    table_output outputs[2];
    for (int i = 0; i < count; i++) {
        files[i] = kept_output_open();
        outputs[i] = {writers[i], output_attach(&buffers[i], files[i].file)};
    }
    FILE *in = memory_input(stream);
    line_recorder recorder = {handle, context, &result.lines};
    FUZZ_CHECK(convert_lines(in, size, record_line, &recorder, outputs, count));
    (void)fclose(in);
    for (int i = 0; i < count; i++) {
        FUZZ_CHECK(finish_output(outputs[i]));
        result.files[i] = kept_output_bytes(files[i]);
    }
    return result;
}

std::string text_of(const cell &c)
{
    return std::string(c.text, c.length);
}

bool cell_within(const cell &c, const char *line, size_t length)
{
    if (c.length == 0)
        return true;
    return c.text >= line && c.text + c.length <= line + length && memchr(c.text, '\0', c.length) == nullptr;
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
    std::string marks = "!" + joined(heads, "!!");
    wiki += "== Partlist ==\n\n{| border='1' class='wikitable'\n" + marks;
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
