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

// Notes every line on its way to the real handler.
struct line_recorder {
    line_handler handle;
    void *context;
    texts *lines;
};

static void record_line(void *context, char *line, size_t length, bool ends_line)
{
    auto *recorder = static_cast<line_recorder *>(context);
    FUZZ_CHECK(length == strlen(line));
    recorder->lines->emplace_back(line);
    recorder->handle(recorder->context, line, length, ends_line);
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

// Runs `read` over the input as a file, with an in-memory output per writer.
template <class Read>
static loop_result run_outputs(const std::string &stream, table_output outputs[], const table_writer *const writers[],
                               int count, Read read)
{
    static output_buffer buffers[FUZZ_OUTPUTS];
    loop_result result;
    kept_output files[FUZZ_OUTPUTS];
    for (int i = 0; i < count; i++) {
        files[i] = kept_output_open();
        outputs[i] = {writers[i], output_attach(&buffers[i], files[i].file, nullptr, nullptr)};
    }
    FILE *in = memory_input(stream);
    FUZZ_CHECK(read(in, result));
    (void)fclose(in);
    for (int i = 0; i < count; i++) {
        FUZZ_CHECK(finish_table(outputs[i]));
        result.files[i] = kept_output_bytes(files[i]);
    }
    return result;
}

loop_result run_read_loop(const std::string &stream, int size, line_handler handle, void *context,
                          table_output outputs[], const table_writer *const writers[], int count)
{
    return run_outputs(stream, outputs, writers, count, [&](FILE *in, loop_result &result) {
        line_recorder recorder = {handle, context, &result.lines};
        return read_lines(in, size, record_line, &recorder);
    });
}

loop_result run_conversion(const std::string &stream, bool (*convert)(FILE *, void *), void *context,
                           table_output outputs[], const table_writer *const writers[], int count)
{
    return run_outputs(stream, outputs, writers, count, [&](FILE *in, loop_result &) { return convert(in, context); });
}
