// SPDX-License-Identifier: MIT
// quarn2_version: prints the version of the installed client library.
//
// The text comes from the libquarn2.so.2 that the loader bound at start, not
// from the one the program was built against, so the line always tells what
// is installed. The function is bound before main runs: where the library or
// the function is missing, the loader refuses to start the program.
#include <cstdio>

// From libquarn2.so.2: the library's own NUL-terminated version text, valid
// until the program exits and not to be released.
extern "C" const char *quarn2_version(void);

int main()
{
    const char *text = quarn2_version();
    if (text == nullptr) {
        // A library that answers with no text is broken; a blank version
        // line would read as a real answer. Through "%s", GCC keeps the call
        // fortified fprintf, which the tool imports already, rather than
        // turning a constant text into fwrite, one import more to bind at
        // every start.
        std::fprintf(stderr, "quarn2_version: %s\n", "libquarn2.so.2 returned no version text");
        return 1;
    }
    // Scripts read the status: a line that never reached its reader is a
    // failure, not a version. %m is the reason, straight from errno.
    if (std::printf("QUARN-client-%s\n", text) < 0 || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "quarn2_version: write error: %m\n");
        return 1;
    }
    return 0;
}
