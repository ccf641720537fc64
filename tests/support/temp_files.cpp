#include "temp_files.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vrelo_test {
namespace {

[[noreturn]] void stop(const std::string& what, const std::string& path) {
    std::fprintf(stderr, "cannot %s %s: %s\n", what.c_str(), path.c_str(), std::strerror(errno));
    std::abort();
}

}  // namespace

TempDir::TempDir() {
    const char* parent = std::getenv("TMPDIR");
    std::string pattern =
        std::string(parent != nullptr && *parent != 0 ? parent : "/tmp") + "/vrelo-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) stop("make a directory like", pattern);
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const {
    return path_ + "/" + name;
}

void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) stop("write", path);
}

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& path) {
    return std::filesystem::exists(path);
}

}  // namespace vrelo_test
