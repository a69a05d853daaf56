// SPDX-License-Identifier: MIT
// quarn_vadel_version: prints the vadel package version this program was
// built in. The text is fixed by the build (QUARN_VADEL_VERSION), so the line
// stays the same whatever vadel library is installed beside it.
#include <cstdio>
#include <cstdlib>

#ifndef QUARN_VADEL_VERSION
#error "the build supplies QUARN_VADEL_VERSION"
#endif

int main()
{
    // Scripts read the status: a line that never reached its reader is a
    // failure, not a version. %m is the reason, straight from errno.
    if (std::printf("quarn-vadel--%s\n", QUARN_VADEL_VERSION) < 0 || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "quarn_vadel_version: write error: %m\n");
        std::exit(EXIT_FAILURE);
    }
    std::exit(EXIT_SUCCESS);
}
