#ifndef TESSIVANE_X86_H
#define TESSIVANE_X86_H

// Asks the processor which extensions of the feature table it announces and writes the report
// line to standard output. Returns 0.
int print_flags();

#endif
