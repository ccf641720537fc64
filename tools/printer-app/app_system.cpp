// The system callback (see app_system.hpp).
#include "app_system.hpp"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "admin_auth.hpp"
#include "driver_defaults.hpp"
#include "drivers.hpp"
#include "files.hpp"
#include "local_socket.hpp"
#include "pdf_filter.hpp"
#include "vrelo417.h"  // VRELO_VERSION_STRING

namespace vrelo_app {
namespace {

const char kFooter[] = "vrelo417 printer application " VRELO_VERSION_STRING;

// DNS-SD sub-types of the printers, as IPP Everywhere printers announce.
constexpr const char* kSubtypes = "_print,_universal";

// The options of the sub-commands PAPPL passes on (-d, -m, -o ...) that
// take a value in the next word.
constexpr const char* kValueOptions = "dhjmnotuv";

std::string driver_defaults_file(const ServerSettings& settings) {
    return settings.stateDirectory + "/" + kAppName + ".driver-defaults";
}

// No file the server writes, a job's document or its printer stream, grows
// past the largest job: a write beyond it fails (EFBIG) and the job stops
// with "File too large" instead of filling the disk.
void limit_file_size(uint64_t bytes) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
    if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > bytes)
        limit.rlim_cur = static_cast<rlim_t>(bytes);
    std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        std::fprintf(stderr, "%s: cannot limit the size of files: %s\n", kAppName,
                     std::strerror(errno));
}

bool save_state(pappl_system_t* system, void* context) {
    const ServerSettings& settings = static_cast<AppContext*>(context)->settings;
    return papplSystemSaveState(system, settings.stateFile().c_str()) &&
           record_driver_defaults(system, driver_defaults_file(settings));
}

// PAPPL 1.3.1's main loop sleeps up to 30 s between wake-ups and sees a
// Shutdown request (the shutdown sub-command, the web page) only then; a
// timer that does nothing wakes it every second instead.
constexpr int kWakeSeconds = 1;

bool wake(pappl_system_t*, void*) {
    return true;
}

pappl_system_t* fail(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", kAppName, what.c_str());
    return nullptr;
}

void set_drivers(pappl_system_t* system, ServerSettings* settings) {
    int count = 0;
    pappl_pr_driver_t* drivers = driver_list(&count);
    papplSystemSetPrinterDrivers(system, count, drivers, driver_for_device, printer_created,
                                 fill_driver, settings);
}

// A system that lists drivers only: its spool is a scratch folder removed at
// exit, and it logs errors only.
std::string scratchSpool;

pappl_system_t* listing_system(AppContext* app) {
    scratchSpool = std::string(papplGetTempDir()) + "/" + kAppName + ".XXXXXX";
    if (mkdtemp(&scratchSpool[0]) == nullptr)
        return fail(vrelo_tools::file_error("create the folder", scratchSpool));
    std::atexit([] { rmdir(scratchSpool.c_str()); });
    pappl_system_t* system =
        papplSystemCreate(PAPPL_SOPTIONS_NONE, kAppName, 0, nullptr, scratchSpool.c_str(), "-",
                          PAPPL_LOGLEVEL_ERROR, nullptr, false);
    if (system != nullptr) set_drivers(system, &app->settings);
    return system;
}

pappl_system_t* server_system(int count, cups_option_t* options, AppContext* app) {
    ServerSettings& s = app->settings;
    std::string error;
    const auto make_folder = [&error](const std::string& path) {
        return path.empty() || vrelo_tools::make_folders(path, &error, vrelo_tools::kPrivateFolder);
    };
    if (!read_server_settings(count, options, &s, &error) || !make_folder(s.stateDirectory) ||
        !make_folder(s.spoolDirectory) || !make_socket_folder(&error) ||
        !make_folder(s.fileDirectory))
        return fail(error);
    limit_file_size(s.maxJobBytes);
    // On loopback nothing needs encrypting, and without TLS PAPPL makes no
    // keys in the print system's folders.
    pappl_soptions_t soptions = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE;
    if (s.loopbackOnly()) soptions |= PAPPL_SOPTIONS_NO_TLS;
    // No PAM service for PAPPL itself: it would ask every network print job
    // for a password. The app's callback asks administration only.
    pappl_system_t* system =
        papplSystemCreate(soptions, kAppName, s.port, kSubtypes, s.spoolDirectory.c_str(),
                          s.logFile.c_str(), s.logLevel, nullptr, false);
    if (system == nullptr) return fail("the system could not be made; see the log");
    papplSystemSetAdminGroup(system, s.adminGroup.c_str());
    if (s.authService != kNoAuthService)
        papplSystemSetAuthCallback(system, "Basic", authorize, &s.authService[0]);
    if (!s.serverHostname.empty()) papplSystemSetHostName(system, s.serverHostname.c_str());
    const char* listen = s.listenHostname == "*" ? nullptr : s.listenHostname.c_str();
    if (!s.listenHostname.empty() && !papplSystemAddListeners(system, listen)) {
        papplSystemDelete(system);
        return fail("cannot listen on " + s.listenHostname +
                    (s.port ? " port " + std::to_string(s.port) : std::string()));
    }
    papplSystemSetFooterHTML(system, footer_html());
    set_drivers(system, &s);
    papplSystemAddMIMEFilter(system, kPdfFormat, "image/pwg-raster", print_pdf, &s);
    papplSystemLoadState(system, s.stateFile().c_str());
    if (repair_loaded_defaults(system, driver_defaults_file(s))) save_state(system, app);
    papplSystemSetSaveCallback(system, save_state, app);
    papplSystemAddTimerCallback(system, 0, kWakeSeconds, wake, nullptr);
    return system;
}

}  // namespace

bool runs_server(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (std::strcmp(word, "--") == 0) {
            ++i;
        } else if (word[0] == '-' && word[1] != '-' && word[1] != '\0') {
            if (std::strchr(kValueOptions, word[1]) != nullptr) ++i;
        } else if (std::strcmp(word, "server") == 0) {
            return true;
        }
    }
    return false;
}

pappl_system_t* create_system(int count, cups_option_t* options, void* context) {
    AppContext* app = static_cast<AppContext*>(context);
    return app->serverRun ? server_system(count, options, app) : listing_system(app);
}

const char* footer_html() {
    return kFooter;
}

}  // namespace vrelo_app
