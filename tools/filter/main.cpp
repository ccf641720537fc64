// rastertovrelo: the CUPS filter of this printer. CUPS runs it as
//   rastertovrelo job user title copies options [file]
// with CUPS raster on the file or standard input; the printer stream goes
// to standard output, and INFO:, PAGE: and ERROR: lines to standard error
// for the scheduler. Pages of dots (Draft quality: Ghostscript's) go to the
// library as they are; contone pages (Normal and High) through the
// renderer, with the printer profile the PPD's cupsICCProfile entries name
// for the page's media and resolution, or the renderer's own. SIGTERM (a
// cancelled job) ends the page in progress, so the printer is left at a
// page boundary.
#include <cups/cups.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "files.hpp"
#include "ppd_profiles.hpp"
#include "program.hpp"
#include "raster_printing.hpp"
#include "vrelo417_inks.h"

namespace {

using vrelo_tools::kExitFailure;
using vrelo_tools::kExitSuccess;
using vrelo_tools::kExitUsage;

const vrelo_tools::ProgramHelp kHelp = {
    "rastertovrelo", "JOB-ID USER TITLE COPIES OPTIONS [FILE]",
    "The CUPS filter of this printer: prints the CUPS raster of FILE (or of\n"
    "standard input) into the printer's command stream on standard output, with\n"
    "INFO:, PAGE: and ERROR: lines for the scheduler on standard error. CUPS runs\n"
    "it; OPTIONS may hold CarryOver=True, and the PPD's cupsICCProfile entries\n"
    "name the printer profiles.\n",
    "the job fails (CUPS then stops it and shows the ERROR: line)"};

volatile std::sig_atomic_t cancelled = 0;

void on_terminate(int) {
    cancelled = 1;
}

// No SA_RESTART: a read waiting for raster returns, so the job stops
// between lines.
void catch_terminate() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = on_terminate;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGTERM, &action, nullptr) != 0)
        std::fprintf(stderr, "WARNING: a cancelled job cannot end its page: %s\n",
                     std::strerror(errno));
}

// The job's options, as the PPD's choices arrive: CarryOver=True carries
// the rows still due at a page end over to the next page.
vrelo_tools::PrintOptions job_options(const char* text) {
    cups_option_t* options = nullptr;
    const int count = cupsParseOptions(text, 0, &options);
    vrelo_tools::PrintOptions print;
    const char* carry = cupsGetOption("CarryOver", count, options);
    print.carryOver =
        carry != nullptr && (strcasecmp(carry, "true") == 0 || strcasecmp(carry, "yes") == 0 ||
                             strcasecmp(carry, "on") == 0);
    cupsFreeOptions(count, options);
    // The PPD CUPS gives the filter names the printer profiles.
    const char* ppd = std::getenv("PPD");
    std::vector<uint8_t> ppdText;
    std::string error;
    if (ppd == nullptr) return print;
    if (!vrelo_tools::read_whole_input(ppd, &ppdText, &error)) {
        std::fprintf(stderr, "WARNING: %s; the renderer's own printer profiles are used\n",
                     error.c_str());
        return print;
    }
    const auto entries = vrelo_filter::ppd_profiles(std::string(ppdText.begin(), ppdText.end()));
    // CUPS tells its filters where its data is; Debian's place otherwise.
    const char* data = std::getenv("CUPS_DATADIR");
    const std::string dataDir = data != nullptr ? data : "/usr/share/cups";
    print.printerProfile = [entries, dataDir](const vrelo_tools::RasterFormat& page) {
        return vrelo_filter::profile_for(entries, page, dataDir);
    };
    return print;
}

// The page's stream to the scheduler, unbuffered: nothing of it waits in
// the filter when the job is cancelled.
bool write_all(const std::vector<uint8_t>& bytes, std::string* error) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = write(STDOUT_FILENO, bytes.data() + sent, bytes.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            *error = vrelo_tools::file_error("write", vrelo_tools::output_name("-"));
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Each message for the scheduler on its own line: "ERROR: ...".
int job_error(const std::string& message) {
    std::fprintf(stderr, "ERROR: %s\n", message.c_str());
    return kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    vrelo_tools::Program program(kHelp, argv);
    // CUPS gives five or six arguments, any of which may start with '-' (a
    // title): only a lone argument is read as an option.
    if (argc == 2 && program.next_option(argc, argv) == '?') return kExitUsage;
    if (argc != 6 && argc != 7) {
        program.usage_error("expected JOB-ID USER TITLE COPIES OPTIONS [FILE], not " +
                            std::to_string(argc - 1) + " argument" + (argc == 2 ? "" : "s"));
        return kExitUsage;
    }
    catch_terminate();
    const std::string input = vrelo_tools::input_name(argc == 7 ? argv[6] : "-");
    const int fd = argc == 7 ? open(argv[6], O_RDONLY | O_CLOEXEC) : STDIN_FILENO;
    if (fd < 0) return job_error(vrelo_tools::file_error("open", input));
    vrelo_tools::RasterInput raster(fd);
    raster.set_cancel(&cancelled);
    if (!raster.opened()) return job_error(raster.not_raster(input));
    vrelo_tools::PrintEvents events;
    events.pageBegins = [](int page, const vrelo_tools::RasterFormat& f) {
        std::fprintf(stderr, "INFO: Printing page %d, %ux%u dpi, %d bit%s%s\n", page, f.resX,
                     f.resY, f.bits, f.bits == 1 ? "" : "s",
                     !f.contone                    ? ""
                     : f.media == VRELO_INKS_PHOTO ? ", rendered for photo paper"
                                                   : ", rendered for plain paper");
    };
    events.pageEnded = [](int page, const std::vector<uint8_t>& bytes, std::string* error) {
        if (!write_all(bytes, error)) return false;
        std::fprintf(stderr, "PAGE: %d 1\n", page);
        return true;
    };
    const vrelo_tools::PrintResult result =
        vrelo_tools::print_raster(raster, job_options(argv[5]), events, &cancelled);
    if (fd != STDIN_FILENO) close(fd);
    if (!result.error.empty()) return job_error(result.error);
    if (result.pagesSent == 0 && !result.cancelled) return job_error("No pages found");
    std::fputs(result.cancelled ? "INFO: Job cancelled\n" : "INFO: Ready to print\n", stderr);
    return kExitSuccess;
}
