// One file in a private temporary directory, rewritten for each fuzz input
// and removed when the program ends, with a FileRef record naming it as a
// host would. scripts/fuzz points TMPDIR at memory where the machine has
// it.
#ifndef VRELO_FUZZ_SCRATCH_FILE_HPP
#define VRELO_FUZZ_SCRATCH_FILE_HPP

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "bytes.hpp"
#include "temp_files.hpp"
#include "vrelo417.h"

namespace vrelo_fuzz {

class ScratchFile {
  public:
    ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    void write(const uint8_t* data, size_t size) const;
    vrelo_test::Bytes read() const;
    // A record naming the file through its directory, stream closed.
    FileRef record() const;

  private:
    vrelo_test::TempDir directory_;
    std::string path_;
};

}  // namespace vrelo_fuzz

#endif
