#ifndef TESSIVANE_TESTS_FAKE_CPU_H
#define TESSIVANE_TESTS_FAKE_CPU_H

// A fake processor for the report code: a table of CPUID answers keyed by (leaf, subleaf), one
// chosen answer for every leaf not in the table (junk, as real processors give beyond the top of
// a range), and the list of queries executed.

#include "x86_internal.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

using Regs = std::array<uint32_t, 4>;
using Query = std::pair<uint32_t, uint32_t>; // (leaf, subleaf)

enum Reg { EAX = 0, EBX = 1, ECX = 2, EDX = 3 };

constexpr uint32_t STD_BASE = 0x00000000;
constexpr uint32_t EXT_BASE = 0x80000000;
constexpr uint32_t CENTAUR_BASE = 0xC0000000;

struct FakeCpu {
    std::map<Query, Regs> answers;
    Regs beyond{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    std::vector<Query> executed;

    // The three range bases answer with these highest leaves.
    FakeCpu(uint32_t std_top, uint32_t ext_top, uint32_t centaur_top);

    // Answer (leaf, subleaf) with regs.
    FakeCpu &set(uint32_t leaf, uint32_t subleaf, Regs regs);
    // Set one more bit in the answer for (leaf, subleaf), starting from all clear.
    FakeCpu &bit(uint32_t leaf, uint32_t subleaf, Reg reg, int bit);
};

// All three ranges reach the five leaves of the report, which answer all clear.
FakeCpu all_clear();

// The report line that print_flags writes for cpu; cpu.executed gets the queries it made.
std::string report(FakeCpu &cpu);

// The report line that print_flags writes for the processor behind cpuid.
std::string report_line(cpuid_fn *cpuid);

// Execute CPUID on cpu, through the same routine the report uses.
extern FakeCpu *active_cpu;
void fake_cpuid(uint32_t leaf, uint32_t subleaf, uint32_t regs[4]);

#endif
