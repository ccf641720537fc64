// Temporary files for tests, fuzzers and benchmarks: a private directory
// made with mkdtemp under $TMPDIR (else /tmp) and removed with everything
// in it when it goes, and whole-file reads and writes. A directory that
// cannot be made or a file that cannot be written stops the program with
// the reason: nothing that follows could be trusted.
#ifndef VRELO_TEST_TEMP_FILES_HPP
#define VRELO_TEST_TEMP_FILES_HPP

#include <string>

#include "bytes.hpp"

namespace vrelo_test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of a file in the directory.
    std::string file(const std::string& name) const;

  private:
    std::string path_;
};

void write_file(const std::string& path, const Bytes& bytes);
// The file's bytes; none for a file that cannot be read.
Bytes read_file(const std::string& path);
bool file_exists(const std::string& path);

}  // namespace vrelo_test

#endif
