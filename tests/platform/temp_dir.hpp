// Test fixtures on real files: a private directory under /tmp that is
// removed with everything in it, whole-file reads and writes, and FileRef
// records filled the way a host fills them.
#ifndef VRELO_TEST_TEMP_DIR_HPP
#define VRELO_TEST_TEMP_DIR_HPP

#include <cstdint>
#include <string>
#include <vector>

#include "vrelo417.h"

namespace vrelo_test {

using Bytes = std::vector<uint8_t>;

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

void write_file(const std::string& path, const Bytes& bytes);
Bytes read_file(const std::string& path);
bool file_exists(const std::string& path);

// A record naming directory/name; the directory string must outlive it.
// The bytes the library must not touch hold a pattern (see
// host_bytes_untouched).
FileRef make_file_ref(const std::string& directory, const std::string& name);
FileRef make_file_ref(const char* directory, const std::string& name);
bool host_bytes_untouched(const FileRef& file);

// The lowest free descriptor: unchanged across a call means the call left
// no file open.
int lowest_free_descriptor();

}  // namespace vrelo_test

#endif
