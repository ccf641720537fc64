// Writes resource files in the documented little-endian format, so tests
// build their own fixtures, and records where every part landed so tests
// can damage exactly one number.
#ifndef VRELO_TEST_RESOURCE_FILE_WRITER_HPP
#define VRELO_TEST_RESOURCE_FILE_WRITER_HPP

#include <cstdint>
#include <map>
#include <vector>

#include "file_refs.hpp"

namespace vrelo_test {

struct TableContent {
    uint32_t type;  // also the offset of the type's directory pointer
    int16_t id;
    Bytes data;
};

struct ResourceImage {
    Bytes bytes;
    std::map<uint32_t, uint32_t> directory;  // type -> directory position
    std::vector<uint32_t> entry;             // per table: its directory entry
    std::vector<uint32_t> record;            // per table: its record (length word)
};

// The directory pointer of each type sits at the offset equal to the type
// (types are distinct multiples of 4); then each type's directory, types in
// order of first appearance and entries in the order given; then every
// table record in the order given.
ResourceImage build_resource_file(const std::vector<TableContent>& tables);

void put_u32(Bytes& bytes, size_t offset, uint32_t value);
void put_u16(Bytes& bytes, size_t offset, uint16_t value);
uint32_t get_u32(const Bytes& bytes, size_t offset);

}  // namespace vrelo_test

#endif
