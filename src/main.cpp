#include "main.h"
#include "x86.h"

#include <getopt.h>
#include <stdio.h>

namespace {

// clang-format off
const struct option long_options[] = {
    {"help",    no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr,   0,           nullptr, 0  },
};
// clang-format on

const char usage_text[] = "Usage: %s [options]\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help               print this help message\n"
                          "  -V, --version            print program version\n";

// The build defines the version, from the one place it is written.
#ifndef TESSIVANE_VERSION
#error "TESSIVANE_VERSION is defined by the build"
#endif
const char version_text[] = "tessivane " TESSIVANE_VERSION;

static_assert(sizeof usage_text - 1 == 130, "the usage text has 130 characters before filling");

const char stray_operand_text[] = "%s: unexpected position parameter\n";

// Standard output is buffered, so a write that failed (a full disk, a closed descriptor) may only
// show when it is flushed: flush it here, before the process ends, and turn a failure into status
// 1 rather than report success for a line that never arrived.
int finish_output(const char *name, int status) {
    if (fflush(stdout) == 0 && !ferror(stdout))
        return status;
    // perror adds ": " and the reason that errno holds from the failed write.
    fprintf(stderr, "%s: ", name);
    perror("write error");
    return 1;
}

} // namespace

int tessivane_main(int argc, char *argv[]) {
    // A process started with an empty argument vector has no name of its own.
    const char *name = argc > 0 && argv[0] != nullptr ? argv[0] : "tessivane";

    for (;;) {
        switch (getopt_long(argc, argv, "hV", long_options, nullptr)) {
        case 'h': printf(usage_text, name); return finish_output(name, 0);
        case 'V': puts(version_text); return finish_output(name, 0);
        case '?': fprintf(stderr, usage_text, name); return 1;
        case -1:
            if (optind == argc)
                return finish_output(name, print_flags());
            fprintf(stderr, stray_operand_text, name);
            fprintf(stderr, usage_text, name);
            return 1;
        default: break;
        }
    }
}
