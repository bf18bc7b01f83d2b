#ifndef BOMTABLES_FRONT_END_H
#define BOMTABLES_FRONT_END_H

#include <cstdio>

#include "table_writer.h"

// What sets one program of the --i/--html/--wiki/--md family apart from another.
struct front_end {
    const char *name;         // for the one message that goes to standard error
    const char *title;        // second banner line
    const char *description;  // fourth banner line
    const char *usage;        // printf format; %s is the invocation name
    // Reads the input to its end and writes its tables; false when a read
    // failed. The context is its state.
    bool (*convert)(FILE *in, void *context);
    void *context;
    // The handler's three outputs: the run attaches the HTML output (or
    // none) as the first, the wiki output as the second and the Markdown
    // output as the third.
    table_output *outputs;
};

// The whole run: banner, options, files, read loop, closing lines. Returns 0
// after a complete run; every failure ends the process with status 1.
int run_front_end(int argc, char *argv[], const front_end &program);

#endif
