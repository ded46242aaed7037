#include "process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

bool operator==(const Outcome &a, const Outcome &b) {
    return a.out == b.out && a.err == b.err && a.status == b.status;
}

void PrintTo(const Outcome &o, std::ostream *os) {
    *os << "{status " << o.status << ", stdout " << testing::PrintToString(o.out) << ", stderr "
        << testing::PrintToString(o.err) << "}";
}

namespace {

std::string drain(int fd) {
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            text.append(buf, static_cast<size_t>(n));
    close(fd);
    return text;
}

} // namespace

Outcome in_child(Stdout mode, const std::function<int()> &child) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        ADD_FAILURE() << "pipe: " << strerror(errno);
        return {"", "", -1};
    }
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork: " << strerror(errno);
        return {"", "", -1};
    }
    if (pid == 0) {
        dup2(err[1], 2);
        if (mode == Stdout::Pipe) {
            dup2(out[1], 1);
        } else if (mode == Stdout::DevFull) {
            const int full = open("/dev/full", O_WRONLY);
            dup2(full, 1);
            close(full);
        } else {
            close(1);
        }
        close(out[0]), close(out[1]), close(err[0]), close(err[1]);
        _exit(child());
    }
    close(out[1]);
    close(err[1]);
    // The programs tested write far less than a pipe holds, so one pipe can be read to its end
    // before the other.
    Outcome o{drain(out[0]), drain(err[0]), -1};
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return o;
}

Outcome run_program(const std::string &path, const std::vector<std::string> &args, Stdout mode,
                    const std::vector<std::string> &env, const std::string &cwd) {
    return in_child(mode, [&] {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) {
            perror(("chdir " + cwd).c_str());
            return 126;
        }
        std::vector<char *> argv, envp;
        for (const std::string &arg : args)
            argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        for (const std::string &var : env)
            envp.push_back(const_cast<char *>(var.c_str()));
        envp.push_back(nullptr);
        execve(path.c_str(), argv.data(), envp.data());
        perror(("execve " + path).c_str());
        return 127;
    });
}

Outcome run_built(const std::string &path, const std::vector<std::string> &argv, Stdout mode,
                  const std::string &cwd) {
#ifdef TESSIVANE_EMULATOR
    // qemu's -0 sets the argv[0] that the emulated program sees.
    std::vector<std::string> emulated{TESSIVANE_EMULATOR, "-0", argv.at(0), path};
    emulated.insert(emulated.end(), argv.begin() + 1, argv.end());
    return run_program(TESSIVANE_EMULATOR, emulated, mode, {}, cwd);
#else
    return run_program(path, argv, mode, {}, cwd);
#endif
}

std::string find_in_path(const std::string &name) {
    const char *path = getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}
