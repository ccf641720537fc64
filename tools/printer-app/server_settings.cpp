// Server settings from options and the usual places (see
// server_settings.hpp).
#include "server_settings.hpp"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vrelo_app {
namespace {

constexpr uint64_t kMebibyte = 1024 * 1024;

// Defaults, one home each: a job's document up to 256 MiB and 500 pages;
// 20 jobs queued per printer and the last 100 remembered.
constexpr uint64_t kDefaultMaxJobMebibytes = 256;
constexpr int kDefaultMaxJobPages = 500;
constexpr int kDefaultMaxActiveJobs = 20;
constexpr int kDefaultMaxCompletedJobs = 100;

constexpr const char* kLoopback = "localhost";

const char* const kHelp =
    "  -o state-directory=DIR   state file (default /var/lib/vrelo-printer-app for root,\n"
    "                           $XDG_STATE_HOME/vrelo-printer-app otherwise)\n"
    "  -o spool-directory=DIR   job files (default /var/spool/vrelo-printer-app for root,\n"
    "                           the state directory's spool/ otherwise)\n"
    "  -o log-file=FILE|-|syslog  (default -, standard error)\n"
    "  -o log-level=fatal|error|warn|info|debug  (default info)\n"
    "  -o listen-hostname=NAME|ADDRESS|*  where IPP and the web pages listen\n"
    "                           (default localhost: this machine only)\n"
    "  -o server-port=N         (default the first free port from 8000 up)\n"
    "  -o server-hostname=NAME  the host name in printer URIs\n"
    "  -o file-directory=DIR    where file: devices may write, for a server run as root\n"
    "                           (default the spool directory's files/)\n"
    "  -o auth-service=NAME|none  PAM service for administration (default vrelo-printer-app)\n"
    "  -o admin-group=GROUP     who may administer (default lpadmin)\n"
    "  -o max-job-size=MIB      largest document (default 256)\n"
    "  -o max-job-pages=N       most pages per job (default 500)\n";

std::string home_state_directory() {
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    if (stateHome != nullptr && *stateHome == '/') return std::string(stateHome) + "/" + kAppName;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "/tmp") + "/.local/state/" + kAppName;
}

void set_defaults(ServerSettings* s) {
    const bool root = geteuid() == 0;
    s->stateDirectory = root ? std::string("/var/lib/") + kAppName : home_state_directory();
    s->spoolDirectory.clear();
    s->logFile = "-";
    s->listenHostname = kLoopback;
    s->authService = kAppName;
    s->adminGroup = "lpadmin";
    s->maxJobBytes = kDefaultMaxJobMebibytes * kMebibyte;
    s->maxJobPages = kDefaultMaxJobPages;
    s->maxActiveJobs = kDefaultMaxActiveJobs;
    s->maxCompletedJobs = kDefaultMaxCompletedJobs;
}

bool positive_number(const char* text, long long largest, long long* value) {
    char* end = nullptr;
    errno = 0;
    *value = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && *value > 0 && *value <= largest;
}

bool log_level(const char* text, pappl_loglevel_t* level) {
    static const struct {
        const char* name;
        pappl_loglevel_t level;
    } kLevels[] = {{"fatal", PAPPL_LOGLEVEL_FATAL},
                   {"error", PAPPL_LOGLEVEL_ERROR},
                   {"warn", PAPPL_LOGLEVEL_WARN},
                   {"info", PAPPL_LOGLEVEL_INFO},
                   {"debug", PAPPL_LOGLEVEL_DEBUG}};
    for (const auto& entry : kLevels)
        if (std::strcmp(text, entry.name) == 0) return (*level = entry.level), true;
    return false;
}

bool absolute_path(const char* text) {
    return text[0] == '/';
}

// One option onto the settings; false with *error when it is refused.
bool apply_option(const char* name, const char* value, ServerSettings* s, std::string* error) {
    long long number = 0;
    const std::string option = name;
    const auto refuse = [&](const std::string& must) {
        *error = "-o " + option + "=" + value + ": " + must;
        return false;
    };
    if (option == "state-directory" || option == "spool-directory" || option == "file-directory") {
        if (!absolute_path(value)) return refuse("must be an absolute path");
        (option == "state-directory"   ? s->stateDirectory
         : option == "spool-directory" ? s->spoolDirectory
                                       : s->fileDirectory) = value;
    } else if (option == "log-file") {
        s->logFile = value;
    } else if (option == "log-level") {
        if (!log_level(value, &s->logLevel))
            return refuse("must be fatal, error, warn, info or debug");
    } else if (option == "listen-hostname") {
        if (!*value) return refuse("must name a host, an address or *");
        s->listenHostname = value;
    } else if (option == "server-port") {
        if (!positive_number(value, 65535, &number)) return refuse("must be a port, 1 to 65535");
        s->port = static_cast<int>(number);
    } else if (option == "server-hostname") {
        s->serverHostname = value;
    } else if (option == "auth-service") {
        if (!*value) return refuse("must name a PAM service, or be none");
        s->authService = value;
    } else if (option == "admin-group") {
        if (!*value) return refuse("must name a group");
        s->adminGroup = value;
    } else if (option == "max-job-size") {
        if (!positive_number(value, 1 << 20, &number))
            return refuse("must be a size in MiB, 1 to 1048576");
        s->maxJobBytes = static_cast<uint64_t>(number) * kMebibyte;
    } else if (option == "max-job-pages") {
        if (!positive_number(value, 1000000, &number))
            return refuse("must be a page count, 1 to 1000000");
        s->maxJobPages = static_cast<int>(number);
    } else if (option == "private-server") {
        // A server a sub-command started for itself: reached only through
        // its local socket, and logging beside its state.
        s->listenHostname.clear();
        if (s->logFile == "-") s->logFile = s->stateDirectory + "/" + kAppName + ".log";
    } else {
        *error = "unknown server option '" + option + "'; the server takes\n" + kHelp;
        return false;
    }
    return true;
}

}  // namespace

std::string ServerSettings::stateFile() const {
    return stateDirectory + "/" + kAppName + ".state";
}

std::string ServerSettings::printerProfile(const std::string& printer, bool photoPaper) const {
    const std::string path =
        stateDirectory + "/profiles/" + printer + (photoPaper ? "-photo.icc" : "-plain.icc");
    return access(path.c_str(), R_OK) == 0 ? path : "";
}

bool ServerSettings::fileDeviceAllowed(const std::string& path) const {
    if (fileDirectory.empty()) return true;
    // The real place: a file that is not there yet by its folder's.
    char real[PATH_MAX];
    std::string resolved;
    if (realpath(path.c_str(), real) != nullptr) {
        resolved = real;
    } else {
        const size_t slash = path.rfind('/');
        const std::string name = path.substr(slash + 1);
        if (slash == std::string::npos || name.empty() || name == "." || name == ".." ||
            realpath(path.substr(0, slash).c_str(), real) == nullptr)
            return false;
        resolved = std::string(real) + "/" + name;
    }
    if (realpath(fileDirectory.c_str(), real) == nullptr) return false;
    const std::string allowed = real;
    return resolved == allowed || resolved.compare(0, allowed.size() + 1, allowed + "/") == 0;
}

bool ServerSettings::loopbackOnly() const {
    return listenHostname.empty() || listenHostname == kLoopback ||
           listenHostname.compare(0, 4, "127.") == 0 || listenHostname == "[::1]";
}

bool read_server_settings(int count, cups_option_t* options, ServerSettings* settings,
                          std::string* error) {
    set_defaults(settings);
    // The state directory first: the private server's log goes beside it.
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < count; ++i) {
            const bool directory = std::strcmp(options[i].name, "state-directory") == 0;
            if ((pass == 0) != directory) continue;
            if (!apply_option(options[i].name, options[i].value, settings, error)) return false;
        }
    if (settings->spoolDirectory.empty())
        settings->spoolDirectory = geteuid() == 0 ? std::string("/var/spool/") + kAppName
                                                  : settings->stateDirectory + "/spool";
    if (settings->fileDirectory.empty() && geteuid() == 0)
        settings->fileDirectory = settings->spoolDirectory + "/files";
    if (settings->serverHostname.empty() && settings->loopbackOnly())
        settings->serverHostname = kLoopback;
    return true;
}

const char* server_settings_help() {
    return kHelp;
}

}  // namespace vrelo_app
