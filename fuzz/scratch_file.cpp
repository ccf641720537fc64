#include "scratch_file.hpp"

#include <string.h>

namespace vrelo_fuzz {
namespace {
const char kName[] = "tables.res";
}  // namespace

ScratchFile::ScratchFile() : path_(directory_.file(kName)) {}

void ScratchFile::write(const uint8_t* data, size_t size) const {
    vrelo_test::write_file(path_, vrelo_test::Bytes(data, data + size));
}

vrelo_test::Bytes ScratchFile::read() const {
    return vrelo_test::read_file(path_);
}

FileRef ScratchFile::record() const {
    FileRef file;
    memset(&file, 0, sizeof file);
    memcpy(file.name, kName, sizeof kName);
    file.directory = directory_.path().c_str();
    return file;
}

}  // namespace vrelo_fuzz
