// Reading, writing and making folders, with failures in words (see
// files.hpp).
#include "files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vrelo_tools {
namespace {

constexpr mode_t kFolderMode = 0777;  // less the umask
constexpr size_t kReadBlock = 65536;

}  // namespace

std::string input_name(const std::string& path) {
    return path == "-" ? "standard input" : path;
}

std::string output_name(const std::string& path) {
    return path == "-" ? "standard output" : path;
}

std::string file_error(const char* doing, const std::string& name) {
    return std::string("cannot ") + doing + " " + name + ": " + std::strerror(errno);
}

bool read_rest(int fd, std::vector<uint8_t>* bytes) {
    uint8_t block[kReadBlock];
    for (;;) {
        const ssize_t got = read(fd, block, sizeof block);
        if (got == 0) return true;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        bytes->insert(bytes->end(), block, block + got);
    }
}

bool read_whole_input(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
    const bool standardInput = path == "-";
    const int fd = standardInput ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = file_error("open", path);
        return false;
    }
    const bool read = read_rest(fd, bytes);
    if (!read) *error = file_error("read", input_name(path));
    if (!standardInput) ::close(fd);
    return read;
}

bool make_folders(const std::string& path, std::string* error, mode_t mode) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        struct stat found;
        if (!folder.empty() && stat(folder.c_str(), &found) != 0 &&
            mkdir(folder.c_str(), slash == std::string::npos ? mode : kFolderMode) != 0 &&
            errno != EEXIST) {
            *error = file_error("create the folder", folder);
            return false;
        }
        if (slash == std::string::npos) return true;
    }
}

OutputFile::~OutputFile() {
    if (file_ != nullptr && file_ != stdout) std::fclose(file_);
}

bool OutputFile::open(const std::string& path, std::string* error) {
    name_ = output_name(path);
    file_ = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
    if (file_ != nullptr) return true;
    *error = file_error("create", name_);
    return false;
}

bool OutputFile::write(const std::vector<uint8_t>& bytes, std::string* error) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size()) return true;
    *error = file_error("write", name_);
    return false;
}

bool OutputFile::close(std::string* error) {
    errno = 0;
    bool written = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    int reason = errno != 0 ? errno : EIO;  // the error flag alone: a write failed before
    if (file_ != stdout && std::fclose(file_) != 0 && written) {
        written = false;
        reason = errno;
    }
    file_ = nullptr;
    if (written) return true;
    errno = reason;
    *error = file_error("write", name_);
    return false;
}

}  // namespace vrelo_tools
