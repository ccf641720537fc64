// vrelo-profile: writes the renderer's own printer profile for a media as
// an ICC file, the profile the renderer uses when none is given; for
// shipping beside the PPD and for colour-managed applications.
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "files.hpp"
#include "print_quality.hpp"
#include "program.hpp"
#include "vrelo417_inks.h"

namespace {

using vrelo_tools::kExitSuccess;
using vrelo_tools::kExitUsage;

const vrelo_tools::ProgramHelp kHelp = {
    "vrelo-profile", "MEDIA FILE.icc",
    "Writes the renderer's own printer profile for MEDIA, plain or photo paper,\n"
    "into FILE.icc: the profile it uses when none is given.\n",
    "the profile cannot be made or written"};

// The renderer names the file it could not write; the reason is errno's.
std::string profile_failure(const char* message) {
    return errno != 0 ? std::string(message) + ": " + std::strerror(errno) : message;
}

}  // namespace

int main(int argc, char** argv) {
    vrelo_tools::Program program(kHelp, argv);
    std::vector<std::string> operands;
    if (!program.parse(argc, argv, nullptr, {"MEDIA", "FILE"}, &operands)) return kExitUsage;
    int media = 0;
    if (!vrelo_tools::parse_media(operands[0].c_str(), &media)) {
        program.usage_error("the media is plain or photo, not '" + operands[0] + "'");
        return kExitUsage;
    }
    // Created here first, so that a file that cannot be is named with why.
    vrelo_tools::OutputFile file;
    std::string error;
    if (!file.open(operands[1], &error) || !file.close(&error)) return program.fail(error);
    char message[VRELO_INKS_MESSAGE_SIZE];
    errno = 0;
    if (vrelo_inks_write_profile(media, operands[1].c_str(), message, sizeof message) !=
        VRELO_INKS_OK)
        return program.fail(profile_failure(message));
    return kExitSuccess;
}
