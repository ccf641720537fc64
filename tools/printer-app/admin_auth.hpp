// Who may do what. Anyone may print (unless a printer names a print group);
// administration, over IPP (adding and deleting printers, changing settings)
// and in the web pages that change anything, needs the name and password of
// a member of the admin group, checked by the app's PAM service. The
// sub-commands reach the server through its local socket, which PAPPL lets
// in as the machine's own administrator.
//
// PAPPL 1.3.1 offers two other ways, both refused here: with a PAM service
// given to the system, every print job over the network needs a password
// too; and its web-interface password accepts any password (fixed upstream
// in 1.4.8), so none is ever set.
#ifndef VRELO_PRINTER_APP_ADMIN_AUTH_HPP
#define VRELO_PRINTER_APP_ADMIN_AUTH_HPP

#include <pappl/pappl.h>

namespace vrelo_app {

// pappl_auth_cb_t; context is the PAM service name (const char*). group is
// the admin group for administration and a printer's print group, if any,
// for printing.
http_status_t authorize(pappl_client_t* client, const char* group, gid_t groupId, void* context);

}  // namespace vrelo_app

#endif
