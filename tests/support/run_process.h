// Runs a program as a child process and collects what it did.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

enum class Stdout { capture, dev_full, closed };

struct Invocation {
    std::string program;
    std::vector<std::string> args;  // argv[1..]
    // NAME=VALUE pairs put over the test's own environment.
    std::vector<std::string> env;
    Stdout out = Stdout::capture;
};

struct Outcome {
    bool exited = false;  // false: ended by a signal
    int status = -1;      // exit status, or the signal number
    std::string out;
    std::string err;
};

Outcome run(const Invocation &invocation);

}  // namespace testing_support
