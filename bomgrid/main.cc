#include <cstdio>
#include <cstdlib>

#include "bom_reader.h"
#include "line_reader.h"
#include "platform.h"

static const char MSG_BANNER[] = "bomgrid V.02\n";
static const char MSG_USAGE[] = "Usage: - %s inputfile.txt  output.html";
static const char MSG_CANT_OPEN_INPUT[] = "Can't open input file\n";
static const char MSG_CANT_OPEN_OUTPUT[] = "Can't open output file\n";
static const char MSG_OUTPUT_IS_INPUT[] = "Can't open output file: it is the input file\n";
static const char MSG_OUTPUT_IS_STDOUT[] = "Can't open output file: it is the standard output\n";
static const char MSG_CANT_READ_INPUT[] = "Can't read input file\n";
static const char MSG_CANT_WRITE_OUTPUT[] = "Can't write output file\n";
static const char MSG_CREATED[] = "\nHTML FIle created: %s\n";

int main(int argc, char *argv[])
{
    prepare_standard_streams();
    printf("%s", MSG_BANNER);
    if (argc < 3) {
        printf(MSG_USAGE, argv[0]);
        exit(1);
    }
    // Opening the output truncates it, and the console text goes to standard
    // output: an output that is either would lose it. Both are looked at
    // before either file is opened.
    if (same_regular_file(argv[1], argv[2]))
        fail(MSG_OUTPUT_IS_INPUT);
    if (names_standard_output(argv[2]))
        fail(MSG_OUTPUT_IS_STDOUT);
    FILE *in = fopen(argv[1], "r");
    FILE *out = fopen(argv[2], "w");
    if (in == nullptr)
        fail(MSG_CANT_OPEN_INPUT);
    if (out == nullptr)
        fail(MSG_CANT_OPEN_OUTPUT);
    static output_buffer buffer;
    const table_output output = {&HTML_DIV_TABLE, output_attach(&buffer, out, MSG_CANT_WRITE_OUTPUT, argv[2])};
    static bom_conversion run;
    bom_reader_reset(&run.reader);
    run.outputs = &output;
    run.count = 1;
    run.program = "bomgrid";
    if (!bom_convert(in, &run))
        fail_keeping_outputs(output.out, nullptr, MSG_CANT_READ_INPUT, argv[1]);
    finish_table(output);
    printf(MSG_CREATED, argv[2]);
    (void)fclose(in);  // read to its end: nothing of it can be lost
    finish_standard_output("bomgrid");
    return 0;
}
