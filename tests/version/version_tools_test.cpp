// SPDX-License-Identifier: MIT
// The version tools, run as users and scripts run them.
#include "run_process.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using testing_support::Invocation;
using testing_support::Outcome;
using testing_support::run;
using testing_support::Stdin;
using testing_support::Stdout;

const std::string client_tool = QUARN2_TOOL;
const std::string vadel_tool = VADEL_TOOL;
// What this build was configured to report; that a plain build reports the
// documented 1.24.3 is shown by a plain build of its own.
const std::string vadel_line = std::string("quarn-vadel--") + VADEL_VERSION + "\n";

// A libquarn2.so.2 variant, found ahead of any other.
std::string with_client_library(const std::string &variant)
{
    return "LD_LIBRARY_PATH=" + std::string(QUARN2_VARIANTS) + "/" + variant;
}
// The client library that reports "2.0.0", whatever the build links against.
const std::string documented_client = with_client_library("documented");
const std::string documented_line = "QUARN-client-2.0.0\n";

void expect_only_the_line(const Outcome &outcome, const std::string &line)
{
    EXPECT_FALSE(outcome.timed_out) << "still running after its line";
    EXPECT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, line);
    EXPECT_EQ(outcome.err, "");
}

struct Arguments {
    const char *name;
    std::vector<std::string> args;
    friend void PrintTo(const Arguments &a, std::ostream *os) { *os << a.name; }
};

class AnyArguments : public testing::TestWithParam<Arguments> {};

TEST_P(AnyArguments, PrintExactlyTheLineAndNothingElse)
{
    expect_only_the_line(run({client_tool, GetParam().args, {documented_client}}), documented_line);
    expect_only_the_line(run({vadel_tool, GetParam().args, {}}), vadel_line);
}

INSTANTIATE_TEST_SUITE_P(
    VersionTools, AnyArguments,
    testing::Values(Arguments{"none", {}}, Arguments{"help", {"--help"}},
                    Arguments{"version", {"--version", "-v"}},
                    Arguments{"words", {"list", "all", "--", "x y", "%s%n"}},
                    Arguments{"empty", {""}}),
    [](const testing::TestParamInfo<Arguments> &info) { return info.param.name; });

struct Input {
    const char *name;
    Stdin in;
    friend void PrintTo(const Input &i, std::ostream *os) { *os << i.name; }
};

class AnyInput : public testing::TestWithParam<Input> {};

// The tools read nothing: an input that never ends does not hold them up,
// and none at all does not trouble them.
TEST_P(AnyInput, IsNeverRead)
{
    Invocation client{client_tool, {}, {documented_client}};
    client.in = GetParam().in;
    client.timeout_seconds = 5;
    expect_only_the_line(run(client), documented_line);

    Invocation vadel{vadel_tool, {}, {}};
    vadel.in = GetParam().in;
    vadel.timeout_seconds = 5;
    expect_only_the_line(run(vadel), vadel_line);
}

INSTANTIATE_TEST_SUITE_P(VersionTools, AnyInput,
                         testing::Values(Input{"endless", Stdin::endless}, Input{"closed", Stdin::closed},
                                         Input{"empty", Stdin::empty}),
                         [](const testing::TestParamInfo<Input> &info) { return info.param.name; });

struct ClientLibrary {
    const char *variant;
    std::string line;
    friend void PrintTo(const ClientLibrary &c, std::ostream *os) { *os << c.variant; }
};

class InstalledClientLibrary : public testing::TestWithParam<ClientLibrary> {};

// The line follows the library found at run time, with no rebuild, byte for
// byte: no text is trimmed, quoted or read as a format.
TEST_P(InstalledClientLibrary, DecidesTheLine)
{
    expect_only_the_line(run({client_tool, {}, {with_client_library(GetParam().variant)}}), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    ClientVersion, InstalledClientLibrary,
    testing::Values(ClientLibrary{"other", "QUARN-client-9.9.9-other build\n"},
                    ClientLibrary{"empty", "QUARN-client-\n"},
                    ClientLibrary{"conversions", "QUARN-client-%s%n%d%%%99999x %p\n"},
                    ClientLibrary{"long", "QUARN-client-" + [] {
                        std::string text;
                        for (int i = 0; i < 1000; ++i) {
                            text += "0123456789";
                        }
                        return text;
                    }() + "\n"}),
    [](const testing::TestParamInfo<ClientLibrary> &info) { return info.param.variant; });

TEST(ClientVersion, AsksTheLibraryExactlyOnce)
{
    const Outcome outcome = run({client_tool, {"a", "b"}, {with_client_library("counting")}});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "QUARN-client-counted\n");
    EXPECT_EQ(outcome.err, "quarn2 stand-in: 1 call(s)\n");
}

TEST(ClientVersion, NullTextIsABrokenLibraryNotAVersion)
{
    const Outcome outcome = run({client_tool, {}, {with_client_library("null")}});
    EXPECT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "quarn2_version: libquarn2.so.2 returned no version text\n");
}

TEST(ClientVersion, LibraryWithoutTheFunctionStopsTheLoader)
{
    const Outcome outcome = run({client_tool, {}, {with_client_library("without-function")}});
    EXPECT_NE(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("undefined symbol: quarn2_version"), std::string::npos) << outcome.err;
}

TEST(VadelVersion, FollowsThePackageVersionOfTheBuild)
{
    expect_only_the_line(run({VADEL_TOOL_7, {}, {}}), "quarn-vadel--7.0.1~rc2\n");
}

// A loader that finds neither library anywhere (run path, LD_LIBRARY_PATH,
// the system's folders), whatever is installed here.
TEST(VersionTools, MissingLibrariesStopTheLoader)
{
    const struct {
        std::string tool;
        const char *library;
    } cases[] = {{client_tool, "libquarn2.so.2"}, {vadel_tool, "libquarn_vadel.so.1"}};
    for (const auto &c : cases) {
        const Outcome outcome = run({c.tool, {}, {"LD_AUDIT=" HIDE_LIBRARIES, documented_client}});
        EXPECT_TRUE(outcome.exited);
        EXPECT_EQ(outcome.status, 127) << c.tool;
        EXPECT_EQ(outcome.out, "") << c.tool;
        EXPECT_NE(outcome.err.find(std::string("error while loading shared libraries: ") + c.library +
                                   ": cannot open shared object file"),
                  std::string::npos)
            << outcome.err;
    }
}

struct WriteFailure {
    const char *name;
    Stdout out;
    const char *reason;
    friend void PrintTo(const WriteFailure &w, std::ostream *os) { *os << w.name; }
};

class UnwritableOutput : public testing::TestWithParam<WriteFailure> {};

// A line that never reached its reader is reported, never passed as success.
TEST_P(UnwritableOutput, FailsWithTheReason)
{
    const struct {
        std::string tool;
        const char *name;
    } tools[] = {{client_tool, "quarn2_version"}, {vadel_tool, "quarn_vadel_version"}};
    for (const auto &tool : tools) {
        Invocation invocation{tool.tool, {}, {documented_client}};
        invocation.out = GetParam().out;
        const Outcome outcome = run(invocation);
        EXPECT_TRUE(outcome.exited);
        EXPECT_EQ(outcome.status, 1) << tool.name;
        EXPECT_EQ(outcome.err, std::string(tool.name) + ": write error: " + GetParam().reason + "\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    VersionTools, UnwritableOutput,
    testing::Values(WriteFailure{"full", Stdout::dev_full, "No space left on device"},
                    WriteFailure{"closed", Stdout::closed, "Bad file descriptor"}),
    [](const testing::TestParamInfo<WriteFailure> &info) { return info.param.name; });

}  // namespace
