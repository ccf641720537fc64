// The chunk table: appends in order, 16-bit lengths, the capacity guard,
// the null test of a reference, and the cutting of long output into
// chunks a 16-bit length can carry.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "output/chunk_table.hpp"

namespace {

// A zeroed table, as OutputOpen leaves it.
std::unique_ptr<OutStrct> new_table() {
    return std::make_unique<OutStrct>();
}

TEST(ChunkList, AppendsGoToTheNextEntryInOrder) {
    auto t = new_table();
    const uint8_t bytes[3] = {1, 2, 3};
    SetOutStrct(t.get(), &bytes[0], 10);
    SetOutStrct(t.get(), &bytes[1], 20);
    SetOutStrct(t.get(), &bytes[2], 30);
    EXPECT_EQ(t->list.count, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t->entries[i].data, &bytes[i]);
        EXPECT_EQ(t->entries[i].length, 10 * (i + 1));
    }
    EXPECT_EQ(t->entries[3].data, nullptr);
}

TEST(ChunkList, OnlyTheLow16BitsOfALengthAreKept) {
    auto t = new_table();
    SetOutStrct(t.get(), nullptr, 65536 + 300);
    SetOutStrct(t.get(), nullptr, 40000);
    SetOutStrct(t.get(), nullptr, 32768);
    EXPECT_EQ(t->entries[0].length, 300);
    EXPECT_EQ(t->entries[1].length, 40000 - 65536);
    EXPECT_EQ(t->entries[2].length, -32768);
}

TEST(ChunkList, AppendsBeyondTheTableAreDropped) {
    auto t = new_table();
    const uint8_t byte = 0;
    for (int i = 0; i < OUT_TABLE_ENTRIES + 50; ++i) SetOutStrct(t.get(), &byte, i);
    EXPECT_EQ(t->list.count, OUT_TABLE_ENTRIES);
    EXPECT_EQ(t->entries[OUT_TABLE_ENTRIES - 1].length, OUT_TABLE_ENTRIES - 1);
    EXPECT_EQ(t->list.entries, nullptr);
    EXPECT_EQ(t->emptyList.count, 0);
    EXPECT_EQ(t->emptyList.entries, nullptr);
    t->list.count = -1;  // a table the host scribbled on
    SetOutStrct(t.get(), &byte, 1);
    EXPECT_EQ(t->list.count, -1);
    SetOutStrct(nullptr, &byte, 1);
}

TEST(ChunkList, IsNullInfoOnlyForTheAllZeroReference) {
    const OffsetInfo null = {0, 0, 0};
    const OffsetInfo cases[] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {-1, 0, 0}};
    EXPECT_EQ(isNullInfo(&null), 1);
    for (const OffsetInfo& info : cases) EXPECT_EQ(isNullInfo(&info), 0);
    EXPECT_EQ(isNullInfo(nullptr), 1);
}

// Lengths around the 16-bit limit: one chunk up to 32767 bytes, then
// consecutive pieces of 32767 that add up to the whole.
TEST(ChunkList, PublishedBytesAreCutIntoChunksOfAtMost32767) {
    struct Case {
        int32_t length;
        std::vector<int16_t> chunks;
    };
    const Case kCases[] = {
        {0, {0}},
        {1, {1}},
        {32767, {32767}},
        {32768, {32767, 1}},
        {52500, {32767, 19733}},
        {65534, {32767, 32767}},
        {65535, {32767, 32767, 1}},
    };
    static uint8_t buffer[70000];
    for (const Case& c : kCases) {
        auto t = new_table();
        vrelo::publish_bytes(t.get(), buffer, c.length);
        EXPECT_EQ(t->list.entries, &t->entries[0]);
        ASSERT_EQ(t->list.count, static_cast<int16_t>(c.chunks.size())) << c.length;
        const uint8_t* next = buffer;
        for (size_t i = 0; i < c.chunks.size(); ++i) {
            EXPECT_EQ(t->entries[i].data, next);
            EXPECT_EQ(t->entries[i].length, c.chunks[i]);
            next += c.chunks[i];
        }
    }
}

TEST(ChunkList, EmptyingClearsEveryEntryAndBothLists) {
    auto t = new_table();
    const uint8_t byte = 0;
    for (int i = 0; i < OUT_TABLE_ENTRIES; ++i) SetOutStrct(t.get(), &byte, 5);
    t->list.entries = &t->entries[0];
    vrelo::empty_chunk_table(t.get());
    EXPECT_EQ(t->list.count, 0);
    EXPECT_EQ(t->list.entries, nullptr);
    for (const OutEntry& e : t->entries) {
        ASSERT_EQ(e.data, nullptr);
        ASSERT_EQ(e.length, 0);
    }
}

}  // namespace
