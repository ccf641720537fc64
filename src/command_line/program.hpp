// How every program of the project meets its user, as common Unix tools
// do: one table of exit statuses, messages that start with the program's
// name, --help and --version, and a wrong command line answered in
// getopt_long's words with a pointer to --help.
#ifndef VRELO_COMMAND_LINE_PROGRAM_HPP
#define VRELO_COMMAND_LINE_PROGRAM_HPP

#include <getopt.h>

#include <functional>
#include <string>
#include <vector>

namespace vrelo_tools {

// The exit status of every program: the same failure, the same status.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitFailure = 1,  // an input unreadable or refused, an output not written, a job failed
    kExitUsage = 2,    // a wrong command line
};

// What --help says of a program. Option lines start with two spaces and
// give the option 24 columns, as the lines of --help and --version do.
struct ProgramHelp {
    const char* name;      // "vrelo-print"
    const char* synopsis;  // after the name: "[OPTION]... INPUT"
    const char* text;      // what it does and its options, lines ending in \n
    // When it exits with kExitFailure: "a file cannot be read"; a line
    // after the first starts with five spaces.
    const char* failure;
};

// "NAME (vrelo417) VERSION" on standard output.
void print_version(const char* name);

class Program {
  public:
    // The program's own options for getopt_long (shortOptions, and
    // longOptions up to its null entry); --help and --version are added.
    // The name goes into argv[0], where getopt_long finds the name for its
    // own messages.
    Program(const ProgramHelp& help, char** argv, const char* shortOptions = "",
            const option* longOptions = nullptr);

    const char* name() const { return help_.name; }

    // The next option, as getopt_long gives it; -1 after the last. --help
    // and --version are answered here, and the program exits with
    // kExitSuccess. After a wrong option getopt_long has said what is
    // wrong; the pointer to --help follows and '?' comes back.
    int next_option(int argc, char** argv);

    // The operands after the options: exactly one per name given, else a
    // usage error ("missing INPUT operand", "extra operand 'x'").
    bool operands(int argc, char** argv, const std::vector<const char*>& names,
                  std::vector<std::string>* values) const;

    // Takes an option's value: false, with *error for a value it refuses,
    // or without for an option getopt_long has already refused.
    using TakeOption = std::function<bool(int option, const char* value, std::string* error)>;
    // The whole command line: every option through take (none taken when
    // it is empty), then the operands. False once the usage error is told.
    bool parse(int argc, char** argv, const TakeOption& take, const std::vector<const char*>& names,
               std::vector<std::string>* values);

    // "NAME: message" and the pointer to --help on standard error; false,
    // for the caller to pass on until main returns kExitUsage.
    bool usage_error(const std::string& message) const;
    // "NAME: message" on standard error; kExitFailure.
    int fail(const std::string& message) const;
    // The status to exit with: status, unless what went to standard output
    // could not all be written (then said, and kExitFailure).
    int finish(int status) const;

    void print_help() const;

  private:
    ProgramHelp help_;
    std::string shortOptions_;
    std::vector<option> longOptions_;
};

}  // namespace vrelo_tools

#endif
