// The system papplMainloop runs, made by the app itself so that the state
// file, spool and log are where the app keeps them (never PAPPL's
// defaults for root), the drivers are known before the state is loaded,
// and the server listens on loopback with administration behind PAM.
#ifndef VRELO_PRINTER_APP_APP_SYSTEM_HPP
#define VRELO_PRINTER_APP_APP_SYSTEM_HPP

#include <pappl/pappl.h>

#include <string>

#include "server_settings.hpp"

namespace vrelo_app {

// What the system callback is told by main.
struct AppContext {
    // True for `server`: the system loads and saves state and listens. The
    // other sub-command that makes a system (`drivers`) only lists.
    bool serverRun = false;
    ServerSettings settings;
};

// True when the command line runs the `server` sub-command.
bool runs_server(int argc, char** argv);

// pappl_ml_system_cb_t.
pappl_system_t* create_system(int count, cups_option_t* options, void* context);

// The footer of every web page (PAPPL 1.3.1 fails on every page without
// one).
const char* footer_html();

}  // namespace vrelo_app

#endif
