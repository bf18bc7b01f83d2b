#ifndef BOMTABLES_NOTE_H
#define BOMTABLES_NOTE_H

// Tells the user, in one line prefixed with the program's name, something
// about how the input was read: it never changes the tables, the console
// text or the exit status.
__attribute__((format(printf, 2, 3))) void note(const char *program, const char *fmt, ...);

#endif
