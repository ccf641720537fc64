// Where the local socket lives (see local_socket.hpp).
#include "local_socket.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vrelo_app {
namespace {

constexpr const char* kRootSocketFolder = "/run/vrelo-printer-app";
constexpr mode_t kOwnerOnly = 0700;

}  // namespace

void place_local_socket() {
    if (geteuid() == 0) {
        setenv("SNAP_COMMON", kRootSocketFolder, 0);
        return;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime == '/') setenv("TMPDIR", runtime, 0);
}

bool make_socket_folder(std::string* error) {
    const char* folder = std::getenv("SNAP_COMMON");
    if (geteuid() != 0 || folder == nullptr || std::strcmp(folder, kRootSocketFolder) != 0)
        return true;
    if ((mkdir(folder, kOwnerOnly) == 0 || errno == EEXIST) && chmod(folder, kOwnerOnly) == 0)
        return true;
    *error = std::string("cannot make the folder ") + folder + ": " + std::strerror(errno);
    return false;
}

}  // namespace vrelo_app
