// Exit statuses, messages, --help and --version (see program.hpp).
#include "program.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "files.hpp"
#include "vrelo417.h"  // VRELO_VERSION_STRING

namespace vrelo_tools {
namespace {

// getopt_long's answers for the two options every program takes: past
// any character, so that no short option can be taken for them.
constexpr int kHelpOption = 0x100;
constexpr int kVersionOption = 0x101;

}  // namespace

Program::Program(const ProgramHelp& help, char** argv, const char* shortOptions,
                 const option* longOptions)
    : help_(help), shortOptions_(shortOptions) {
    argv[0] = const_cast<char*>(help_.name);
    for (const option* o = longOptions; o != nullptr && o->name != nullptr; ++o)
        longOptions_.push_back(*o);
    longOptions_.push_back({"help", no_argument, nullptr, kHelpOption});
    longOptions_.push_back({"version", no_argument, nullptr, kVersionOption});
    longOptions_.push_back({nullptr, 0, nullptr, 0});
}

int Program::next_option(int argc, char** argv) {
    const int c = getopt_long(argc, argv, shortOptions_.c_str(), longOptions_.data(), nullptr);
    if (c == kHelpOption || c == kVersionOption) {
        if (c == kHelpOption)
            print_help();
        else
            print_version(name());
        std::exit(finish(kExitSuccess));
    }
    if (c == '?') std::fprintf(stderr, "Try '%s --help' for more information.\n", name());
    return c;
}

bool Program::operands(int argc, char** argv, const std::vector<const char*>& names,
                       std::vector<std::string>* values) const {
    const size_t given = static_cast<size_t>(argc - optind);
    if (given < names.size())
        return usage_error(std::string("missing ") + names[given] + " operand");
    if (given > names.size())
        return usage_error(std::string("extra operand '") +
                           argv[optind + static_cast<int>(names.size())] + "'");
    values->assign(argv + optind, argv + argc);
    return true;
}

bool Program::parse(int argc, char** argv, const TakeOption& take,
                    const std::vector<const char*>& names, std::vector<std::string>* values) {
    std::string error;
    for (int c; (c = next_option(argc, argv)) != -1;)
        if (!take || !take(c, optarg, &error)) return error.empty() ? false : usage_error(error);
    return operands(argc, argv, names, values);
}

bool Program::usage_error(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", name(), message.c_str(),
                 name());
    return false;
}

int Program::fail(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\n", name(), message.c_str());
    return kExitFailure;
}

int Program::finish(int status) const {
    errno = 0;
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return status;
    if (errno == 0) errno = EIO;  // the error flag of a write before
    return fail(file_error("write", output_name("-")));
}

void Program::print_help() const {
    std::printf(
        "Usage: %s %s\n%s\n"
        "      --help              display this help and exit\n"
        "      --version           output version information and exit\n"
        "\n"
        "Exit status:\n"
        "  %d  on success\n"
        "  %d  when %s\n"
        "  %d  when the command line is wrong\n",
        name(), help_.synopsis, help_.text, kExitSuccess, kExitFailure, help_.failure, kExitUsage);
}

void print_version(const char* name) {
    std::printf("%s (vrelo417) %s\n", name, VRELO_VERSION_STRING);
}

}  // namespace vrelo_tools
