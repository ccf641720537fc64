// Byte-order conversion: the host test and the in-place swap of 16- and
// 32-bit units, checked against the compiler's own byte-swap of every
// whole unit, trailing bytes left alone.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "file_refs.hpp"
#include "vrelo417.h"

namespace vrelo_test {
namespace {

Bytes counting_bytes(size_t length) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
    return bytes;
}

Bytes swapped(Bytes bytes, int16_t width) {
    SwapBinaryData(bytes.data(), static_cast<int32_t>(bytes.size()), width);
    return bytes;
}

TEST(ByteOrder, HostTestMatchesTheTarget) {
    EXPECT_EQ(SwapBinaryDataCheck(), __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? 1 : 0);
}

TEST(ByteOrder, DocumentedExamples) {
    EXPECT_EQ(swapped({1, 2, 3, 4, 5, 6}, 4), (Bytes{4, 3, 2, 1, 5, 6}));
    EXPECT_EQ(swapped({1, 2, 3, 4, 5}, 2), (Bytes{2, 1, 4, 3, 5}));
    EXPECT_EQ(swapped({1, 2, 3}, 4), (Bytes{1, 2, 3}));
    EXPECT_EQ(swapped({1}, 2), (Bytes{1}));
}

TEST(ByteOrder, WholeUnitsAreByteSwappedAndTrailingBytesStay) {
    std::mt19937 random(417);
    for (size_t length = 0; length <= 19; ++length) {
        Bytes original(length);
        for (uint8_t& byte : original) byte = static_cast<uint8_t>(random());
        const Bytes by2 = swapped(original, 2);
        const Bytes by4 = swapped(original, 4);
        for (size_t at = 0; at + 2 <= length; at += 2) {
            uint16_t before, after;
            std::memcpy(&before, &original[at], 2);
            std::memcpy(&after, &by2[at], 2);
            EXPECT_EQ(after, __builtin_bswap16(before)) << length << " " << at;
        }
        for (size_t at = 0; at + 4 <= length; at += 4) {
            uint32_t before, after;
            std::memcpy(&before, &original[at], 4);
            std::memcpy(&after, &by4[at], 4);
            EXPECT_EQ(after, __builtin_bswap32(before)) << length << " " << at;
        }
        for (size_t at = length / 2 * 2; at < length; ++at) {
            EXPECT_EQ(by2[at], original[at]);
        }
        for (size_t at = length / 4 * 4; at < length; ++at) {
            EXPECT_EQ(by4[at], original[at]);
        }
        EXPECT_EQ(swapped(by2, 2), original);
        EXPECT_EQ(swapped(by4, 4), original);
    }
}

TEST(ByteOrder, WidthOneOtherWidthsAndBadArgumentsChangeNothing) {
    const Bytes original = counting_bytes(16);
    for (int16_t width : {1, 0, -2, -4, 3, 8, 16}) {
        EXPECT_EQ(swapped(original, width), original) << width;
    }
    Bytes bytes = original;
    SwapBinaryData(bytes.data(), -4, 4);
    SwapBinaryData(bytes.data(), 0, 2);
    EXPECT_EQ(bytes, original);
    SwapBinaryData(nullptr, 16, 4);  // ignored
}

}  // namespace
}  // namespace vrelo_test
