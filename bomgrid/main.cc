#include <cstdio>
#include <cstdlib>

#include "bom_reader.h"
#include "files.h"
#include "line_reader.h"

static const char MSG_BANNER[] = "bomgrid V.02\n";
static const char MSG_USAGE[] = "Usage: - %s inputfile.txt  output.html";
static const char MSG_CANT_OPEN_INPUT[] = "Can't open input file\n";
static const char MSG_CANT_OPEN_OUTPUT[] = "Can't open output file\n";
static const char MSG_OUTPUT_IS_INPUT[] = "Can't open output file: it is the input file\n";
static const char MSG_CANT_READ_INPUT[] = "Can't read input file\n";
static const char MSG_CANT_WRITE_OUTPUT[] = "Can't write output file\n";
static const char MSG_CREATED[] = "\nHTML FIle created: %s\n";

[[noreturn]] static void fail(const char *message)
{
    printf("%s", message);
    exit(1);
}

int main(int argc, char *argv[])
{
    static bom_conversion run;
    printf("%s", MSG_BANNER);
    if (argc < 3) {
        printf(MSG_USAGE, argv[0]);
        exit(1);
    }
    FILE *in = fopen(argv[1], "r");
    // Opening the output truncates it, so an output that is the input would
    // leave nothing to read.
    if (in != nullptr && names_open_file(argv[2], in))
        fail(MSG_OUTPUT_IS_INPUT);
    FILE *out = fopen(argv[2], "w");
    if (in == nullptr)
        fail(MSG_CANT_OPEN_INPUT);
    if (out == nullptr)
        fail(MSG_CANT_OPEN_OUTPUT);
    bom_reader_reset(&run.reader);
    static output_buffer buffer;
    run.outputs[0] = {&HTML_DIV_TABLE, output_attach(&buffer, out)};
    run.count = 1;
    bool read = read_lines(in, LINE_BUFFER_SIZE, bom_convert_line, &run);
    output_flush(&buffer);  // the table so far is in the file, whatever ends the run
    if (!read)
        fail(MSG_CANT_READ_INPUT);
    if (!finish_table(run.outputs[0]))
        fail(MSG_CANT_WRITE_OUTPUT);
    printf(MSG_CREATED, argv[2]);
    (void)fclose(in);  // read to its end: nothing of it can be lost
    return 0;
}
