// An input that fails to be read after its first piece ends the run with
// its message, and what the tables gathered from that piece stays in their
// files, without their ends.
#include "e2e.h"

TEST(ReadFailure, KeepsWhatTheTablesGathered)
{
    struct failing_run {
        std::string program, input;
        std::vector<std::string> args;
        std::string console;
        std::vector<std::string> outputs, ends;
    };
    const std::string bomtab =
        front_end_banner("  bomtab V.03", "  Converts text file exported from BOM of Eagle Layout Editor");
    const std::string rowcast = front_end_banner("  rowcast V.01", "  Converts CSV file to Wiki/HTML format");
    const failing_run runs[] = {
        {BOMTAB_READ_FAILS,
         "board.txt",
         {"--i", "board.txt", "--html", "board.html", "--wiki", "board.wiki"},
         bomtab + "Can't read input file board.txt\n",
         {"board.html", "board.wiki"},
         {"</table>\n\n", "|}\n\n"}},
        {ROWCAST_READ_FAILS,
         "parts.csv",
         {"--i", "parts.csv", "--wiki", "parts.wiki", "--html", "parts.html"},
         rowcast + "Can't read input file parts.csv\n",
         {"parts.html", "parts.wiki"},
         {"</table>\n\n", "|}\n\n"}},
        {BOMGRID_READ_FAILS,
         "board.txt",
         {"board.txt", "board-grid.html"},
         "bomgrid V.02\nCan't read input file\n",
         {"board-grid.html"},
         {"</table>\n</div>\n"}},
    };
    for (const failing_run &r : runs) {
        SCOPED_TRACE(r.program);
        temp_dir dir;
        write_file(dir / r.input, read_raw(EXAMPLES + "/" + r.input));
        run_result result = run_program(r.program, r.args, dir.path());
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(same_bytes(r.console, result.out));
        for (size_t i = 0; i < r.outputs.size(); i++) {
            std::string whole = read_file(EXAMPLES + "/" + r.outputs[i]);
            ASSERT_GT(whole.size(), r.ends[i].size());
            EXPECT_TRUE(same_bytes(whole.substr(0, whole.size() - r.ends[i].size()), read_file(dir / r.outputs[i])));
        }
    }
}
