// Runs the project's programs as a user would, for the tools' tests: the
// exit status (or -1 for a signal, 124 for a hang) and what they printed.
#ifndef VRELO_TEST_TOOL_RUN_HPP
#define VRELO_TEST_TOOL_RUN_HPP

#include <cstdint>
#include <string>
#include <vector>

#include "temp_files.hpp"

namespace vrelo_test {

struct ToolRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs the shell command with a time limit, capturing both outputs.
ToolRun run_command(const std::string& command);
// vrelo-inspect with these arguments.
ToolRun run_inspect(const std::string& arguments);

}  // namespace vrelo_test

#endif
