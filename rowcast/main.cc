#include "csv_split.h"
#include "front_end.h"

int main(int argc, char *argv[])
{
    static table_output outputs[3];
    static csv_conversion run;
    run.outputs = outputs;
    const front_end program = {
        "rowcast",
        "  rowcast V.01",
        "  Converts CSV file to Wiki/HTML format",
        "Usage: - %s --i inputfile.csv  --wiki wikioutput.wiki --html htmloutput.html \n\n",
        csv_convert,
        &run,
        outputs,
    };
    return run_front_end(argc, argv, program);
}
