#ifndef TESSIVANE_TESTS_ANNOUNCEMENTS_H
#define TESSIVANE_TESTS_ANNOUNCEMENTS_H

#include "fake_cpu.h"

#include <cstdint>
#include <string>
#include <vector>

// Which CPUID bit announces each name, written down from the processor manuals, independently of
// the program's table, in the order the report prints them.
struct Announcement {
    const char *name;
    uint32_t leaf;
    uint32_t subleaf;
    Reg reg;
    int bit;
};

// clang-format off
inline constexpr Announcement manual[] = {
    {"3dnow",               0x80000001, 0, EDX, 31},
    {"3dnowext",            0x80000001, 0, EDX, 30},
    {"aes",                 1,          0, ECX, 25},
    {"amx_bf16",            7,          0, EDX, 22},
    {"amx_int8",            7,          0, EDX, 25},
    {"amx_tile",            7,          0, EDX, 24},
    {"avx",                 1,          0, ECX, 28},
    {"avx2",                7,          0, EBX, 5 },
    {"avx512_4fmaps",       7,          0, EDX, 3 },
    {"avx512_4vnniw",       7,          0, EDX, 2 },
    {"avx512_bf16",         7,          1, EAX, 5 },
    {"avx512_bitalg",       7,          0, ECX, 12},
    {"avx512_fp16",         7,          0, EDX, 23},
    {"avx512_vbmi2",        7,          0, ECX, 6 },
    {"avx512_vnni",         7,          0, ECX, 11},
    {"avx512_vp2intersect", 7,          0, EDX, 8 },
    {"avx512_vpopcntdq",    7,          0, ECX, 14},
    {"avx512bw",            7,          0, EBX, 30},
    {"avx512cd",            7,          0, EBX, 28},
    {"avx512dq",            7,          0, EBX, 17},
    {"avx512er",            7,          0, EBX, 27},
    {"avx512f",             7,          0, EBX, 16},
    {"avx512ifma",          7,          0, EBX, 21},
    {"avx512pf",            7,          0, EBX, 26},
    {"avx512vbmi",          7,          0, ECX, 1 },
    {"avx512vl",            7,          0, EBX, 31},
    {"avx_vnni",            7,          1, EAX, 4 },
    {"bmi1",                7,          0, EBX, 3 },
    {"bmi2",                7,          0, EBX, 8 },
    {"f16c",                1,          0, ECX, 29},
    {"fma3",                1,          0, ECX, 12},
    {"fma4",                0x80000001, 0, ECX, 16},
    {"mmx",                 1,          0, EDX, 23},
    {"mmxext",              0x80000001, 0, EDX, 22},
    {"mmxext",              1,          0, EDX, 25},
    {"padlock",             0xC0000001, 0, EDX, 10},
    {"pclmul",              1,          0, ECX, 1 },
    {"popcnt",              0x80000001, 0, ECX, 5 },
    {"popcnt",              1,          0, ECX, 23},
    {"rdrand",              1,          0, ECX, 30},
    {"sha",                 7,          0, EBX, 29},
    {"sse",                 1,          0, EDX, 25},
    {"sse2",                1,          0, EDX, 26},
    {"sse3",                1,          0, ECX, 0 },
    {"sse4_1",              1,          0, ECX, 19},
    {"sse4_2",              1,          0, ECX, 20},
    {"sse4a",               0x80000001, 0, ECX, 6 },
    {"ssse3",               1,          0, ECX, 9 },
    {"vpclmulqdq",          7,          0, ECX, 10},
    {"xop",                 0x80000001, 0, ECX, 11},
};
// clang-format on

// The line for a list of names, each after one space.
inline std::string line(const std::vector<std::string> &names) {
    std::string text = "CPU_FLAGS_X86:";
    for (const std::string &name : names)
        text += " " + name;
    return text + "\n";
}

// Every name of the manual once, in order, that one of the given announcements selects.
template <typename Selected> std::vector<std::string> names_where(Selected selected) {
    std::vector<std::string> names;
    for (const Announcement &row : manual)
        if (selected(row) && (names.empty() || names.back() != row.name))
            names.push_back(row.name);
    return names;
}

#endif
