// SPDX-License-Identifier: MIT
#include "run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>

extern char **environ;

namespace testing_support {
namespace {

void check(int result, const char *what)
{
    if (result != 0) {
        throw std::runtime_error(std::string(what) + ": " + std::strerror(result));
    }
}

std::vector<std::string> merged_environment(const std::vector<std::string> &overrides)
{
    std::vector<std::string> env;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string item = *entry;
        bool replaced = false;
        for (const auto &over : overrides) {
            const auto name = over.substr(0, over.find('=') + 1);
            replaced = replaced || item.compare(0, name.size(), name) == 0;
        }
        if (!replaced) {
            env.push_back(item);
        }
    }
    env.insert(env.end(), overrides.begin(), overrides.end());
    return env;
}

std::vector<char *> pointers(std::vector<std::string> &strings)
{
    std::vector<char *> result;
    for (auto &s : strings) {
        result.push_back(s.data());
    }
    result.push_back(nullptr);
    return result;
}

// Reads both pipes to their end, whichever the child fills first. Past the
// deadline the child is killed, which closes them.
bool drain(pid_t pid, int timeout_seconds, int out_fd, int err_fd, std::string &out, std::string &err)
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::seconds(timeout_seconds);
    bool killed = false;
    pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    std::string *sinks[2] = {&out, &err};
    int open_count = (out_fd >= 0) + (err_fd >= 0);
    while (open_count > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        const int ready = poll(fds, 2, killed ? -1 : static_cast<int>(std::max<long long>(left.count(), 0)));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error("poll failed");
        }
        if (ready == 0) {
            kill(pid, SIGKILL);
            killed = true;
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            }
        }
    }
    return killed;
}

}  // namespace

Outcome run(const Invocation &invocation)
{
    int out_pipe[2] = {-1, -1};
    int err_pipe[2];
    if (invocation.out == Stdout::capture && pipe2(out_pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    if (pipe2(err_pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }

    posix_spawn_file_actions_t actions;
    check(posix_spawn_file_actions_init(&actions), "file actions");
    switch (invocation.out) {
    case Stdout::capture:
        check(posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1), "dup2 stdout");
        break;
    case Stdout::dev_full:
        check(posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0), "open /dev/full");
        break;
    case Stdout::closed:
        check(posix_spawn_file_actions_addclose(&actions, 1), "close stdout");
        break;
    }
    check(posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2), "dup2 stderr");
    // The write end of an endless input stays with the parent, open and
    // silent, until the child is gone.
    int in_pipe[2] = {-1, -1};
    switch (invocation.in) {
    case Stdin::empty:
        check(posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0), "open /dev/null");
        break;
    case Stdin::endless:
        if (pipe2(in_pipe, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        check(posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0), "dup2 stdin");
        break;
    case Stdin::closed:
        check(posix_spawn_file_actions_addclose(&actions, 0), "close stdin");
        break;
    }

    std::vector<std::string> argv_strings{invocation.program};
    argv_strings.insert(argv_strings.end(), invocation.args.begin(), invocation.args.end());
    auto env_strings = merged_environment(invocation.env);
    auto argv = pointers(argv_strings);
    auto envp = pointers(env_strings);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, invocation.program.c_str(), &actions, nullptr,
                                    argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (out_pipe[1] >= 0) {
        close(out_pipe[1]);
    }
    close(err_pipe[1]);
    if (in_pipe[0] >= 0) {
        close(in_pipe[0]);
    }
    check(spawned, invocation.program.c_str());

    Outcome outcome;
    outcome.timed_out = drain(pid, invocation.timeout_seconds, out_pipe[0], err_pipe[0], outcome.out, outcome.err);
    int wait_status = 0;
    while (waitpid(pid, &wait_status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("waitpid failed");
        }
    }
    if (in_pipe[1] >= 0) {
        close(in_pipe[1]);
    }
    outcome.exited = WIFEXITED(wait_status);
    outcome.status = outcome.exited ? WEXITSTATUS(wait_status) : WTERMSIG(wait_status);
    return outcome;
}

}  // namespace testing_support
