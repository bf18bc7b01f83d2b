#ifndef BOMTABLES_PLAIN_BOM_H
#define BOMTABLES_PLAIN_BOM_H

// What bomtab and bomgrid must make of an export, worked out the plainest
// way from the whole file at once, for the unit tests, the end-to-end tests
// and the fuzz target to compare with.
#include <string>

#include "plain_tables.h"

// The tables of the export, and in `notes` (when given) what the program
// named `program` tells on standard error.
plain_tables plain_bom_tables(const std::string &bytes, std::string *notes = nullptr,
                              const std::string &program = "bomtab");

#endif
