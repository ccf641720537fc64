// The printer-ready stream passed through (see raw_stream.hpp).
#include "raw_stream.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "printer_turn.hpp"

namespace vrelo_app {
namespace {

constexpr size_t kCopyBytes = 64 * 1024;

}  // namespace

bool print_stream_file(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t* given) {
    PrinterTurn turn(job);
    if (turn.printed_before()) return true;
    pappl_device_t* device = turn.device(given);
    if (device == nullptr) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The printer's device could not be opened.");
        return false;
    }
    const char* filename = papplJobGetFilename(job);
    if (filename == nullptr) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The job has no document.");
        return false;
    }
    const int fd = open(filename, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Unable to open '%s': %s", filename,
                    std::strerror(errno));
        return false;
    }
    std::vector<char> buffer(kCopyBytes);
    ssize_t got = 0;
    bool sent = true;
    while (sent && !papplJobIsCanceled(job) &&
           ((got = read(fd, buffer.data(), buffer.size())) > 0 || (got < 0 && errno == EINTR)))
        if (got > 0) sent = papplDeviceWrite(device, buffer.data(), static_cast<size_t>(got)) >= 0;
    const int readError = got < 0 ? errno : 0;
    close(fd);
    if (!sent)
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The stream could not be written to the device.");
    if (readError != 0)
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Unable to read '%s': %s", filename,
                    std::strerror(readError));
    return sent && readError == 0;
}

}  // namespace vrelo_app
