// Installing into a staging directory: exactly the program and its manual page, and the
// installed program runs.

#include "process.h"

#include <gtest/gtest.h>

#include <ftw.h>
#include <set>
#include <string>
#include <unistd.h>

namespace {

std::set<std::string> *found = nullptr;

int note_file(const char *path, const struct stat *, int type, struct FTW *) {
    if (type != FTW_D && type != FTW_DP)
        found->insert(path);
    return 0;
}

int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
    return remove(path);
}

TEST(Install, IntoAStagingDirectory) {
    char dir_template[] = "/tmp/tessivane-install-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string destdir = dir_template;

    const Outcome install =
        run_program(CMAKE_COMMAND, {"cmake", "--install", BUILD_DIR, "--prefix", "/opt/tv"},
                    Stdout::Pipe, {"DESTDIR=" + destdir, "PATH=/usr/bin:/bin"});
    EXPECT_EQ(install.status, 0) << install.out << install.err;

    std::set<std::string> files;
    found = &files;
    nftw(destdir.c_str(), note_file, 16, FTW_PHYS);
    found = nullptr;
    EXPECT_EQ(files, (std::set<std::string>{destdir + "/opt/tv/bin/tessivane",
                                            destdir + "/opt/tv/share/man/man1/tessivane.1"}));

    const std::string installed = destdir + "/opt/tv/bin/tessivane";
    EXPECT_EQ(run_built(installed, {installed, "--version"}),
              (Outcome{"tessivane " TESSIVANE_VERSION "\n", "", 0}));
    EXPECT_EQ(run_built(installed, {"tessivane"}), run_built(TESSIVANE_BINARY, {"tessivane"}));

    nftw(destdir.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace
