#include "scratch_file.hpp"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "fuzz_check.hpp"

namespace vrelo_fuzz {
namespace {
const char kName[] = "tables.res";
}  // namespace

// In memory where the machine offers it: each input rewrites the file.
ScratchFile::ScratchFile() {
    for (const char* parent : {"/dev/shm", "/tmp"}) {
        std::string pattern = std::string(parent) + "/vrelo-fuzz-XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr) continue;
        directory_ = pattern;
        path_ = directory_ + "/" + kName;
        return;
    }
    require(false, "a scratch directory can be made");
}

ScratchFile::~ScratchFile() {
    remove(path_.c_str());
    rmdir(directory_.c_str());
}

void ScratchFile::write(const uint8_t* data, size_t size) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    require(out.good(), "the scratch file can be written");
}

vrelo_test::Bytes ScratchFile::read() const {
    std::ifstream in(path_, std::ios::binary);
    return vrelo_test::Bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
}

FileRef ScratchFile::record() const {
    FileRef file;
    memset(&file, 0, sizeof file);
    memcpy(file.name, kName, sizeof kName);
    file.directory = directory_.c_str();
    return file;
}

}  // namespace vrelo_fuzz
