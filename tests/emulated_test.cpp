// The shipped program on processors this machine is not: qemu's user-mode emulator answers CPUID
// as the chosen model would. For each model, the raw registers from the dump helper go into a
// fake processor, and the program's real CPUID path must print exactly what the report code
// prints for that fake.

#include "announcements.h"
#include "fake_cpu.h"
#include "process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string binary = TESSIVANE_BINARY;
const std::string dump = CPUID_DUMP;

// Models whose ranges are cut short, whose vendor is changed, or that bring 3DNow! to 64-bit
// code, besides the ones listed.
const char *const variants[] = {
    "max,level=5",
    "max,level=6",
    "max,xlevel=0x80000000",
    "max,xlevel=0x80000001",
    "max,xlevel2=0xC0000001,vendor=CentaurHauls",
    "athlon,+lm,+syscall",
    "phenom",
};

#if defined(__i386__)
const char emulator_name[] = "qemu-i386";
#else
const char emulator_name[] = "qemu-x86_64";
#endif

// The emulator, or "" with the reason to skip in why.
std::string qemu(std::string &why) {
#ifdef TESSIVANE_SANITIZED
    why = "sanitizer runtimes do not run under qemu's user-mode emulation";
    return "";
#endif
    const std::string found = find_in_path(emulator_name);
    if (found.empty())
        why = std::string(emulator_name) + " is not installed (Debian package qemu-user)";
    return found;
}

// Every model that `qemu-x86_64 -cpu help` (or qemu-i386's) lists, aliases included.
std::vector<std::string> models(const std::string &qemu) {
    // qemu exits with status 1 after listing them.
    const Outcome help = run_program(qemu, {qemu, "-cpu", "help"});
    std::vector<std::string> names;
    std::istringstream lines(help.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string arch, name;
        if (words >> arch >> name && arch == "x86")
            names.push_back(name);
    }
    return names;
}

struct Emulation {
    std::string cannot_run; // why the model cannot run this build's programs, if it cannot
    FakeCpu cpu{0, 0, 0};
    std::string line; // what the program printed under the model
};

// Runs the dump helper and the program under one model. Standard error is not compared: qemu
// warns there about features it cannot emulate.
Emulation emulate(const std::string &qemu, const std::string &model) {
    Emulation e;
    const Outcome raw = run_program(qemu, {qemu, "-cpu", model, dump});
    if (raw.status != 0 && raw.err.find("does not support 64 bit mode") != std::string::npos) {
        e.cannot_run = "no 64-bit mode";
        return e;
    }
    // Debian's 32-bit C library is built for the i686 and starts with CMOV, which the 486 and
    // the first Pentium lack: the helper then dies before printing anything.
    if (raw.status == 128 + SIGILL && raw.out.empty()) {
        e.cannot_run = "an illegal instruction before main, in the C library";
        return e;
    }
    EXPECT_EQ(raw.status, 0) << raw.err;
    std::istringstream lines(raw.out);
    std::string text;
    int answers = 0;
    while (std::getline(lines, text)) {
        unsigned leaf, subleaf;
        Regs regs;
        if (std::sscanf(text.c_str(), "%x %u %x %x %x %x", &leaf, &subleaf, &regs[0], &regs[1],
                        &regs[2], &regs[3]) != 6) {
            ADD_FAILURE() << "unreadable dump line: " << text;
            continue;
        }
        e.cpu.set(leaf, subleaf, regs);
        ++answers;
    }
    EXPECT_EQ(answers, 8) << raw.out;
    const Outcome shipped = run_program(qemu, {qemu, "-cpu", model, binary});
    EXPECT_EQ(shipped.status, 0) << shipped.err;
    e.line = shipped.out;
    return e;
}

TEST(Emulated, EveryModelAgreesWithTheReportCode) {
    std::string why;
    const std::string q = qemu(why);
    if (q.empty())
        GTEST_SKIP() << why;
    std::vector<std::string> all = models(q);
    ASSERT_GT(all.size(), 20u) << "qemu listed too few models";
    all.insert(all.end(), std::begin(variants), std::end(variants));

    int ran = 0;
    std::string skipped;
    for (const std::string &model : all) {
        SCOPED_TRACE("-cpu " + model);
        Emulation e = emulate(q, model);
        if (!e.cannot_run.empty()) {
            skipped += "  " + model + ": " + e.cannot_run + "\n";
            continue;
        }
        ++ran;
        EXPECT_EQ(e.line, report(e.cpu));
        std::printf("%-44s %s", model.c_str(), e.line.c_str());
    }
    std::printf("%d models ran under %s; skipped, as they cannot run this build's programs:\n%s",
                ran, emulator_name, skipped.c_str());
    EXPECT_GT(ran, 20);
}

// Whether the report line holds the name as one of its words.
bool has_name(std::string line, const std::string &name) {
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    return (line + " ").find(" " + name + " ") != std::string::npos;
}

TEST(Emulated, CutShortRangesHideTheirLeaves) {
    std::string why;
    const std::string q = qemu(why);
    if (q.empty())
        GTEST_SKIP() << why;

    // Leaf 7 lies beyond a standard range that ends at 5, whatever the emulator answers there.
    const Emulation level5 = emulate(q, "max,level=5");
    for (const std::string &name :
         names_where([](const Announcement &row) { return row.leaf == 7; })) {
        EXPECT_FALSE(has_name(level5.line, name)) << name << " in " << level5.line;
    }

    // With the extended range ending at its base, only leaf 1 can announce anything.
    const Emulation xlevel = emulate(q, "max,xlevel=0x80000000");
    for (const Announcement &row : manual) {
        const bool only_extended =
            names_where([&](const Announcement &other) {
                return other.leaf != 0x80000001 && std::string(other.name) == row.name;
            }).empty();
        if (only_extended) {
            EXPECT_FALSE(has_name(xlevel.line, row.name)) << row.name << " in " << xlevel.line;
        }
    }
}

} // namespace
