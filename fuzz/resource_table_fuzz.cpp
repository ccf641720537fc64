// The resource-table loader and rewriter on any file. The input's first
// bytes name a table (type, id, element width), the rest is the file. A
// plain reading of the file format says whether the table is there and
// what it holds: the load must agree, a rewrite with its stored length
// must change exactly its bytes, and a rewrite with any other length, like
// any of a table that is not there, must leave the file as it was.
#include <stdint.h>
#include <string.h>

#include "bytes.hpp"
#include "fuzz_check.hpp"
#include "fuzz_input.hpp"
#include "scratch_file.hpp"

namespace {

using vrelo_fuzz::FuzzInput;
using vrelo_fuzz::require;
using vrelo_test::Bytes;

struct Found {
    bool present = false;
    size_t at = 0;  // first data byte
    size_t length = 0;
};

bool word_at(const Bytes& file, uint64_t position, uint32_t* value) {
    if (position + 4 > file.size()) return false;
    memcpy(value, file.data() + position, 4);  // little-endian, as the host
    return true;
}

// The format read plainly: the type's directory position at the file offset
// equal to the type, its entry count, 12-byte entries of type, id (low 16
// bits of the second word) and record position, the first match winning;
// the record's length, then its data. A directory or table reaching past
// the end of the file is damaged, and names no table.
Found look_up(const Bytes& file, uint32_t type, int16_t id) {
    Found found;
    uint32_t directory = 0;
    uint32_t count = 0;
    if (!word_at(file, type, &directory) || !word_at(file, directory, &count) ||
        uint64_t{directory} + 4 + uint64_t{12} * count > file.size())
        return found;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t entry = uint64_t{directory} + 4 + 12 * i;
        uint32_t words[3];
        for (int w = 0; w < 3; ++w)
            if (!word_at(file, entry + 4 * w, &words[w])) return found;
        if (words[0] != type || static_cast<int16_t>(words[1] & 0xFFFF) != id) continue;
        uint32_t length = 0;
        if (!word_at(file, words[2], &length)) return found;
        const uint64_t at = uint64_t{words[2]} + 4;
        if (length > INT32_MAX || at + length > file.size()) return found;
        found.present = true;
        found.at = static_cast<size_t>(at);
        found.length = length;
        return found;
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const vrelo_fuzz::ScratchFile scratch;
    FuzzInput in(data, size);
    ResourceRef table;
    memset(&table, 0xA5, sizeof table);  // the host's bytes, uninitialised
    table.type = in.u16();               // offsets within a small file, mostly
    table.id = static_cast<int16_t>(in.u16());
    table.width = static_cast<int16_t>(in.byte() % 5);
    const Bytes original(data + (size - in.left()), data + size);
    scratch.write(original.data(), original.size());
    const Found expected = look_up(original, table.type, table.id);

    FileRef file = scratch.record();
    require(MySizeofFile(&file) == static_cast<int32_t>(original.size()), "the size is the file's");
    require(MyLoadLibrary2(&file, 1) == VRELO_OK, "the file opens for update");
    const int32_t loaded = MyLoadLockResource2(&file, &table);
    require(loaded == (expected.present ? VRELO_OK : VRELO_FILE_FAILED),
            "a table loads exactly when the file holds it");
    Bytes rewritten = original;
    if (loaded == VRELO_OK) {
        require(table.length == static_cast<int32_t>(expected.length) &&
                    memcmp(table.data, original.data() + expected.at, expected.length) == 0,
                "the table holds the file's bytes");
        require(MyWriteTable(&file, &table, table.length + 1) == VRELO_FILE_FAILED,
                "a rewrite of another length is refused");
        auto* bytes = static_cast<uint8_t*>(table.data);
        for (size_t i = 0; i < expected.length; ++i) bytes[i] ^= 0x5A;
        require(MyWriteTable(&file, &table, table.length) == VRELO_OK,
                "a rewrite of the stored length succeeds");
        memcpy(rewritten.data() + expected.at, bytes, expected.length);
    } else {
        require(MyWriteTable(&file, &table, 0) == VRELO_FILE_FAILED,
                "a table that is not there is not rewritten");
    }
    MyUnlockFreeResource2(&table);
    require(MyFreeLibrary2(&file) == 0, "the file closes");
    require(scratch.read() == rewritten, "the file changed only in the table's bytes");
    return 0;
}
