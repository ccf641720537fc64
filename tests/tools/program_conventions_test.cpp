// Every program as a user meets it: --help and --version, a wrong command
// line answered in getopt_long's words with the usage status, and each
// failure told with the program, the file and the reason, under the one
// failure status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "program.hpp"
#include "raster_fixture.hpp"
#include "tool_run.hpp"
#include "vrelo417.h"

namespace {

using vrelo_test::ToolRun;
using vrelo_tools::kExitFailure;
using vrelo_tools::kExitSuccess;
using vrelo_tools::kExitUsage;

struct Tool {
    std::string name;  // as its messages give it
    std::string path;
};

// The example names itself by argv[0], as a C program does.
const std::vector<Tool> kTools = {
    {"vrelo-print", VRELO_PRINT_PATH},        {"vrelo-inspect", VRELO_INSPECT_PATH},
    {"vrelo-profile", VRELO_PROFILE_PATH},    {"rastertovrelo", VRELO_FILTER_PATH},
    {VRELO_EXAMPLE_PATH, VRELO_EXAMPLE_PATH},
};

ToolRun run(const Tool& tool, const std::string& arguments) {
    return vrelo_test::run_command(tool.path + " " + arguments);
}

std::string try_help(const std::string& name) {
    return "Try '" + name + " --help' for more information.\n";
}

TEST(ProgramConventions, HelpAndVersionGoToStandardOutput) {
    for (const Tool& tool : kTools) {
        const ToolRun help = run(tool, "--help");
        EXPECT_EQ(help.exitStatus, kExitSuccess) << tool.name;
        EXPECT_EQ(help.out.rfind("Usage: " + tool.name + " ", 0), 0u) << help.out;
        // The statuses it documents are the ones every program uses.
        for (const int status : {kExitSuccess, kExitFailure, kExitUsage})
            EXPECT_NE(help.out.find("\n  " + std::to_string(status) + "  "), std::string::npos)
                << tool.name << " --help leaves out exit status " << status;
        EXPECT_EQ(help.err, "") << tool.name;
        const ToolRun version = run(tool, "--version");
        EXPECT_EQ(version.exitStatus, kExitSuccess) << tool.name;
        EXPECT_EQ(version.out, tool.name + " (vrelo417) " VRELO_VERSION_STRING "\n");
    }
}

#ifdef VRELO_PRINTER_APP_PATH
// PAPPL reads the printer application's command line; the rest is ours.
TEST(ProgramConventions, ThePrinterApplicationSaysItsVersionAndStatuses) {
    const Tool app = {"vrelo-printer-app", VRELO_PRINTER_APP_PATH};
    EXPECT_EQ(run(app, "--version").out, app.name + " (vrelo417) " VRELO_VERSION_STRING "\n");
    const ToolRun help = run(app, "--help");
    EXPECT_EQ(help.exitStatus, kExitSuccess);
    for (const int status : {kExitSuccess, kExitFailure})
        EXPECT_NE(help.out.find("\n  " + std::to_string(status) + "  "), std::string::npos);
}
#endif

TEST(ProgramConventions, AWrongCommandLineIsAnsweredInGetoptsWords) {
    struct Case {
        const char* program;
        const char* arguments;
        std::string message;  // the first line of standard error, after "NAME: "
    };
    const std::vector<Case> cases = {
        {"vrelo-print", "--no-such-option x", "unrecognized option '--no-such-option'"},
        {"vrelo-print", "", "missing INPUT operand"},
        {"vrelo-print", "a b", "extra operand 'b'"},
        {"vrelo-print", "--quality best x", "--quality takes draft, normal or high, not 'best'"},
        {"vrelo-print", "--resolution 0 x", "--resolution takes a number from 1 to 32767, not '0'"},
        {"vrelo-print", "x -o", "option requires an argument -- 'o'"},
        {"vrelo-inspect", "--json=yes x", "option '--json' doesn't allow an argument"},
        {"vrelo-inspect", "--scale 0 x", "--scale takes a number from 1 to 100000, not '0'"},
        {"vrelo-inspect", "--delays 1,2 x",
         "--delays needs six numbers, one per colour K Y M C m c, not '1,2'"},
        {"vrelo-profile", "glossy out.icc", "the media is plain or photo, not 'glossy'"},
        {"vrelo-profile", "plain", "missing FILE operand"},
        {"rastertovrelo", "--no-such-option", "unrecognized option '--no-such-option'"},
        {"rastertovrelo", "1 user title",
         "expected JOB-ID USER TITLE COPIES OPTIONS [FILE], not 3 arguments"},
        {VRELO_EXAMPLE_PATH, "a b", "expected one FILE"},
    };
    for (const Case& c : cases) {
        const Tool* tool = nullptr;
        for (const Tool& t : kTools)
            if (t.name == c.program) tool = &t;
        ASSERT_NE(tool, nullptr) << c.program;
        const ToolRun wrong = run(*tool, c.arguments);
        EXPECT_EQ(wrong.exitStatus, kExitUsage) << c.program << " " << c.arguments;
        EXPECT_EQ(wrong.err, tool->name + ": " + c.message + "\n" + try_help(tool->name));
        EXPECT_EQ(wrong.out, "") << c.program << " " << c.arguments;
    }
}

class ProgramFailures : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(mkdir(dir_.c_str(), 0700), 0) << dir_;
        vrelo_test::write_file(notAFolder_, {'x'});
        std::mt19937 rng(3);
        vrelo_test::write_raster(raster_, {vrelo_test::random_plane_page(rng, 64, 20, 1)},
                                 CUPS_CSPACE_KCMYcm, CUPS_ORDER_CHUNKED, 720, 720);
        ASSERT_EQ(run(kTools[0], "--quiet -o " + stream_ + " " + raster_).exitStatus, 0);
    }
    void TearDown() override { vrelo_test::run_command("rm -rf " + dir_); }

    const std::string dir_ = vrelo_test::temp_path("files");
    const std::string missing_ = dir_ + "/missing";
    const std::string notAFolder_ = dir_ + "/file";
    const std::string raster_ = dir_ + "/page.ras";
    const std::string stream_ = dir_ + "/page.prn";
};

// Each failure: the status, and its message with the program, the file and
// the reason as the system gives it.
TEST_F(ProgramFailures, NameTheProgramTheFileAndTheReason) {
    struct Case {
        size_t tool;  // in kTools
        std::string arguments;
        std::string message;  // on standard error
    };
    const std::string noFile = std::strerror(ENOENT), folder = std::strerror(EISDIR),
                      full = std::strerror(ENOSPC), notFolder = std::strerror(ENOTDIR);
    const std::vector<Case> cases = {
        {0, missing_, "vrelo-print: cannot open " + missing_ + ": " + noFile},
        {0, dir_, "vrelo-print: cannot read " + dir_ + ": " + folder},
        {0, "-o " + missing_ + "/out.prn " + raster_,
         "vrelo-print: cannot create " + missing_ + "/out.prn: " + noFile},
        {0, "-o /dev/full " + raster_, "vrelo-print: cannot write /dev/full: " + full},
        {0, "--prologue " + missing_ + " " + raster_,
         "vrelo-print: cannot open " + missing_ + ": " + noFile},
        {0, "- <" + stream_, "vrelo-print: standard input is not a CUPS raster stream"},
        {1, missing_, "vrelo-inspect: cannot open " + missing_ + ": " + noFile},
        {1, dir_, "vrelo-inspect: cannot read " + dir_ + ": " + folder},
        {1, "--compare " + missing_ + " " + stream_,
         "vrelo-inspect: cannot open " + missing_ + ": " + noFile},
        {1, "--png /dev/full " + stream_, "vrelo-inspect: cannot write /dev/full: " + full},
        {1, "-c '" + kTools[1].path + " " + stream_ + " >/dev/full'",
         "vrelo-inspect: cannot write standard output: " + full},
        {1, "--planes " + notAFolder_ + "/planes " + stream_,
         "vrelo-inspect: cannot create the folder " + notAFolder_ + "/planes: " + notFolder},
        {2, "plain " + missing_ + "/out.icc",
         "vrelo-profile: cannot create " + missing_ + "/out.icc: " + noFile},
        {3, "1 user title 1 '' " + missing_, "ERROR: cannot open " + missing_ + ": " + noFile},
        {3, "1 user title 1 '' " + stream_, "ERROR: " + stream_ + " is not a CUPS raster stream"},
        {4, missing_ + "/out.prn",
         VRELO_EXAMPLE_PATH ": cannot create " + missing_ + "/out.prn: " + noFile},
    };
    for (const Case& c : cases) {
        // A shell's -c runs the program with its standard output redirected.
        const ToolRun failed = c.arguments.compare(0, 3, "-c ") == 0
                                   ? vrelo_test::run_command("sh " + c.arguments)
                                   : run(kTools[c.tool], c.arguments);
        EXPECT_EQ(failed.exitStatus, kExitFailure) << kTools[c.tool].name << " " << c.arguments;
        EXPECT_NE(failed.err.find(c.message + "\n"), std::string::npos)
            << "wanted: " << c.message << "\ngot: " << failed.err;
    }
}

TEST_F(ProgramFailures, PlanesGoIntoAFolderMadeWhereMissing) {
    const std::string planes = dir_ + "/made/planes";
    ASSERT_EQ(run(kTools[1], "--planes " + planes + " " + stream_).exitStatus, kExitSuccess);
    EXPECT_FALSE(vrelo_test::read_file(planes + "/page-1-black.png").empty());
}

}  // namespace
