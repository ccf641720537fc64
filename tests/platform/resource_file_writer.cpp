// Lays out resource files byte by byte, independent of the library.
#include "resource_file_writer.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace vrelo_test {

void put_u32(Bytes& bytes, size_t offset, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.at(offset++) = static_cast<uint8_t>(value >> shift);
    }
}

void put_u16(Bytes& bytes, size_t offset, uint16_t value) {
    bytes.at(offset) = static_cast<uint8_t>(value);
    bytes.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

uint32_t get_u32(const Bytes& bytes, size_t offset) {
    uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        value |= uint32_t{bytes.at(offset++)} << shift;
    }
    return value;
}

namespace {

void append_u32(Bytes& bytes, uint32_t value) {
    bytes.resize(bytes.size() + 4);
    put_u32(bytes, bytes.size() - 4, value);
}

std::vector<uint32_t> types_in_order(const std::vector<TableContent>& tables) {
    std::vector<uint32_t> types;
    for (const TableContent& table : tables) {
        if (std::find(types.begin(), types.end(), table.type) == types.end()) {
            if (table.type % 4 != 0) ADD_FAILURE() << "type not a multiple of 4";
            types.push_back(table.type);
        }
    }
    return types;
}

}  // namespace

ResourceImage build_resource_file(const std::vector<TableContent>& tables) {
    ResourceImage image;
    const std::vector<uint32_t> types = types_in_order(tables);
    const uint32_t headerBytes =
        types.empty() ? 0 : *std::max_element(types.begin(), types.end()) + 4;
    image.bytes.assign(headerBytes, 0);
    image.entry.resize(tables.size());
    for (uint32_t type : types) {
        image.directory[type] = static_cast<uint32_t>(image.bytes.size());
        put_u32(image.bytes, type, image.directory[type]);
        const auto count =
            std::count_if(tables.begin(), tables.end(),
                          [type](const TableContent& table) { return table.type == type; });
        append_u32(image.bytes, static_cast<uint32_t>(count));
        for (size_t index = 0; index < tables.size(); ++index) {
            if (tables[index].type != type) continue;
            image.entry[index] = static_cast<uint32_t>(image.bytes.size());
            append_u32(image.bytes, type);
            append_u32(image.bytes, static_cast<uint16_t>(tables[index].id));
            append_u32(image.bytes, 0);  // record position, patched below
        }
    }
    for (size_t index = 0; index < tables.size(); ++index) {
        const uint32_t record = static_cast<uint32_t>(image.bytes.size());
        image.record.push_back(record);
        put_u32(image.bytes, image.entry[index] + 8, record);
        append_u32(image.bytes, static_cast<uint32_t>(tables[index].data.size()));
        image.bytes.insert(image.bytes.end(), tables[index].data.begin(), tables[index].data.end());
    }
    return image;
}

}  // namespace vrelo_test
