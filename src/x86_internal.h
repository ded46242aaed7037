#ifndef TESSIVANE_X86_INTERNAL_H
#define TESSIVANE_X86_INTERNAL_H

// The feature report's own routines, declared for x86.cpp and its tests only.

#include <stdint.h>
#include <stdio.h>

// Which register of which CPUID query a table row tests.
enum check_type : uint32_t {
    CHECK_SENTINEL = 0,       // the terminator row; never tested
    CHECK_LEAF1_ECX = 1,      // leaf 1, ECX
    CHECK_LEAF1_EDX = 2,      // leaf 1, EDX
    CHECK_LEAF7_EBX = 3,      // leaf 7 subleaf 0, EBX
    CHECK_LEAF7_ECX = 4,      // leaf 7 subleaf 0, ECX
    CHECK_LEAF7_EDX = 5,      // leaf 7 subleaf 0, EDX
    CHECK_LEAF7_SUB1_EAX = 6, // leaf 7 subleaf 1, EAX
    CHECK_EXT1_ECX = 7,       // leaf 0x80000001, ECX
    CHECK_EXT1_EDX = 8,       // leaf 0x80000001, EDX
    CHECK_CENTAUR1_EDX = 9,   // leaf 0xC0000001, EDX
    CHECK_MAX = 10,           // upper bound; no row has it
};

// One row of the feature table: the name is printed when every bit of mask is set in the
// register that type selects.
struct flag_info {
    const char *name;
    check_type type;
    uint32_t mask;
};

// The feature table, sorted by name, ended by a row whose name is null.
extern const flag_info flags[];

// Every CPUID execution goes through a routine of this type: EAX = leaf and ECX = subleaf in,
// EAX, EBX, ECX and EDX out, in that order. The shipped program has exactly one, execute_cpuid,
// which runs the instruction and keeps no state. The report and the range checks take it as an
// argument, so that tests can hand the same code a fake processor (any register values, junk
// beyond the top of a range included) and record which queries ran; print_flags() passes the
// real one.
typedef void cpuid_fn(uint32_t leaf, uint32_t subleaf, uint32_t regs[4]);

void execute_cpuid(uint32_t leaf, uint32_t subleaf, uint32_t regs[4]);

#if defined(__i386__)
// Some 486s have no CPUID, and executing it there kills the process: 32-bit builds first check
// that the instruction exists, and where it does not, report through no_cpuid, which answers
// every query, range tops included, with zeros, so that every leaf lies beyond its range.
int has_cpuid();
void no_cpuid(uint32_t leaf, uint32_t subleaf, uint32_t regs[4]);
#endif

// Read a leaf only when its range reaches it: 1 and the registers stored into each non-null
// location, or 0 with every location left as it was. run_cpuid is for leaves without subleaves
// and clears ECX for them.
int run_cpuid(cpuid_fn *cpuid, uint32_t leaf, uint32_t *eax, uint32_t *ebx, uint32_t *ecx,
              uint32_t *edx);
int run_cpuid_count(cpuid_fn *cpuid, uint32_t leaf, uint32_t subleaf, uint32_t *eax, uint32_t *ebx,
                    uint32_t *ecx, uint32_t *edx);

// The report line of the processor behind cpuid, written to out. Returns 0.
int print_flags(FILE *out, cpuid_fn *cpuid);

#endif
