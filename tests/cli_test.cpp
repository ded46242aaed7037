// The command line, on the built program run as a separate process: standard output, standard
// error and exit status compared exactly.

#include "fake_cpu.h"
#include "main.h"
#include "process.h"
#include "x86_internal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string binary = TESSIVANE_BINARY;

// Runs the program with argv[0] set to argv0 and the given arguments, in an empty environment.
Outcome run(const std::string &argv0, std::vector<std::string> args, Stdout mode = Stdout::Pipe) {
    args.insert(args.begin(), argv0);
    return run_built(binary, args, mode);
}

std::string usage(const std::string &name) {
    return "Usage: " + name +
           " [options]\n"
           "\n"
           "Options:\n"
           "  -h, --help               print this help message\n"
           "  -V, --version            print program version\n";
}

// The option parser's own diagnostic; its wording belongs to the C library.
std::string diagnostic(const std::string &name, const std::string &glibc_text) {
#ifdef __GLIBC__
    return name + ": " + glibc_text + "\n";
#else
    (void)name, (void)glibc_text;
    return "";
#endif
}

TEST(CommandLine, BehaviourTable) {
    const std::string n = binary;
    const std::string report = report_line(execute_cpuid);
    const std::string stray = n + ": unexpected position parameter\n";
    const struct {
        std::vector<std::string> args;
        Outcome expected;
    } cases[] = {
        {{}, {report, "", 0}},
        {{"--"}, {report, "", 0}},
        {{"-h"}, {usage(n), "", 0}},
        {{"--help"}, {usage(n), "", 0}},
        {{"-V"}, {"tessivane 16\n", "", 0}},
        {{"--version"}, {"tessivane 16\n", "", 0}},
        {{"-hV"}, {usage(n), "", 0}},
        {{"-Vh"}, {"tessivane 16\n", "", 0}},
        {{"-V", "--help"}, {"tessivane 16\n", "", 0}},
        {{"-h", "-x"}, {usage(n), "", 0}},
        {{"-x"}, {"", diagnostic(n, "invalid option -- 'x'") + usage(n), 1}},
        {{"-x", "-h"}, {"", diagnostic(n, "invalid option -- 'x'") + usage(n), 1}},
        {{"--bogus"}, {"", diagnostic(n, "unrecognized option '--bogus'") + usage(n), 1}},
        {{"--help=yes"},
         {"", diagnostic(n, "option '--help' doesn't allow an argument") + usage(n), 1}},
        {{"--version=16"},
         {"", diagnostic(n, "option '--version' doesn't allow an argument") + usage(n), 1}},
        {{"word"}, {"", stray + usage(n), 1}},
        {{"--", "word"}, {"", stray + usage(n), 1}},
        {{"--", "-h"}, {"", stray + usage(n), 1}},
        {{"-"}, {"", stray + usage(n), 1}},
    };
    for (const auto &c : cases) {
        std::string shown;
        for (const std::string &arg : c.args)
            shown += " " + arg;
        SCOPED_TRACE("arguments:" + shown);
        Outcome got = run(n, c.args);
#ifndef __GLIBC__
        // Elsewhere only the parser's line is unknown: it comes first, on a line of its own.
        if (c.expected.status == 1 && c.expected.err.rfind(usage(n), 0) == 0 &&
            got.err.size() > c.expected.err.size())
            got.err.erase(0, got.err.find('\n') + 1);
#endif
        EXPECT_EQ(got, c.expected);
    }
}

TEST(CommandLine, ReportLineIsWellFormed) {
    const std::string line = run(binary, {}).out;
    ASSERT_EQ(line.rfind("CPU_FLAGS_X86:", 0), 0u) << line;
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find("  "), std::string::npos) << line;
    EXPECT_EQ(line.find(" \n"), std::string::npos) << line;
}

TEST(CommandLine, UsageTextBytes) {
    const std::string text = run("N", {"-h"}).out;
    EXPECT_EQ(text.size(), 130u - 2 + 1);
    EXPECT_EQ(text, "Usage: N [options]\n\nOptions:\n"
                    "  -h, --help               print this help message\n"
                    "  -V, --version            print program version\n");
    // Both descriptions start in column 28.
    EXPECT_EQ(text.find("print this") - text.find("  -h"), 27u);
    EXPECT_EQ(text.find("print program") - text.find("  -V"), 27u);
}

TEST(CommandLine, NameIsShownExactlyAsStarted) {
    const std::string dir = binary.substr(0, binary.rfind('/'));
    const std::string relative = "../" + dir.substr(dir.rfind('/') + 1) + "/./tessivane";
    for (const std::string &name : {binary, relative, std::string("odd name/tessivane")}) {
        SCOPED_TRACE(name);
        // Started from the program's own directory, through the relative path where that is the
        // name.
        const std::string path = name == relative ? relative : binary;
        EXPECT_EQ(run_built(path, {name, "operand"}, Stdout::Pipe, dir),
                  (Outcome{"", name + ": unexpected position parameter\n" + usage(name), 1}));
        EXPECT_EQ(run_built(path, {name, "--help"}, Stdout::Pipe, dir),
                  (Outcome{usage(name), "", 0}));
    }
}

TEST(CommandLine, FailedWritesAreReported) {
    const std::string n = binary;
    const struct {
        std::vector<std::string> args;
        Stdout mode;
        const char *reason;
    } cases[] = {
        {{}, Stdout::DevFull, "No space left on device"},
        {{"-h"}, Stdout::DevFull, "No space left on device"},
        {{"-V"}, Stdout::DevFull, "No space left on device"},
        {{}, Stdout::Closed, "Bad file descriptor"},
        {{"--help"}, Stdout::Closed, "Bad file descriptor"},
        {{"--version"}, Stdout::Closed, "Bad file descriptor"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) +
                     (c.mode == Stdout::Closed ? " >&-" : " >/dev/full"));
        EXPECT_EQ(run(n, c.args, c.mode),
                  (Outcome{"", n + ": write error: " + c.reason + "\n", 1}));
    }
}

TEST(CommandLine, ErrorsWriteNothingToStandardOutput) {
    // With nothing written there, a full standard output changes nothing.
    const std::string n = binary;
    EXPECT_EQ(run(n, {"word"}, Stdout::DevFull),
              (Outcome{"", n + ": unexpected position parameter\n" + usage(n), 1}));
}

TEST(CommandLine, EmptyArgumentVector) {
    // No exec gives a program argc 0 any more (Linux hands it one empty name), so this runs the
    // command line in a child of the test process.
    const Outcome got = in_child(Stdout::Pipe, [] {
        char *argv[] = {nullptr};
        const int status = tessivane_main(0, argv);
        fflush(nullptr);
        return status;
    });
    EXPECT_EQ(got,
              (Outcome{"", "tessivane: unexpected position parameter\n" + usage("tessivane"), 1}));
}

TEST(Binary, LinksOnlyTheCLibrary) {
#ifdef TESSIVANE_SANITIZED
    GTEST_SKIP() << "sanitizer runtimes bring libraries of their own";
#endif
    const std::string readelf = find_in_path("readelf");
    if (readelf.empty())
        GTEST_SKIP() << "readelf is not installed";
    FILE *p = popen(("'" + readelf + "' -d -l '" + binary + "' 2>&1").c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::vector<std::string> needed;
    bool interpreter = false;
    char line[512];
    while (fgets(line, sizeof line, p) != nullptr) {
        const char *lib = strstr(line, "Shared library: [");
        if (strstr(line, "(NEEDED)") != nullptr && lib != nullptr) {
            std::string name = lib + strlen("Shared library: [");
            needed.push_back(name.substr(0, name.find(']')));
        }
        if (strstr(line, "INTERP") != nullptr)
            interpreter = true;
    }
    ASSERT_EQ(pclose(p), 0);
#ifdef TESSIVANE_STATIC
    EXPECT_TRUE(needed.empty()) << "a static build needs " << testing::PrintToString(needed);
    EXPECT_FALSE(interpreter) << "a static build asks for a dynamic loader";
#else
    EXPECT_TRUE(interpreter);
    EXPECT_FALSE(needed.empty());
    for (const std::string &lib : needed)
        EXPECT_EQ(lib.rfind("libc.so", 0), 0u) << "needs " << lib;
#endif
}

} // namespace
