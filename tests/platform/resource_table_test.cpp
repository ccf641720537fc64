// Tables of resource files the tests write themselves: lookup by type and
// id, loading, rewriting in place, damaged and hostile files, allocation
// failures, all checked against a small reader of the documented format.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <random>
#include <string>

#include "alloc_sweep.hpp"
#include "file_refs.hpp"
#include "platform/alloc_fail.hpp"
#include "resource_file_writer.hpp"
#include "vrelo417.h"

namespace vrelo_test {
namespace {

const uint8_t kHostPattern = 0x5A;

// The documented lookup over bytes in memory, every number bounds-checked:
// the table's data, or nothing where the library must answer
// VRELO_FILE_FAILED.
std::optional<Bytes> model_lookup(const Bytes& file, uint32_t type, int16_t id) {
    const uint64_t size = file.size();
    auto word_at = [&](uint64_t at) -> std::optional<uint32_t> {
        if (at + 4 > size) return std::nullopt;
        return get_u32(file, at);
    };
    const auto directory = word_at(type);
    if (!directory) return std::nullopt;
    const auto count = word_at(*directory);
    if (!count || *directory + 4 + uint64_t{*count} * 12 > size) {
        return std::nullopt;
    }
    for (uint64_t entry = *directory + 4; entry < *directory + 4 + uint64_t{*count} * 12;
         entry += 12) {
        const int16_t entryId = static_cast<int16_t>(file[entry + 4] | file[entry + 5] << 8);
        if (get_u32(file, entry) != type || entryId != id) continue;
        const uint64_t record = get_u32(file, entry + 8);
        const auto length = word_at(record);
        if (!length || *length > INT32_MAX || record + 4 + *length > size) {
            return std::nullopt;
        }
        return Bytes(file.begin() + record + 4, file.begin() + record + 4 + *length);
    }
    return std::nullopt;
}

ResourceRef make_table_ref(uint32_t type, int16_t id, int16_t width = 1) {
    ResourceRef table;
    std::memset(&table, kHostPattern, sizeof table);
    table.id = id;
    table.type = type;
    table.width = width;
    return table;
}

bool table_host_bytes_untouched(const ResourceRef& table) {
    auto all_pattern = [](const uint8_t* bytes, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            if (bytes[i] != kHostPattern) return false;
        }
        return true;
    };
    return all_pattern(table.hostBytes0, sizeof table.hostBytes0) &&
           all_pattern(table.hostBytes34, sizeof table.hostBytes34) &&
           all_pattern(table.hostBytes40, sizeof table.hostBytes40) &&
           all_pattern(table.hostBytes50, sizeof table.hostBytes50);
}

// After a failed load the record holds nothing to release and its length
// is as the host left it.
bool holds_nothing(const ResourceRef& table) {
    const uint8_t* length = reinterpret_cast<const uint8_t*>(&table.length);
    for (size_t at = 0; at < sizeof table.length; ++at) {
        if (length[at] != kHostPattern) return false;
    }
    return table.data == nullptr && MyNullPHCheck(&table.handle) == 1;
}

struct Loaded {
    int32_t status;
    Bytes data;
};

// Loads one table from an open record and releases it again.
Loaded load_table(FileRef& file, uint32_t type, int16_t id) {
    ResourceRef table = make_table_ref(type, id);
    Loaded loaded{MyLoadLockResource2(&file, &table), {}};
    EXPECT_TRUE(table_host_bytes_untouched(table));
    if (loaded.status == VRELO_OK) {
        EXPECT_EQ(table.data, table.handle.pointer);
        const uint8_t* data = static_cast<const uint8_t*>(table.data);
        loaded.data.assign(data, data + table.length);
        MyUnlockFreeResource2(&table);
        EXPECT_EQ(table.data, nullptr);
        EXPECT_EQ(MyNullPHCheck(&table.handle), 1);
    } else {
        EXPECT_TRUE(holds_nothing(table));
        MyUnlockFreeResource2(&table);
    }
    return loaded;
}

// Checks the library against the model for one table of an open image.
void expect_like_model(FileRef& file, const Bytes& image, uint32_t type, int16_t id) {
    const Loaded loaded = load_table(file, type, id);
    const std::optional<Bytes> expected = model_lookup(image, type, id);
    if (expected) {
        EXPECT_EQ(loaded.status, VRELO_OK) << "type " << type << " id " << id;
        EXPECT_EQ(loaded.data, *expected);
    } else {
        EXPECT_EQ(loaded.status, VRELO_FILE_FAILED) << "type " << type << " id " << id;
    }
}

Bytes text(const char* characters) {
    return Bytes(characters, characters + std::strlen(characters));
}

const std::vector<TableContent> kThreeTypes = {
    {0, 1, text("first table of type 0")},
    {8, 1, text("type 8, id 1")},
    {0, 2, text("id 2")},
    {4, -5, {}},
    {8, 300, Bytes(300, 0x7E)},
    {8, 7, {1, 2, 3, 4, 5, 6}},
};

class ResourceTable : public ::testing::Test {
  protected:
    // Writes the image and opens it in the given mode.
    FileRef open_image(const Bytes& image, int16_t mode) {
        write_file(path(), image);
        FileRef file = make_file_ref(dir.path(), "res.bin");
        EXPECT_EQ(MyLoadLibrary2(&file, mode), VRELO_OK);
        return file;
    }
    std::string path() const { return dir.file("res.bin"); }
    TempDir dir;
};

TEST_F(ResourceTable, EveryTableOfSeveralTypesLoads) {
    const ResourceImage image = build_resource_file(kThreeTypes);
    FileRef file = open_image(image.bytes, 0);
    for (const TableContent& table : kThreeTypes) {
        const Loaded loaded = load_table(file, table.type, table.id);
        EXPECT_EQ(loaded.status, VRELO_OK) << table.type << "/" << table.id;
        EXPECT_EQ(loaded.data, table.data);
    }
    EXPECT_EQ(load_table(file, 0, 3).status, VRELO_FILE_FAILED);
    EXPECT_EQ(load_table(file, 8, -1).status, VRELO_FILE_FAILED);
    const uint32_t pastEnd = static_cast<uint32_t>(image.bytes.size());
    EXPECT_EQ(load_table(file, pastEnd, 1).status, VRELO_FILE_FAILED);
    EXPECT_EQ(load_table(file, 0xFFFFFFFCu, 1).status, VRELO_FILE_FAILED);
    EXPECT_TRUE(host_bytes_untouched(file));
    MyFreeLibrary2(&file);
}

TEST_F(ResourceTable, FirstMatchingEntryWins) {
    std::vector<TableContent> tables = {
        {0, 9, text("earlier")}, {0, 9, text("later")}, {0, 3, text("other")}};
    ResourceImage image = build_resource_file(tables);
    FileRef file = open_image(image.bytes, 0);
    EXPECT_EQ(load_table(file, 0, 9).data, text("earlier"));
    MyFreeLibrary2(&file);

    // An entry of another type inside the directory is passed over.
    put_u32(image.bytes, image.entry[0], 4);
    file = open_image(image.bytes, 0);
    EXPECT_EQ(load_table(file, 0, 9).data, text("later"));
    MyFreeLibrary2(&file);
}

// The id is 16 bits wide and signed; the two bytes after it are not read.
TEST_F(ResourceTable, IdIsSixteenBitsAndItsNeighbourIsIgnored) {
    ResourceImage image =
        build_resource_file({{4, -2, text("minus two")}, {4, 0x1234, text("padded")}});
    put_u16(image.bytes, image.entry[0] + 6, 0xFFFF);
    put_u16(image.bytes, image.entry[1] + 6, 0x0001);
    FileRef file = open_image(image.bytes, 0);
    EXPECT_EQ(load_table(file, 4, -2).data, text("minus two"));
    EXPECT_EQ(load_table(file, 4, 0x1234).data, text("padded"));
    MyFreeLibrary2(&file);
}

TEST_F(ResourceTable, ZeroEntriesMeansNotFoundWithoutAllocating) {
    ResourceImage image = build_resource_file({{0, 1, text("hidden")}});
    put_u32(image.bytes, image.directory[0], 0);
    FileRef file = open_image(image.bytes, 0);
    const int64_t allocations = vrelo::allocation_count();
    EXPECT_EQ(load_table(file, 0, 1).status, VRELO_FILE_FAILED);
    EXPECT_EQ(vrelo::allocation_count(), allocations);
    MyFreeLibrary2(&file);
}

// On this little-endian target nothing is converted, whatever the width.
TEST_F(ResourceTable, DataLoadsInFileOrderForEveryWidth) {
    const Bytes data = {1, 2, 3, 4, 5, 6, 7};
    FileRef file = open_image(build_resource_file({{0, 1, data}}).bytes, 1);
    for (int16_t width : {1, 2, 4}) {
        ResourceRef table = make_table_ref(0, 1, width);
        ASSERT_EQ(MyLoadLockResource2(&file, &table), VRELO_OK);
        const uint8_t* loaded = static_cast<const uint8_t*>(table.data);
        EXPECT_EQ(Bytes(loaded, loaded + table.length), data) << width;
        EXPECT_EQ(MyWriteTable(&file, &table, 7), VRELO_OK);
        MyUnlockFreeResource2(&table);
    }
    MyFreeLibrary2(&file);
    EXPECT_EQ(read_file(path()), build_resource_file({{0, 1, data}}).bytes);
}

TEST_F(ResourceTable, RewriteInPlaceWithTheExactLength) {
    const ResourceImage image = build_resource_file(kThreeTypes);
    FileRef file = open_image(image.bytes, 1);
    Bytes expected = image.bytes;
    // Rewrite every table in turn on the same stream, alternating lookups
    // (reads) and writes.
    for (size_t index = 0; index < kThreeTypes.size(); ++index) {
        const TableContent& content = kThreeTypes[index];
        ResourceRef table = make_table_ref(content.type, content.id);
        ASSERT_EQ(MyLoadLockResource2(&file, &table), VRELO_OK);
        uint8_t* data = static_cast<uint8_t*>(table.data);
        const auto stored = expected.begin() + image.record[index] + 4;
        for (int32_t i = 0; i < table.length; ++i) {
            data[i] = static_cast<uint8_t>(data[i] ^ (0x81 + index));
            stored[i] = data[i];
        }
        EXPECT_EQ(MyWriteTable(&file, &table, table.length), VRELO_OK);
        MyUnlockFreeResource2(&table);
        EXPECT_EQ(load_table(file, content.type, content.id).data,
                  Bytes(stored, stored + content.data.size()));
    }
    EXPECT_EQ(MyFreeLibrary2(&file), 0);
    EXPECT_EQ(read_file(path()), expected);
}

TEST_F(ResourceTable, LengthOneByteOffIsRefusedAndTheFileUnchanged) {
    const ResourceImage image = build_resource_file(kThreeTypes);
    FileRef file = open_image(image.bytes, 1);
    ResourceRef table = make_table_ref(8, 7);
    ASSERT_EQ(MyLoadLockResource2(&file, &table), VRELO_OK);
    std::memset(table.data, 0xEE, 6);
    for (int32_t expected : {5, 7, -1, 0}) {
        EXPECT_EQ(MyWriteTable(&file, &table, expected), VRELO_FILE_FAILED);
    }
    ResourceRef missing = make_table_ref(8, 8);
    missing.data = table.data;
    EXPECT_EQ(MyWriteTable(&file, &missing, 6), VRELO_FILE_FAILED);
    MyUnlockFreeResource2(&table);
    MyFreeLibrary2(&file);
    EXPECT_EQ(read_file(path()), image.bytes);
}

TEST_F(ResourceTable, RewriteNeedsAnUpdateStream) {
    const ResourceImage image = build_resource_file(kThreeTypes);
    FileRef file = open_image(image.bytes, 0);
    ResourceRef table = make_table_ref(0, 2);
    ASSERT_EQ(MyLoadLockResource2(&file, &table), VRELO_OK);
    EXPECT_EQ(MyWriteTable(&file, &table, table.length), VRELO_FILE_FAILED);
    MyUnlockFreeResource2(&table);
    MyFreeLibrary2(&file);
    EXPECT_EQ(read_file(path()), image.bytes);
}

TEST_F(ResourceTable, MissingRecordsAreRefused) {
    const ResourceImage image = build_resource_file(kThreeTypes);
    FileRef file = open_image(image.bytes, 1);
    ResourceRef table = make_table_ref(0, 1);
    EXPECT_EQ(MyLoadLockResource2(nullptr, &table), VRELO_FILE_FAILED);
    EXPECT_EQ(MyLoadLockResource2(&file, nullptr), VRELO_FILE_FAILED);
    EXPECT_EQ(MyWriteTable(nullptr, &table, 21), VRELO_FILE_FAILED);
    EXPECT_EQ(MyWriteTable(&file, nullptr, 21), VRELO_FILE_FAILED);
    table.data = nullptr;
    EXPECT_EQ(MyWriteTable(&file, &table, 21), VRELO_FILE_FAILED);
    MyUnlockFreeResource2(nullptr);  // ignored
    MyFreeLibrary2(&file);

    FileRef closed = make_file_ref(dir.path(), "res.bin");
    ResourceRef emptied = make_table_ref(0, 1);
    EXPECT_EQ(MyLoadLockResource2(&closed, &emptied), VRELO_FILE_FAILED);
    EXPECT_TRUE(holds_nothing(emptied));
    EXPECT_EQ(read_file(path()), image.bytes);
}

TEST_F(ResourceTable, TruncatedFilesAgreeWithTheModel) {
    const ResourceImage image = build_resource_file(kThreeTypes);
    for (size_t cut = 0; cut < image.bytes.size(); ++cut) {
        const Bytes truncated(image.bytes.begin(), image.bytes.begin() + cut);
        SCOPED_TRACE(cut);
        FileRef file = open_image(truncated, 0);
        for (const TableContent& table : kThreeTypes) {
            expect_like_model(file, truncated, table.type, table.id);
        }
        MyFreeLibrary2(&file);
    }
    // Cut inside the last table's data: that table is refused.
    const Bytes short_by_one(image.bytes.begin(), image.bytes.end() - 1);
    write_file(path(), short_by_one);
    FileRef file = make_file_ref(dir.path(), "res.bin");
    ASSERT_EQ(MyLoadLibrary2(&file, 0), VRELO_OK);
    EXPECT_EQ(load_table(file, 8, 7).status, VRELO_FILE_FAILED);
    EXPECT_EQ(load_table(file, 8, 300).status, VRELO_OK);
    MyFreeLibrary2(&file);
}

// Hostile numbers are refused before they can size an allocation: a bad
// entry count before the directory array, a bad table length before the
// table's block (the directory array, released again, comes first).
class HostileFile : public ResourceTable {
  protected:
    void expect_refused(const Bytes& bytes, uint32_t type, int16_t id, int64_t allocationsPerCall) {
        FileRef file = open_image(bytes, 1);
        const int64_t before = vrelo::allocation_count();
        EXPECT_EQ(load_table(file, type, id).status, VRELO_FILE_FAILED);
        ResourceRef table = make_table_ref(type, id);
        uint8_t data[64] = {};
        table.data = data;
        EXPECT_EQ(MyWriteTable(&file, &table, 6), VRELO_FILE_FAILED);
        EXPECT_EQ(vrelo::allocation_count(), before + 2 * allocationsPerCall);
        MyFreeLibrary2(&file);
        EXPECT_EQ(read_file(path()), bytes);
    }
    const ResourceImage image = build_resource_file(kThreeTypes);
};

TEST_F(HostileFile, EntryCountsTheFileCannotHold) {
    const uint32_t directory = image.directory.at(8);
    const uint32_t fits = static_cast<uint32_t>((image.bytes.size() - directory - 4) / 12);
    for (uint32_t count :
         {fits + 1, 0x15555556u /* 12 * count wraps to 8 */, 0x80000000u, 0xFFFFFFFFu}) {
        Bytes bytes = image.bytes;
        put_u32(bytes, directory, count);
        SCOPED_TRACE(count);
        expect_refused(bytes, 8, 7, 0);
    }
}

TEST_F(HostileFile, TableLengthsNegativeOrPastTheEnd) {
    const uint32_t record = image.record.back();  // type 8, id 7, 6 bytes
    const uint32_t toEnd = static_cast<uint32_t>(image.bytes.size() - record - 4);
    for (uint32_t length : {toEnd + 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        Bytes bytes = image.bytes;
        put_u32(bytes, record, length);
        SCOPED_TRACE(length);
        expect_refused(bytes, 8, 7, 1);
    }
}

TEST_F(HostileFile, PositionsPastTheEnd) {
    const uint32_t size = static_cast<uint32_t>(image.bytes.size());
    for (uint32_t position : {size - 3, size, 0x7FFFFFFFu, 0xFFFFFFF8u}) {
        SCOPED_TRACE(position);
        Bytes badDirectory = image.bytes;
        put_u32(badDirectory, 8, position);
        expect_refused(badDirectory, 8, 7, 0);
        Bytes badRecord = image.bytes;
        put_u32(badRecord, image.entry.back() + 8, position);
        FileRef file = open_image(badRecord, 0);
        EXPECT_EQ(load_table(file, 8, 7).status, VRELO_FILE_FAILED);
        MyFreeLibrary2(&file);
    }
}

// A length that reaches exactly the end of the file is still a table.
TEST_F(HostileFile, LengthUpToTheEndIsAccepted) {
    Bytes bytes = image.bytes;
    const uint32_t record = image.record[1];  // type 8, id 1
    const uint32_t toEnd = static_cast<uint32_t>(bytes.size() - record - 4);
    put_u32(bytes, record, toEnd);
    FileRef file = open_image(bytes, 0);
    const Loaded loaded = load_table(file, 8, 1);
    EXPECT_EQ(loaded.status, VRELO_OK);
    EXPECT_EQ(loaded.data, Bytes(bytes.begin() + record + 4, bytes.end()));
    MyFreeLibrary2(&file);
}

// Random files, then random damage: whatever the bytes say, the library
// answers exactly as the model does, and never reads or leaks out of line.
TEST_F(ResourceTable, RandomAndDamagedFilesAgreeWithTheModel) {
    std::mt19937 random(4172);
    auto pick = [&](uint32_t below) { return random() % below; };
    for (int round = 0; round < 150; ++round) {
        std::vector<TableContent> tables(1 + pick(6));
        for (TableContent& table : tables) {
            table.type = 4 * pick(4);
            table.id = static_cast<int16_t>(pick(4)) - 1;
            table.data.resize(pick(24));
            for (uint8_t& byte : table.data) byte = static_cast<uint8_t>(random());
        }
        Bytes bytes = build_resource_file(tables).bytes;
        const uint32_t damage = pick(4);
        for (uint32_t i = 0; i < damage && !bytes.empty(); ++i) {
            bytes[pick(static_cast<uint32_t>(bytes.size()))] =
                static_cast<uint8_t>(pick(3) == 0 ? 0xFF : pick(0x40));
        }
        if (pick(4) == 0) bytes.resize(pick(static_cast<uint32_t>(bytes.size())));
        SCOPED_TRACE(round);
        FileRef file = open_image(bytes, 0);
        for (uint32_t type = 0; type < 16; type += 4) {
            for (int16_t id = -1; id < 3; ++id) {
                expect_like_model(file, bytes, type, id);
            }
        }
        MyFreeLibrary2(&file);
    }
}

// Both allocations of a load fail in turn: -108, the record holding
// nothing, nothing leaked. A rewrite whose directory cannot be held writes
// nothing and answers -138.
TEST_F(ResourceTable, AllocationFailures) {
    const ResourceImage image = build_resource_file(kThreeTypes);
    FileRef file = open_image(image.bytes, 1);
    const int loads = sweep_allocation_failures([&](int failing) {
        ResourceRef table = make_table_ref(8, 300);
        const int32_t status = MyLoadLockResource2(&file, &table);
        EXPECT_EQ(status, failing <= 2 ? VRELO_NO_MEMORY : VRELO_OK);
        if (status == VRELO_NO_MEMORY) {
            EXPECT_TRUE(holds_nothing(table));
        }
        MyUnlockFreeResource2(&table);
    });
    EXPECT_EQ(loads, 2);

    const int rewrites = sweep_allocation_failures([&](int failing) {
        ResourceRef table = make_table_ref(0, 2);
        const int32_t status = MyLoadLockResource2(&file, &table);
        EXPECT_EQ(status, failing <= 2 ? VRELO_NO_MEMORY : VRELO_OK);
        if (status == VRELO_OK) {
            std::memset(table.data, 'X', 4);
            EXPECT_EQ(MyWriteTable(&file, &table, 4), failing == 3 ? VRELO_FILE_FAILED : VRELO_OK);
        }
        MyUnlockFreeResource2(&table);
    });
    EXPECT_EQ(rewrites, 3);
    MyFreeLibrary2(&file);
    Bytes expected = image.bytes;
    std::memset(&expected[image.record[2] + 4], 'X', 4);
    EXPECT_EQ(read_file(path()), expected);
}

}  // namespace
}  // namespace vrelo_test
