// The documented PackBits streams: how runs, pairs and literals become
// records, the zero-run prefix, the 16-bit reading of counts, and the size
// measure that must neither allocate nor disagree with the writers.
#include <gtest/gtest.h>

#include "encode_calls.hpp"
#include "platform/alloc_fail.hpp"
#include "row_shapes.hpp"

namespace vrelo_test {
namespace {

const uint8_t kFill = 0xEE;

Bytes repeated(size_t count, uint8_t value) {
    return Bytes(count, value);
}

Bytes head(const Bytes& row, size_t count) {
    return Bytes(row.begin(), row.begin() + static_cast<long>(count));
}

Bytes tail(const Bytes& row, size_t count) {
    return Bytes(row.end() - static_cast<long>(count), row.end());
}

TEST(PackBitsRecords, ShortRowsPairsAndRuns) {
    const struct {
        const char* row;
        const char* stream;
    } cases[] = {
        {"78", "00 78"},
        {"41 42", "01 41 42"},
        {"41 41 42 42", "FF 41 FF 42"},
        {"41 42 42 43", "03 41 42 42 43"},
        {"44 44 78", "FF 44 00 78"},
        {"41 42 42 42 42", "00 41 FD 42"},
        {"41 41 41 41 42 43 44 44 45 45 45 45 45 45 46", "FD 41 03 42 43 44 44 FB 45 00 46"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run_packbits(from_hex(c.row)), from_hex(c.stream)) << c.row;
}

TEST(PackBitsRecords, LongRunsAreCutInto128sFromTheFront) {
    EXPECT_EQ(run_packbits(repeated(128, 0x5A)), from_hex("81 5A"));
    EXPECT_EQ(run_packbits(repeated(129, 0x5A)), from_hex("81 5A 00 5A"));
    EXPECT_EQ(run_packbits(repeated(130, 0x5A)), from_hex("81 5A FF 5A"));
    EXPECT_EQ(run_packbits(repeated(257, 0x5A)), from_hex("81 5A 81 5A 00 5A"));
}

TEST(PackBitsRecords, LiteralsCloseAt128Bytes) {
    Rng rng(1);
    const Bytes row = distinct_neighbours_row(rng, 130);
    const Bytes stream = run_packbits(row);
    EXPECT_EQ(stream, concat({{0x7F}, head(row, 128), {0x01}, tail(row, 2)}));
    EXPECT_EQ(stream.size(), 132u);
}

TEST(PackBitsRecords, PairJoinsALiteralOnlyWhileItHoldsAtMost125Bytes) {
    Rng rng(2);
    const Bytes joined = literal_then_pairs_row(rng, 125, 1);
    EXPECT_EQ(run_packbits(joined), concat({{0x7E}, joined}));

    for (size_t literal : {126, 127}) {
        const Bytes row = literal_then_pairs_row(rng, literal, 1);
        EXPECT_EQ(
            run_packbits(row),
            concat({{static_cast<uint8_t>(literal - 1)}, head(row, literal), {0x01}, tail(row, 2)}))
            << literal;
    }
}

TEST(PackBitsRecords, LiteralFilledTo128ByASingleByteClosesForTheNext) {
    Rng rng(3);
    // 125 bytes, a pair, then x and y: x brings the literal to 128.
    const Bytes row = concat({literal_then_pairs_row(rng, 125, 1), {0x11, 0x22}});
    EXPECT_EQ(run_packbits(row), concat({{0x7F}, head(row, 128), {0x00, 0x22}}));
}

TEST(PackBitsCounts, NothingToEncodeWritesNothing) {
    uint8_t out[4] = {kFill, kFill, kFill, kFill};
    const uint8_t source[4] = {1, 2, 3, 4};
    for (int32_t n : {0, -1, 0x8000, 0xFFFF, 0x10000}) {
        EXPECT_EQ(packbits(out, source, n), 0) << n;
        EXPECT_EQ(out[0], kFill) << n;
    }
    EXPECT_EQ(packbits(nullptr, source, 4), 0);
    EXPECT_EQ(packbits(out, nullptr, 4), 0);
    EXPECT_EQ(out[0], kFill);
}

TEST(PackBitsCounts, OnlyTheLow16BitsOfTheCountAreRead) {
    const Bytes row = from_hex("41 42 42 42 42");
    Bytes out(packbits_bound(row.size()));
    EXPECT_EQ(packbits(out.data(), row.data(), 0x10000 + 3), 4);
    EXPECT_EQ(head(out, 4), from_hex("02 41 42 42"));
}

TEST(ZeroRunPrefix, TwoBytesPerStarted128Blanks) {
    const struct {
        int32_t blanks;
        const char* prefix;
    } cases[] = {
        {1, "00 00"},         {2, "FF 00"},         {128, "81 00"},
        {129, "81 00 00 00"}, {256, "81 00 81 00"}, {300, "81 00 81 00 D5 00"},
    };
    for (const auto& c : cases) EXPECT_EQ(run_left_pack(c.blanks), from_hex(c.prefix)) << c.blanks;
}

TEST(ZeroRunPrefix, NoBlanksWritesNothing) {
    uint8_t out[2] = {kFill, kFill};
    for (int32_t n : {0, -1, 0x8000, 0x10000}) {
        EXPECT_EQ(LeftPack(out, n), 0) << n;
        EXPECT_EQ(out[0], kFill) << n;
    }
    EXPECT_EQ(LeftPack(nullptr, 5), 0);
}

TEST(PackBitsLength, CountsPrefixAndPayloadOfTheInkedRange) {
    const Bytes letters = from_hex("41 41 41 41 42 43 44 44 45 45 45 45 45 45 46");
    const Bytes row = concat({Bytes(300, 0), letters, Bytes(20, 0)});
    EXPECT_EQ(run_left_pack(300), from_hex("81 00 81 00 D5 00"));
    EXPECT_EQ(GetPackBitsLength(row.data(), 300, 314), 6 + 11);
    EXPECT_EQ(GetPackBitsLength(letters.data(), 0, 14), 11);
}

TEST(PackBitsLength, MeasuresWithoutAllocating) {
    const Bytes row = concat({Bytes(40, 0), from_hex("01 02 02 03")});
    const int64_t before = vrelo::allocation_count();
    vrelo::fail_allocation_after(1);
    EXPECT_EQ(GetPackBitsLength(row.data(), 40, 43), 2 + 5);
    EXPECT_TRUE(vrelo::allocation_failure_armed());
    vrelo::fail_allocation_after(0);
    EXPECT_EQ(vrelo::allocation_count(), before);
}

TEST(PackBitsLength, RefusesAMissingRowOrARangeBeforeIt) {
    const Bytes row = from_hex("01 02 03");
    EXPECT_EQ(GetPackBitsLength(nullptr, 0, 2), 0);
    EXPECT_EQ(GetPackBitsLength(row.data() + 1, -1, 1), 0);
}

}  // namespace
}  // namespace vrelo_test
