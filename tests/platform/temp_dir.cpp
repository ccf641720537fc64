// Temporary directories, whole-file helpers and host-filled FileRef records.
#include "temp_dir.hpp"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vrelo_test {

namespace {
const uint8_t kFileRefPattern = 0xA5;
}

TempDir::TempDir() {
    char name[] = "/tmp/vrelo-files-XXXXXX";
    if (mkdtemp(name) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = name;
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
    if (!out) ADD_FAILURE() << "cannot write " << path;
}

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in),
                 std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& path) {
    return std::filesystem::exists(path);
}

FileRef make_file_ref(const char* directory, const std::string& name) {
    FileRef file;
    std::memset(&file, kFileRefPattern, sizeof file);
    if (name.size() >= sizeof file.name) ADD_FAILURE() << "name too long";
    std::memset(file.name, 0, sizeof file.name);
    std::memcpy(file.name, name.data(),
                std::min(name.size(), sizeof file.name - 1));
    file.stream = nullptr;
    file.directory = directory;
    return file;
}

FileRef make_file_ref(const std::string& directory, const std::string& name) {
    return make_file_ref(directory.c_str(), name);
}

bool host_bytes_untouched(const FileRef& file) {
    for (uint8_t byte : file.hostBytes) {
        if (byte != kFileRefPattern) return false;
    }
    return true;
}

int lowest_free_descriptor() {
    const int descriptor = open("/dev/null", O_RDONLY);
    close(descriptor);
    return descriptor;
}

}  // namespace vrelo_test
