// Printer defaults that follow their driver. PAPPL's state file keeps every
// default a printer had, whether a user chose it or the driver gave it, so
// after a driver changes, a printer would go on with the old driver's
// defaults. Beside the state file the server records, at each save, the
// defaults each driver gives; after loading the state, a printer's default
// that its driver no longer supports, or that is still what the driver
// gave before while the driver now gives another, becomes the driver's.
#ifndef VRELO_PRINTER_APP_DRIVER_DEFAULTS_HPP
#define VRELO_PRINTER_APP_DRIVER_DEFAULTS_HPP

#include <pappl/pappl.h>

#include <string>

namespace vrelo_app {

// Writes the defaults of the drivers of the system's printers to path.
bool record_driver_defaults(pappl_system_t* system, const std::string& path);

// Brings the defaults of every loaded printer in line with its driver,
// using the record at path when there is one. True when a default changed
// (the state is then saved again: PAPPL counts no change before it runs).
bool repair_loaded_defaults(pappl_system_t* system, const std::string& path);

}  // namespace vrelo_app

#endif
