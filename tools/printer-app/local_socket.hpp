// The server's local socket, kept where only the server's own user reaches
// it. Through that socket the sub-commands administer the server without a
// password, and PAPPL 1.3.1 (through libcups) makes it writable by every
// user: anyone on the machine could add a printer whose device is a file
// the server may write, or stop the server. So the socket lives in a
// folder only its owner can enter: root's in /run/vrelo-printer-app (PAPPL
// puts a root server's socket in $SNAP_COMMON when that is set, else in
// /run itself), another user's in $XDG_RUNTIME_DIR (through $TMPDIR). Both
// are set for the server and the sub-commands alike, unless already set.
#ifndef VRELO_PRINTER_APP_LOCAL_SOCKET_HPP
#define VRELO_PRINTER_APP_LOCAL_SOCKET_HPP

#include <string>

namespace vrelo_app {

// Sets the environment that places the socket; before papplMainloop.
void place_local_socket();

// For the server: makes root's socket folder, only root's (mode 0700,
// also when it was there already). Other users' folders are the
// session's. False with *error.
bool make_socket_folder(std::string* error);

}  // namespace vrelo_app

#endif
