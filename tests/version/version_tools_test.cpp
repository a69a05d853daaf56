// The version tools, run as users and scripts run them.
#include "run_process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include <unistd.h>

namespace {

using testing_support::Invocation;
using testing_support::Outcome;
using testing_support::run;
using testing_support::Stdout;
namespace fs = std::filesystem;

const std::string client_tool = QUARN2_TOOL;
const std::string vadel_tool = VADEL_TOOL;
// The line of the stand-in client library and its counting variant.
const std::string standin_line = std::string("QUARN-client-") + QUARN2_STANDIN_TEXT + "\n";
const std::string vadel_line = std::string("quarn-vadel--") + VADEL_VERSION + "\n";

// A libquarn2.so.2 variant, found ahead of the program's own run path.
std::string with_client_library(const std::string &variant)
{
    return "LD_LIBRARY_PATH=" + std::string(QUARN2_VARIANTS) + "/" + variant;
}

// A copy of a tool in a folder of its own, where its run path leads nowhere.
class CopiedTool : public testing::Test {
protected:
    void SetUp() override
    {
        if (!BUILT_AGAINST_STANDINS) {
            GTEST_SKIP() << "installed libraries are found wherever the program is";
        }
        folder_ = fs::temp_directory_path() / ("version-tools-" + std::to_string(::getpid()));
        fs::create_directories(folder_ / "bin");
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string copy(const std::string &tool)
    {
        const fs::path target = folder_ / "bin" / fs::path(tool).filename();
        fs::copy_file(tool, target, fs::copy_options::overwrite_existing);
        return target;
    }

    fs::path folder_;
};

struct Arguments {
    const char *name;
    std::vector<std::string> args;
    friend void PrintTo(const Arguments &a, std::ostream *os) { *os << a.name; }
};

class AnyArguments : public testing::TestWithParam<Arguments> {};

TEST_P(AnyArguments, PrintExactlyTheLineAndNothingElse)
{
    const Outcome client = run({client_tool, GetParam().args, {}});
    EXPECT_TRUE(client.exited);
    EXPECT_EQ(client.status, 0);
    if (BUILT_AGAINST_STANDINS) {
        EXPECT_EQ(client.out, standin_line);
    } else {
        // An installed client library's text is its own; the line's form is not.
        EXPECT_THAT(client.out, testing::MatchesRegex("QUARN-client-[^\n]*\n"));
    }
    EXPECT_EQ(client.err, "");

    const Outcome vadel = run({vadel_tool, GetParam().args, {}});
    EXPECT_TRUE(vadel.exited);
    EXPECT_EQ(vadel.status, 0);
    EXPECT_EQ(vadel.out, vadel_line);
    EXPECT_EQ(vadel.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    VersionTools, AnyArguments,
    testing::Values(Arguments{"none", {}}, Arguments{"help", {"--help"}},
                    Arguments{"version", {"--version", "-v"}},
                    Arguments{"words", {"list", "all", "--", "x y", "%s%n"}},
                    Arguments{"empty", {""}}),
    [](const testing::TestParamInfo<Arguments> &info) { return info.param.name; });

struct ClientLibrary {
    const char *variant;
    std::string line;
    friend void PrintTo(const ClientLibrary &c, std::ostream *os) { *os << c.variant; }
};

class InstalledClientLibrary : public testing::TestWithParam<ClientLibrary> {};

// The line follows the library found at run time, with no rebuild, byte for
// byte.
TEST_P(InstalledClientLibrary, DecidesTheLine)
{
    const Outcome outcome = run({client_tool, {}, {with_client_library(GetParam().variant)}});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, GetParam().line);
    EXPECT_EQ(outcome.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    ClientVersion, InstalledClientLibrary,
    testing::Values(ClientLibrary{"other", "QUARN-client-9.9.9-other build\n"},
                    ClientLibrary{"empty", "QUARN-client-\n"}),
    [](const testing::TestParamInfo<ClientLibrary> &info) { return info.param.variant; });

TEST(ClientVersion, AsksTheLibraryExactlyOnce)
{
    const Outcome outcome = run({client_tool, {"a", "b"}, {with_client_library("counting")}});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, standin_line);
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

TEST_F(CopiedTool, MissingLibrariesStopTheLoader)
{
    struct {
        std::string tool;
        const char *library;
    } cases[] = {{client_tool, "libquarn2.so.2"}, {vadel_tool, "libquarn_vadel.so.1"}};
    for (const auto &c : cases) {
        const Outcome outcome = run({copy(c.tool), {}, {"LD_LIBRARY_PATH="}});
        EXPECT_TRUE(outcome.exited);
        EXPECT_EQ(outcome.status, 127) << c.tool;
        EXPECT_EQ(outcome.out, "") << c.tool;
        EXPECT_NE(outcome.err.find(std::string(c.library) + ": cannot open shared object file"),
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
        const Outcome outcome = run({tool.tool, {}, {}, GetParam().out});
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
