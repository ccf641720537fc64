// Test fixtures on real files: FileRef records filled the way a host fills
// them, and a way to tell that a call left no file open. Temporary files
// and directories: temp_files.hpp.
#ifndef VRELO_TEST_FILE_REFS_HPP
#define VRELO_TEST_FILE_REFS_HPP

#include <cstdint>
#include <string>
#include <vector>

#include "temp_files.hpp"
#include "vrelo417.h"

namespace vrelo_test {

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
