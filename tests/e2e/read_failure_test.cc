// An input that fails to be read after its first piece ends the run with
// its message, and what the tables gathered from that piece stays in their
// files, without their ends.
#include "e2e.h"
#include "messages.h"

TEST(ReadFailure, KeepsWhatTheTablesGathered)
{
    struct failing_run {
        std::string program, input;
        std::vector<std::string> args;
        std::string console;
        std::vector<std::string> outputs, ends;
    };
    const failing_run runs[] = {
        {BOMTAB_READ_FAILS,
         "board.txt",
         {"--i", "board.txt", "--html", "board.html", "--wiki", "board.wiki"},
         message(BOMTAB, msg::banner) + message(BOMTAB, msg::cant_read, "board.txt"),
         {"board.html", "board.wiki"},
         {"</table>\n\n", "|}\n\n"}},
        {ROWCAST_READ_FAILS,
         "parts.csv",
         {"--i", "parts.csv", "--wiki", "parts.wiki", "--html", "parts.html"},
         message(ROWCAST, msg::banner) + message(ROWCAST, msg::cant_read, "parts.csv"),
         // rowcast reads the start of a file before it writes a row, to find its heading.
         {"parts.html", "parts.wiki"},
         {"", ""}},
        {BOMGRID_READ_FAILS,
         "board.txt",
         {"board.txt", "board-grid.html"},
         message(BOMGRID, msg::banner) + message(BOMGRID, msg::cant_read),
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
            std::string whole = r.ends[i].empty() ? "" : read_file(EXAMPLES + "/" + r.outputs[i]);
            ASSERT_GE(whole.size(), r.ends[i].size());
            EXPECT_TRUE(same_bytes(whole.substr(0, whole.size() - r.ends[i].size()), read_file(dir / r.outputs[i])));
        }
    }
}
