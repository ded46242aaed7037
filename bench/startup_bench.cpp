// Start-up benchmark: starts tessivane and each baseline many times, in alternating rounds, and
// prints the median wall time per start as a Markdown table. Not a test: nothing here passes or
// fails on a time.
//
// usage: startup_bench TESSIVANE NOOP CPUID_LINE [ROUNDS [STARTS_PER_ROUND]]

#include <fcntl.h>
#include <spawn.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Candidate {
    std::string label;
    std::vector<std::string> argv; // argv[0] is the path executed
    std::vector<double> micros;
};

int devnull = -1;

// One start: spawn, wait, and return the wall time in microseconds, or -1 on failure.
double start_once(const Candidate &c) {
    std::vector<char *> argv;
    for (const std::string &a : c.argv)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    char *envp[] = {nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, devnull, 1);
    timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t pid;
    int status = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp);
    if (spawned == 0)
        waitpid(pid, &status, 0);
    clock_gettime(CLOCK_MONOTONIC, &t1);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return (t1.tv_sec - t0.tv_sec) * 1e6 + (t1.tv_nsec - t0.tv_nsec) / 1e3;
}

std::string find_in_path(const std::string &name) {
    const char *path = getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    for (size_t start = 0, end; start <= dirs.size(); start = end + 1) {
        end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string machine() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, model = "unknown processor";
    while (std::getline(cpuinfo, line))
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    utsname u{};
    uname(&u);
    return model + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores, " + u.sysname +
           " " + u.release;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s TESSIVANE NOOP CPUID_LINE [ROUNDS [STARTS_PER_ROUND]]\n",
                argv[0]);
        return 2;
    }
    const int rounds = argc > 4 ? atoi(argv[4]) : 40;
    const int per_round = argc > 5 ? atoi(argv[5]) : 50;
    devnull = open("/dev/null", O_WRONLY);

    std::vector<Candidate> candidates = {
        {"tessivane", {argv[1]}, {}},
        {"(a) a program that does nothing", {argv[2]}, {}},
        {"(b) ten CPUID executions and one stdio line", {argv[3]}, {}},
    };
    const std::string lscpu = find_in_path("lscpu");
    if (!lscpu.empty())
        candidates.push_back({"`lscpu`", {lscpu}, {}});
    const std::string grep = find_in_path("grep");
    if (!grep.empty() && access("/proc/cpuinfo", R_OK) == 0)
        candidates.push_back(
            {"`grep -m1 flags /proc/cpuinfo`", {grep, "-m1", "flags", "/proc/cpuinfo"}, {}});

    for (auto it = candidates.begin(); it != candidates.end();) {
        if (start_once(*it) < 0) {
            fprintf(stderr, "leaving out %s: it did not run cleanly\n", it->label.c_str());
            it = candidates.erase(it);
        } else {
            ++it;
        }
    }

    // Rounds alternate between the programs, each round starting with the next one, so that a
    // change in the machine's state over time spreads over all of them.
    for (int r = 0; r < rounds; ++r)
        for (size_t k = 0; k < candidates.size(); ++k) {
            Candidate &c = candidates[(r + k) % candidates.size()];
            for (int i = 0; i < per_round; ++i) {
                const double us = start_once(c);
                if (us >= 0)
                    c.micros.push_back(us);
            }
        }

    const double ours = median(candidates[0].micros);
    printf("Machine: %s\n", machine().c_str());
    printf("%d rounds of %d starts each (%d starts of every program)\n\n", rounds, per_round,
           rounds * per_round);
    printf("| program | median per start | tessivane / program |\n");
    printf("| --- | ---: | ---: |\n");
    for (const Candidate &c : candidates) {
        const double m = median(c.micros);
        printf("| %s | %.0f µs | %.3f |\n", c.label.c_str(), m, ours / m);
    }
    return 0;
}
