// The report and the range-checked queries, driven by fake processors.

#include "announcements.h"
#include "fake_cpu.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

TEST(Report, EachBitGivesExactlyItsNames) {
    for (const Announcement &row : manual) {
        SCOPED_TRACE(row.name);
        FakeCpu cpu = all_clear();
        cpu.bit(row.leaf, row.subleaf, row.reg, row.bit);
        // Leaf 1 EDX bit 25 is SSE, which brings the MMX extensions too: one bit, two names.
        const auto expected = names_where([&](const Announcement &other) {
            return other.leaf == row.leaf && other.subleaf == row.subleaf && other.reg == row.reg &&
                   other.bit == row.bit;
        });
        EXPECT_EQ(report(cpu), line(expected));
    }
}

TEST(Report, EveryBitSetGivesAll48NamesOnceInOrder) {
    FakeCpu cpu = all_clear();
    for (auto &answer : cpu.answers)
        if (answer.first.first != STD_BASE && answer.first.first != EXT_BASE &&
            answer.first.first != CENTAUR_BASE)
            answer.second = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    const auto all = names_where([](const Announcement &) { return true; });
    ASSERT_EQ(all.size(), 48u);
    EXPECT_EQ(report(cpu), line(all));
}

struct ReportCase {
    const char *what;
    FakeCpu cpu;
    std::vector<std::string> names;
};

const Regs ones{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};

TEST(Report, EdgeCases) {
    const ReportCase cases[] = {
        {"every bit clear", all_clear(), {}},
        {"MMX, SSE and SSE2 of leaf 1",
         all_clear().bit(1, 0, EDX, 23).bit(1, 0, EDX, 25).bit(1, 0, EDX, 26),
         {"mmx", "mmxext", "sse", "sse2"}},
        {"both MMX-extension bits",
         all_clear().bit(0x80000001, 0, EDX, 22).bit(1, 0, EDX, 25),
         {"mmxext", "sse"}},
        {"both POPCNT bits", all_clear().bit(0x80000001, 0, ECX, 5).bit(1, 0, ECX, 23), {"popcnt"}},
        {"only the first row of a pair", all_clear().bit(0x80000001, 0, ECX, 5), {"popcnt"}},
        {"only the second row of a pair", all_clear().bit(1, 0, ECX, 23), {"popcnt"}},
        {"standard range stops below leaf 7",
         FakeCpu(6, 0x80000001, 0xC0000001)
             .set(1, 0, {0, 0, 1, 0})
             .set(0x80000001, 0, {})
             .set(0xC0000001, 0, {}),
         {"sse3"}},
        {"standard range reaches only its base",
         FakeCpu(0, 0x80000001, 0xC0000001).set(0x80000001, 0, {}).set(0xC0000001, 0, {}),
         {}},
        {"no extended range: MMX extensions and POPCNT only through leaf 1",
         FakeCpu(7, 0x80000000, 0xC0000001)
             .set(1, 0, {0, 0, 1u << 23, 1u << 25})
             .set(7, 0, {})
             .set(7, 1, {})
             .set(0xC0000001, 0, {}),
         {"mmxext", "popcnt", "sse"}},
        {"leaf 7 reports no subleaf 1, which is read all the same",
         all_clear().set(7, 0, {0, 0, 0, 0}).bit(7, 1, EAX, 4).bit(7, 1, EAX, 5),
         {"avx512_bf16", "avx_vnni"}},
        {"Centaur range present, extended range ending at 0x80000008",
         FakeCpu(7, 0x80000008, 0xC0000001)
             .set(1, 0, {})
             .set(7, 0, {})
             .set(7, 1, {})
             .set(0x80000001, 0, {})
             .bit(0xC0000001, 0, EDX, 10),
         {"padlock"}},
        {"no Centaur range, extended range reaching 0xFFFFFFFF",
         FakeCpu(7, 0xFFFFFFFF, 0x0000000D)
             .set(1, 0, {})
             .set(7, 0, {})
             .set(7, 1, {})
             .set(0x80000001, 0, {}),
         {}},
        {"no range beyond the standard one, all junk there",
         FakeCpu(7, 0x0000000D, 0x0000000D).set(1, 0, {}).set(7, 0, {}).set(7, 1, {}),
         {}},
        {"every bit of every leaf set, no leaf 7",
         FakeCpu(6, 0x80000001, 0xC0000001)
             .set(1, 0, ones)
             .set(0x80000001, 0, ones)
             .set(0xC0000001, 0, ones),
         {"3dnow", "3dnowext", "aes",     "avx",    "f16c",   "fma3",   "fma4",
          "mmx",   "mmxext",   "padlock", "pclmul", "popcnt", "rdrand", "sse",
          "sse2",  "sse3",     "sse4_1",  "sse4_2", "sse4a",  "ssse3",  "xop"}},
    };
    for (ReportCase c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(report(c.cpu), line(c.names));
    }
}

struct SequenceCase {
    const char *what;
    FakeCpu cpu;
    std::vector<std::vector<Query>> queries;
};

TEST(Report, ExecutesTheQueriesInOrderAndNothingMore) {
    // Each query asks the top of its range, then the leaf where the range reaches it.
    const std::vector<Query> leaf1{{0, 0}, {1, 0}}, leaf7{{0, 0}, {7, 0}},
        leaf7_sub1{{0, 0}, {7, 1}}, ext1{{EXT_BASE, 0}, {0x80000001, 0}},
        centaur1{{CENTAUR_BASE, 0}, {0xC0000001, 0}};
    const std::vector<Query> std_top{{0, 0}}, ext_top{{EXT_BASE, 0}},
        centaur_top{{CENTAUR_BASE, 0}};
    const SequenceCase cases[] = {
        {"all ranges present", all_clear(), {leaf1, leaf7, leaf7_sub1, ext1, centaur1}},
        {"standard range below 7",
         FakeCpu(6, 0x80000001, 0xC0000001),
         {leaf1, std_top, std_top, ext1, centaur1}},
        {"standard range below 1",
         FakeCpu(0, 0x80000001, 0xC0000001),
         {std_top, std_top, std_top, ext1, centaur1}},
        {"no extended leaf",
         FakeCpu(7, 0x80000000, 0xC0000001),
         {leaf1, leaf7, leaf7_sub1, ext_top, centaur1}},
        {"no Centaur leaf",
         FakeCpu(7, 0x80000001, 0xC0000000),
         {leaf1, leaf7, leaf7_sub1, ext1, centaur_top}},
        {"no leaf anywhere", FakeCpu(0, 0, 0), {std_top, std_top, std_top, ext_top, centaur_top}},
    };
    for (SequenceCase c : cases) {
        SCOPED_TRACE(c.what);
        report(c.cpu);
        std::vector<Query> expected;
        for (const std::vector<Query> &query : c.queries)
            expected.insert(expected.end(), query.begin(), query.end());
        EXPECT_EQ(c.cpu.executed, expected);
    }
}

// run_cpuid and run_cpuid_count on the fake processor itself.

uint32_t run(FakeCpu &cpu, uint32_t leaf, uint32_t subleaf, Regs &regs) {
    active_cpu = &cpu;
    const int got =
        subleaf == 0
            ? run_cpuid(fake_cpuid, leaf, &regs[0], &regs[1], &regs[2], &regs[3])
            : run_cpuid_count(fake_cpuid, leaf, subleaf, &regs[0], &regs[1], &regs[2], &regs[3]);
    active_cpu = nullptr;
    return got;
}

TEST(Queries, BeyondTheTopReturnZeroAndStoreNothing) {
    const struct {
        const char *what;
        FakeCpu cpu;
        uint32_t leaf;
        uint32_t subleaf;
    } cases[] = {
        {"extended range ends at its base", FakeCpu(7, 0x80000000, 0xC0000001), 0x80000001, 0},
        {"no Centaur range", FakeCpu(7, 0x80000008, 0x0000000D), 0xC0000001, 0},
        {"Centaur leaf against an extended top of 0xFFFFFFFF", FakeCpu(7, 0xFFFFFFFF, 0xC0000000),
         0xC0000001, 0},
        {"standard range below 7", FakeCpu(6, 0x80000001, 0xC0000001), 7, 1},
        {"standard range of leaf 0 alone", FakeCpu(0, 0x80000001, 0xC0000001), 1, 0},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.what);
        Regs regs{0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF};
        EXPECT_EQ(run(c.cpu, c.leaf, c.subleaf, regs), 0u);
        EXPECT_EQ(regs, (Regs{0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF}));
        EXPECT_EQ(c.cpu.executed, (std::vector<Query>{{c.leaf & 0xF0000000, 0}}));
    }
}

TEST(Queries, TheTopLeafIsReadAndStoredInRegisterOrder) {
    FakeCpu cpu(7, 0x80000001, 0xC0000001);
    cpu.set(7, 2, {1, 2, 3, 4}).set(0xC0000001, 0, {5, 6, 7, 8});
    Regs regs{};
    EXPECT_EQ(run(cpu, 7, 2, regs), 1u);
    EXPECT_EQ(regs, (Regs{1, 2, 3, 4}));
    EXPECT_EQ(run(cpu, 0xC0000001, 0, regs), 1u);
    EXPECT_EQ(regs, (Regs{5, 6, 7, 8}));
    EXPECT_EQ(cpu.executed,
              (std::vector<Query>{{0, 0}, {7, 2}, {CENTAUR_BASE, 0}, {0xC0000001, 0}}));
}

TEST(Queries, NoLocationsStillExecutesBoth) {
    FakeCpu cpu = all_clear();
    active_cpu = &cpu;
    EXPECT_EQ(run_cpuid(fake_cpuid, 0x80000001, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(run_cpuid_count(fake_cpuid, 7, 1, nullptr, nullptr, nullptr, nullptr), 1);
    active_cpu = nullptr;
    EXPECT_EQ(cpu.executed, (std::vector<Query>{{EXT_BASE, 0}, {0x80000001, 0}, {0, 0}, {7, 1}}));
}

TEST(Queries, OnlyTheWantedLocationsAreStored) {
    FakeCpu cpu = all_clear();
    cpu.set(1, 0, {1, 2, 3, 4});
    uint32_t ecx = 0xDEADBEEF, edx = 0xDEADBEEF;
    active_cpu = &cpu;
    EXPECT_EQ(run_cpuid(fake_cpuid, 1, nullptr, nullptr, &ecx, nullptr), 1);
    active_cpu = nullptr;
    EXPECT_EQ(ecx, 3u);
    EXPECT_EQ(edx, 0xDEADBEEFu);
}

#if defined(__i386__)
TEST(NoCpuid, EveryQueryFailsAndTheLineIsEmpty) {
    // A 486 without CPUID: the report still runs, through the same range checks, and announces
    // nothing.
    uint32_t regs[4] = {0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF};
    for (uint32_t leaf : {1u, 7u, 0x80000001u, 0xC0000001u})
        EXPECT_EQ(run_cpuid(no_cpuid, leaf, &regs[0], &regs[1], &regs[2], &regs[3]), 0) << leaf;
    EXPECT_EQ(run_cpuid_count(no_cpuid, 7, 1, &regs[0], &regs[1], &regs[2], &regs[3]), 0);
    EXPECT_EQ(regs[0] & regs[1] & regs[2] & regs[3], 0xDEADBEEFu);

    EXPECT_EQ(report_line(no_cpuid), "CPU_FLAGS_X86:\n");
}

TEST(NoCpuid, TheCheckFindsTheInstructionWhereItExists) {
    EXPECT_EQ(has_cpuid(), 1);
}
#endif

} // namespace
