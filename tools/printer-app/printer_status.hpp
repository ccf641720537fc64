// What a printer reports about itself: its six inks with their colours
// (levels unknown, since the printer tells none), and an identification
// request shown as a message.
#ifndef VRELO_PRINTER_APP_PRINTER_STATUS_HPP
#define VRELO_PRINTER_APP_PRINTER_STATUS_HPP

#include <pappl/pappl.h>

namespace vrelo_app {

// Sets the printer's supplies: one ink cartridge per colour.
void report_supplies(pappl_printer_t* printer);

// pappl_pr_identify_cb_t: logs the request and its message.
void identify_printer(pappl_printer_t* printer, pappl_identify_actions_t actions,
                      const char* message);

}  // namespace vrelo_app

#endif
