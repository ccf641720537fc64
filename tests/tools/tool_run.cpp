// Running the programs (see tool_run.hpp).
#include "tool_run.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "temp_files.hpp"

namespace vrelo_test {
namespace {

// No run of a tool in these tests comes near this; a hang ends here.
constexpr int kTimeLimitSeconds = 120;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ToolRun run_command(const std::string& command) {
    const TempDir dir;
    const std::string line = "timeout " + std::to_string(kTimeLimitSeconds) + " " + command + " >" +
                             dir.file("out") + " 2>" + dir.file("err");
    const int status = std::system(line.c_str());
    ToolRun run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = slurp(dir.file("out"));
    run.err = slurp(dir.file("err"));
    return run;
}

ToolRun run_inspect(const std::string& arguments) {
    return run_command(std::string(VRELO_INSPECT_PATH) + " " + arguments);
}

}  // namespace vrelo_test
