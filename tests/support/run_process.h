// SPDX-License-Identifier: MIT
// Runs a program as a child process and collects what it did.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

enum class Stdout { capture, dev_full, closed };
// What the child reads from: an empty file, a pipe that stays open and never
// delivers a byte (a program that reads it waits for ever), or nothing at all.
enum class Stdin { empty, endless, closed };

struct Invocation {
    std::string program;
    std::vector<std::string> args;  // argv[1..]
    // NAME=VALUE pairs put over the test's own environment.
    std::vector<std::string> env;
    Stdout out = Stdout::capture;
    Stdin in = Stdin::empty;
    // A child still running after this long is killed and reported so.
    int timeout_seconds = 10;
};

struct Outcome {
    bool exited = false;  // false: ended by a signal
    bool timed_out = false;
    int status = -1;      // exit status, or the signal number
    std::string out;
    std::string err;
};

Outcome run(const Invocation &invocation);

}  // namespace testing_support
