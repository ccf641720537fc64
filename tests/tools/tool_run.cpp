// Running the programs (see tool_run.hpp).
#include "tool_run.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

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
    const std::string base = "/tmp/vrelo-run-" + std::to_string(getpid());
    const std::string line = "timeout " + std::to_string(kTimeLimitSeconds) + " " + command +
                             " >" + base + ".out 2>" + base + ".err";
    const int status = std::system(line.c_str());
    ToolRun run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = slurp(base + ".out");
    run.err = slurp(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return run;
}

ToolRun run_inspect(const std::string& arguments) {
    return run_command(std::string(VRELO_INSPECT_PATH) + " " + arguments);
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> read_file(const std::string& path) {
    const std::string text = slurp(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace vrelo_test
