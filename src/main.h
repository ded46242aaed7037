#ifndef TESSIVANE_MAIN_H
#define TESSIVANE_MAIN_H

// The whole command line: main hands it argc and argv and returns its result as the exit status.
int tessivane_main(int argc, char *argv[]);

#endif
