// What the server runs with, from its -o NAME=VALUE options and the usual
// places for a system service (run as root) or a user's own server: where
// it keeps its state, spool and log, where it listens and under what name,
// who may administer it, and how much one job may take.
#ifndef VRELO_PRINTER_APP_SERVER_SETTINGS_HPP
#define VRELO_PRINTER_APP_SERVER_SETTINGS_HPP

#include <pappl/pappl.h>

#include <cstdint>
#include <string>

namespace vrelo_app {

// The program's name: its state file, folders, PAM service and unit.
constexpr const char* kAppName = "vrelo-printer-app";

// auth-service=none: no authentication; PAPPL then lets administration in
// from this machine only.
constexpr const char* kNoAuthService = "none";

struct ServerSettings {
    std::string stateDirectory;  // holds the state file
    std::string spoolDirectory;  // job files while they wait
    std::string logFile;         // a file, "-" for standard error, or "syslog"
    pappl_loglevel_t logLevel = PAPPL_LOGLEVEL_INFO;
    // Where IPP and the web interface listen: loopback unless the user says
    // otherwise; "*" for every address. Empty for a server that listens on
    // its local socket only (the one a sub-command starts by itself).
    std::string listenHostname;
    int port = 0;                // 0: the first free port from 8000 up
    std::string serverHostname;  // the host name in printer URIs
    // Where file: devices may write, for a server run as root: one that
    // could write any file would hand root to whoever may add a printer.
    // Empty: anywhere (a user's own server writes as that user).
    std::string fileDirectory;
    std::string authService;   // PAM service for administration; "none" for none
    std::string adminGroup;    // group whose members may administer
    uint64_t maxJobBytes = 0;  // largest document file, bytes
    int maxJobPages = 0;       // most pages a job may print
    int maxActiveJobs = 0;     // jobs a printer holds at once
    int maxCompletedJobs = 0;  // finished jobs a printer remembers

    std::string stateFile() const;
    bool loopbackOnly() const;
    // A printer's own ICC profile for a paper, when the administrator put
    // one in the state directory (profiles/PRINTER-plain.icc or
    // -photo.icc); otherwise "" (the renderer's own profile).
    std::string printerProfile(const std::string& printer, bool photoPaper) const;
    // True when a file: device may write to this path (a file or folder).
    bool fileDeviceAllowed(const std::string& path) const;
};

// Reads the options over the defaults. False with *error naming the option
// and what it must be.
bool read_server_settings(int count, cups_option_t* options, ServerSettings* settings,
                          std::string* error);

// The options read_server_settings knows, for the usage text.
const char* server_settings_help();

}  // namespace vrelo_app

#endif
