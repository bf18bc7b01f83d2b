#include "bom_reader.h"
#include "front_end.h"

int main(int argc, char *argv[])
{
    static table_output outputs[3];
    static bom_conversion run;
    bom_reader_reset(&run.reader);
    run.outputs = outputs;
    run.count = 3;
    run.program = "bomtab";
    const front_end program = {
        "bomtab",
        "  bomtab V.03",
        "  Converts text file exported from BOM of Eagle Layout Editor",
        "Usage: - %s --i inputfile.txt  --wiki wikioutput.wiki --html htmloutput.html \n\n",
        bom_convert,
        &run,
        outputs,
    };
    return run_front_end(argc, argv, program);
}
