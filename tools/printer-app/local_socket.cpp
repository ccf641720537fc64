// Where the local socket lives (see local_socket.hpp).
#include "local_socket.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "files.hpp"

namespace vrelo_app {
namespace {

constexpr const char* kRootSocketFolder = "/run/vrelo-printer-app";

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
    // A folder left with other modes is made root's alone again.
    if (!vrelo_tools::make_folders(folder, error, vrelo_tools::kPrivateFolder)) return false;
    if (chmod(folder, vrelo_tools::kPrivateFolder) == 0) return true;
    *error = vrelo_tools::file_error("change the mode of", folder);
    return false;
}

}  // namespace vrelo_app
