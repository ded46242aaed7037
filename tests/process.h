#ifndef TESSIVANE_TESTS_PROCESS_H
#define TESSIVANE_TESTS_PROCESS_H

// Running programs as separate processes, with standard output and error captured.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

struct Outcome {
    std::string out;
    std::string err;
    int status; // the exit status, or 128 + the signal that ended the process
};

bool operator==(const Outcome &a, const Outcome &b);
void PrintTo(const Outcome &o, std::ostream *os);

// Where the child's standard output goes.
enum class Stdout { Pipe, DevFull, Closed };

// Runs child() in a forked process; its result is the exit status.
Outcome in_child(Stdout mode, const std::function<int()> &child);

// Executes path with the given argument vector (argv[0] included) in the given environment,
// empty unless named, and in the directory cwd unless that is empty.
Outcome run_program(const std::string &path, const std::vector<std::string> &argv,
                    Stdout mode = Stdout::Pipe, const std::vector<std::string> &env = {},
                    const std::string &cwd = "");

// The same for a program of this build, which runs under the build's emulator where it has one
// (a 32-bit build under qemu-i386), with argv[0] passed on unchanged.
Outcome run_built(const std::string &path, const std::vector<std::string> &argv,
                  Stdout mode = Stdout::Pipe, const std::string &cwd = "");

// The first executable called name in the directories of PATH, or "" where there is none.
std::string find_in_path(const std::string &name);

#endif
