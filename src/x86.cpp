#include "x86.h"
#include "x86_internal.h"

#include <assert.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#if !defined(__x86_64__) && !defined(__i386__)
#error "tessivane asks the x86 CPUID instruction: it builds only for x86 and x86-64"
#endif

#ifdef NDEBUG
#error "the feature table's assertions must stay active: do not define NDEBUG"
#endif

// Sorted by name in strcmp order, which is the order of the report. A name announced by two
// bits has two adjacent rows.
// clang-format off
constexpr flag_info flags[] = {
    {"3dnow",               CHECK_EXT1_EDX,       0x80000000}, // bit 31
    {"3dnowext",            CHECK_EXT1_EDX,       0x40000000}, // bit 30
    {"aes",                 CHECK_LEAF1_ECX,      0x02000000}, // bit 25
    {"amx_bf16",            CHECK_LEAF7_EDX,      0x00400000}, // bit 22
    {"amx_int8",            CHECK_LEAF7_EDX,      0x02000000}, // bit 25
    {"amx_tile",            CHECK_LEAF7_EDX,      0x01000000}, // bit 24
    {"avx",                 CHECK_LEAF1_ECX,      0x10000000}, // bit 28
    {"avx2",                CHECK_LEAF7_EBX,      0x00000020}, // bit 5
    {"avx512_4fmaps",       CHECK_LEAF7_EDX,      0x00000008}, // bit 3
    {"avx512_4vnniw",       CHECK_LEAF7_EDX,      0x00000004}, // bit 2
    {"avx512_bf16",         CHECK_LEAF7_SUB1_EAX, 0x00000020}, // bit 5
    {"avx512_bitalg",       CHECK_LEAF7_ECX,      0x00001000}, // bit 12
    {"avx512_fp16",         CHECK_LEAF7_EDX,      0x00800000}, // bit 23
    {"avx512_vbmi2",        CHECK_LEAF7_ECX,      0x00000040}, // bit 6
    {"avx512_vnni",         CHECK_LEAF7_ECX,      0x00000800}, // bit 11
    {"avx512_vp2intersect", CHECK_LEAF7_EDX,      0x00000100}, // bit 8
    {"avx512_vpopcntdq",    CHECK_LEAF7_ECX,      0x00004000}, // bit 14
    {"avx512bw",            CHECK_LEAF7_EBX,      0x40000000}, // bit 30
    {"avx512cd",            CHECK_LEAF7_EBX,      0x10000000}, // bit 28
    {"avx512dq",            CHECK_LEAF7_EBX,      0x00020000}, // bit 17
    {"avx512er",            CHECK_LEAF7_EBX,      0x08000000}, // bit 27
    {"avx512f",             CHECK_LEAF7_EBX,      0x00010000}, // bit 16
    {"avx512ifma",          CHECK_LEAF7_EBX,      0x00200000}, // bit 21
    {"avx512pf",            CHECK_LEAF7_EBX,      0x04000000}, // bit 26
    {"avx512vbmi",          CHECK_LEAF7_ECX,      0x00000002}, // bit 1
    {"avx512vl",            CHECK_LEAF7_EBX,      0x80000000}, // bit 31
    {"avx_vnni",            CHECK_LEAF7_SUB1_EAX, 0x00000010}, // bit 4
    {"bmi1",                CHECK_LEAF7_EBX,      0x00000008}, // bit 3
    {"bmi2",                CHECK_LEAF7_EBX,      0x00000100}, // bit 8
    {"f16c",                CHECK_LEAF1_ECX,      0x20000000}, // bit 29
    {"fma3",                CHECK_LEAF1_ECX,      0x00001000}, // bit 12
    {"fma4",                CHECK_EXT1_ECX,       0x00010000}, // bit 16
    {"mmx",                 CHECK_LEAF1_EDX,      0x00800000}, // bit 23
    {"mmxext",              CHECK_EXT1_EDX,       0x00400000}, // bit 22, AMD's MMX extensions
    {"mmxext",              CHECK_LEAF1_EDX,      0x02000000}, // bit 25, SSE brings them too
    {"padlock",             CHECK_CENTAUR1_EDX,   0x00000400}, // bit 10
    {"pclmul",              CHECK_LEAF1_ECX,      0x00000002}, // bit 1
    {"popcnt",              CHECK_EXT1_ECX,       0x00000020}, // bit 5, ABM
    {"popcnt",              CHECK_LEAF1_ECX,      0x00800000}, // bit 23
    {"rdrand",              CHECK_LEAF1_ECX,      0x40000000}, // bit 30
    {"sha",                 CHECK_LEAF7_EBX,      0x20000000}, // bit 29
    {"sse",                 CHECK_LEAF1_EDX,      0x02000000}, // bit 25
    {"sse2",                CHECK_LEAF1_EDX,      0x04000000}, // bit 26
    {"sse3",                CHECK_LEAF1_ECX,      0x00000001}, // bit 0
    {"sse4_1",              CHECK_LEAF1_ECX,      0x00080000}, // bit 19
    {"sse4_2",              CHECK_LEAF1_ECX,      0x00100000}, // bit 20
    {"sse4a",               CHECK_EXT1_ECX,       0x00000040}, // bit 6
    {"ssse3",               CHECK_LEAF1_ECX,      0x00000200}, // bit 9
    {"vpclmulqdq",          CHECK_LEAF7_ECX,      0x00000400}, // bit 10
    {"xop",                 CHECK_EXT1_ECX,       0x00000800}, // bit 11
    {nullptr,               CHECK_SENTINEL,       0         },
};
// clang-format on

namespace {

// Checks of the table made when it is compiled.

constexpr size_t table_size = sizeof flags / sizeof flags[0];

// strcmp's order: bytes compared as unsigned char.
constexpr int compare_names(const char *a, const char *b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

constexpr size_t named_rows() {
    size_t n = 0;
    while (n < table_size && flags[n].name != nullptr)
        ++n;
    return n;
}

constexpr bool names_sorted() {
    for (size_t i = 1; i < named_rows(); ++i)
        if (compare_names(flags[i - 1].name, flags[i].name) > 0)
            return false;
    return true;
}

constexpr bool names_well_formed() {
    for (size_t i = 0; i < named_rows(); ++i) {
        const char *p = flags[i].name;
        if (*p == '\0')
            return false;
        for (; *p != '\0'; ++p)
            if (!((*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9') || *p == '_'))
                return false;
    }
    return true;
}

constexpr bool masks_one_bit() {
    for (size_t i = 0; i < named_rows(); ++i)
        if (flags[i].mask == 0 || (flags[i].mask & (flags[i].mask - 1)) != 0)
            return false;
    return true;
}

constexpr bool types_in_range() {
    for (size_t i = 0; i < named_rows(); ++i)
        if (flags[i].type <= CHECK_SENTINEL || flags[i].type >= CHECK_MAX)
            return false;
    return true;
}

// The table is sorted, so rows of one name are adjacent and a name is new where it differs from
// the row before.
constexpr size_t distinct_names() {
    size_t n = 0;
    for (size_t i = 0; i < named_rows(); ++i)
        if (i == 0 || compare_names(flags[i - 1].name, flags[i].name) != 0)
            ++n;
    return n;
}

constexpr bool no_repeated_rows() {
    for (size_t i = 1; i < named_rows(); ++i)
        if (compare_names(flags[i - 1].name, flags[i].name) == 0 &&
            flags[i - 1].type == flags[i].type && flags[i - 1].mask == flags[i].mask)
            return false;
    return true;
}

static_assert(named_rows() == 50, "the table has 50 named rows");
static_assert(table_size == 51 && flags[50].name == nullptr && flags[50].type == CHECK_SENTINEL &&
                  flags[50].mask == 0,
              "the table ends in exactly one terminator row");
static_assert(names_sorted(), "the table is sorted by name in strcmp order");
static_assert(names_well_formed(), "names are lowercase letters, digits and underscores");
static_assert(masks_one_bit(), "every mask has exactly one bit set");
static_assert(types_in_range(), "every named row has a type between CHECK_SENTINEL and CHECK_MAX");
static_assert(distinct_names() == 48, "the table names 48 extensions");
static_assert(no_repeated_rows(), "two rows of one name test different bits");

} // namespace

void execute_cpuid(uint32_t leaf, uint32_t subleaf, uint32_t regs[4]) {
    uint32_t eax, ebx, ecx, edx;
    // volatile: every query is asked again, never taken from an earlier answer. EBX is named as
    // an output, so that in 32-bit position-independent code, where EBX holds the GOT pointer,
    // the compiler saves and restores it around the instruction.
    __asm__ volatile("cpuid"
                     : "=a"(eax), "=b"(ebx), "=c"(ecx), "=d"(edx)
                     : "a"(leaf), "c"(subleaf));
    regs[0] = eax;
    regs[1] = ebx;
    regs[2] = ecx;
    regs[3] = edx;
}

int run_cpuid_count(cpuid_fn *cpuid, uint32_t leaf, uint32_t subleaf, uint32_t *eax, uint32_t *ebx,
                    uint32_t *ecx, uint32_t *edx) {
    // The standard, extended (0x80000000) and Centaur (0xC0000000) leaves each form a range whose
    // base answers with the highest leaf of that range in EAX. Beyond it processors return junk.
    const uint32_t base = leaf & 0xF0000000u;
    uint32_t regs[4];
    cpuid(base, 0, regs);
    if (regs[0] < leaf)
        return 0;
    cpuid(leaf, subleaf, regs);
    if (eax != nullptr)
        *eax = regs[0];
    if (ebx != nullptr)
        *ebx = regs[1];
    if (ecx != nullptr)
        *ecx = regs[2];
    if (edx != nullptr)
        *edx = regs[3];
    return 1;
}

int run_cpuid(cpuid_fn *cpuid, uint32_t leaf, uint32_t *eax, uint32_t *ebx, uint32_t *ecx,
              uint32_t *edx) {
    return run_cpuid_count(cpuid, leaf, 0, eax, ebx, ecx, edx);
}

int print_flags(FILE *out, cpuid_fn *cpuid) {
    uint32_t leaf1_ecx = 0, leaf1_edx = 0;
    uint32_t leaf7_ebx = 0, leaf7_ecx = 0, leaf7_edx = 0;
    uint32_t leaf7_sub1_eax = 0;
    uint32_t ext1_ecx = 0, ext1_edx = 0;
    uint32_t centaur1_edx = 0;

    const int have_leaf1 = run_cpuid(cpuid, 1, nullptr, nullptr, &leaf1_ecx, &leaf1_edx);
    const int have_leaf7 =
        run_cpuid_count(cpuid, 7, 0, nullptr, &leaf7_ebx, &leaf7_ecx, &leaf7_edx);
    const int have_leaf7_sub1 =
        run_cpuid_count(cpuid, 7, 1, &leaf7_sub1_eax, nullptr, nullptr, nullptr);
    const int have_ext1 = run_cpuid(cpuid, 0x80000001, nullptr, nullptr, &ext1_ecx, &ext1_edx);
    const int have_centaur1 =
        run_cpuid(cpuid, 0xC0000001, nullptr, nullptr, nullptr, &centaur1_edx);

    fputs("CPU_FLAGS_X86:", out);
    const char *last = "";
    for (size_t i = 0; flags[i].name != nullptr; ++i) {
        assert(flags[i].type <= CHECK_MAX);
        int have = 0;
        uint32_t reg = 0;
        // clang-format off
        switch (flags[i].type) {
        case CHECK_SENTINEL: assert(0 && "CHECK_SENTINEL reached"); break;
        case CHECK_LEAF1_ECX: have = have_leaf1; reg = leaf1_ecx; break;
        case CHECK_LEAF1_EDX: have = have_leaf1; reg = leaf1_edx; break;
        case CHECK_LEAF7_EBX: have = have_leaf7; reg = leaf7_ebx; break;
        case CHECK_LEAF7_ECX: have = have_leaf7; reg = leaf7_ecx; break;
        case CHECK_LEAF7_EDX: have = have_leaf7; reg = leaf7_edx; break;
        case CHECK_LEAF7_SUB1_EAX: have = have_leaf7_sub1; reg = leaf7_sub1_eax; break;
        case CHECK_EXT1_ECX: have = have_ext1; reg = ext1_ecx; break;
        case CHECK_EXT1_EDX: have = have_ext1; reg = ext1_edx; break;
        case CHECK_CENTAUR1_EDX: have = have_centaur1; reg = centaur1_edx; break;
        case CHECK_MAX: assert(0 && "CHECK_MAX reached"); break;
        }
        // clang-format on
        if (!have || (reg & flags[i].mask) != flags[i].mask)
            continue;
        // Rows of one name are adjacent: the name is printed at the first of them that is set.
        if (strcmp(flags[i].name, last) == 0)
            continue;
        fputc(' ', out);
        fputs(flags[i].name, out);
        last = flags[i].name;
    }
    fputc('\n', out);
    return 0;
}

#if defined(__i386__)
int has_cpuid() {
    // The ID bit, bit 21 of EFLAGS, can be changed exactly on processors that have CPUID.
    uint32_t original, toggled;
    __asm__ volatile("pushfl\n\t"
                     "pushfl\n\t"
                     "popl %0\n\t"
                     "movl %0, %1\n\t"
                     "xorl $0x00200000, %1\n\t"
                     "pushl %1\n\t"
                     "popfl\n\t"
                     "pushfl\n\t"
                     "popl %1\n\t"
                     "popfl"
                     : "=&r"(original), "=&r"(toggled)
                     :
                     : "cc");
    return ((original ^ toggled) & 0x00200000u) != 0;
}

void no_cpuid(uint32_t, uint32_t, uint32_t regs[4]) {
    regs[0] = regs[1] = regs[2] = regs[3] = 0;
}
#endif

int print_flags() {
#if defined(__i386__)
    if (!has_cpuid())
        return print_flags(stdout, no_cpuid);
#endif
    return print_flags(stdout, execute_cpuid);
}
