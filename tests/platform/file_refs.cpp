// Host-filled FileRef records and open descriptors (see file_refs.hpp).
#include "file_refs.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vrelo_test {

namespace {
const uint8_t kFileRefPattern = 0xA5;
}

FileRef make_file_ref(const char* directory, const std::string& name) {
    FileRef file;
    std::memset(&file, kFileRefPattern, sizeof file);
    if (name.size() >= sizeof file.name) ADD_FAILURE() << "name too long";
    std::memset(file.name, 0, sizeof file.name);
    std::memcpy(file.name, name.data(), std::min(name.size(), sizeof file.name - 1));
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
