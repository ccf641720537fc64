// Properties of every PackBits encoder over seeded rows of every shape:
// the stream decodes to the row, stays within n + ceil(n / 126) bytes,
// never holds a 0x80 control byte, matches the plain reference encoder
// byte for byte, and GetPackBitsLength predicts its size exactly.
#include <gtest/gtest.h>

#include <algorithm>

#include "diffused_pages.hpp"
#include "encode_calls.hpp"
#include "packbits_decode.hpp"
#include "reference_packbits.hpp"
#include "row_shapes.hpp"

namespace vrelo_test {
namespace {

// Rows of error-diffused photographs and text at 1 and 2 bits per pixel,
// from bands down the page, as a driver's halftoning hands them over.
std::vector<Bytes> diffused_sample_rows() {
    std::vector<Bytes> rows;
    const int width = 2400;  // pixels: rows of 300 and 600 bytes
    for (PageContent content : {PageContent::kPhoto, PageContent::kText})
        for (int bits : {1, 2})
            for (int band = 0; band < 4; ++band) {
                const DiffusedRows diffused =
                    diffused_rows(content, bits, 500 + 2000 * band, 3, 11, width);
                for (const std::vector<Bytes>& colour : diffused.rows)
                    rows.insert(rows.end(), colour.begin(), colour.end());
            }
    return rows;
}

// A run of runLength after an open literal of literal bytes, then a few
// single bytes: walks every run length against every literal state.
Bytes run_after_literal(Rng& rng, size_t literal, size_t runLength) {
    // The last of these bytes starts the run; those before it are singles.
    Bytes row = distinct_neighbours_row(rng, literal + 1);
    row.insert(row.end(), runLength - 1, row.back());
    for (uint8_t step : {1, 2, 1}) row.push_back(static_cast<uint8_t>(row.back() + step));
    return row;
}

std::vector<Bytes> make_rows_of_every_shape() {
    Rng rng(20240603);
    std::vector<Bytes> rows;
    for (size_t runLength = 1; runLength <= 300; ++runLength) {
        rows.push_back(runs_row(rng, 3 * runLength + 1, runLength));
        for (size_t literal : {0, 1, 2, 63, 124, 125, 126, 127, 128})
            rows.push_back(run_after_literal(rng, literal, runLength));
    }
    for (size_t pairs = 1; pairs <= 200; ++pairs) rows.push_back(pairs_row(rng, pairs));
    for (size_t literal = 120; literal <= 130; ++literal)
        for (size_t pairs = 1; pairs <= 4; ++pairs)
            for (size_t runLength : {1, 2, 3, 129}) {
                Bytes row = literal_then_pairs_row(rng, literal, pairs);
                row.insert(row.end(), runLength, static_cast<uint8_t>(row.back() + 1));
                rows.push_back(row);
            }
    std::uniform_int_distribution<size_t> size(1, 3000);
    for (int i = 0; i < 150; ++i) rows.push_back(random_row(rng, size(rng)));
    for (int i = 0; i < 150; ++i) rows.push_back(mixed_runs_row(rng, size(rng)));
    for (const Bytes& row : diffused_sample_rows()) rows.push_back(row);
    return rows;
}

const std::vector<Bytes>& rows_of_every_shape() {
    static const std::vector<Bytes> rows = make_rows_of_every_shape();
    return rows;
}

int32_t exported_packbits(uint8_t* destination, const uint8_t* source, int32_t n) {
    return packbits(destination, source, n);
}

bool runs_anywhere() {
    return true;
}

std::vector<vrelo::PackBitsVariant> encoders_under_test() {
    std::vector<vrelo::PackBitsVariant> encoders(
        vrelo::kPackBitsVariants, vrelo::kPackBitsVariants + vrelo::kPackBitsVariantCount);
    encoders.push_back({"exported", exported_packbits, runs_anywhere});
    return encoders;
}

class EveryEncoder : public testing::TestWithParam<vrelo::PackBitsVariant> {
  protected:
    void SetUp() override {
        if (!GetParam().runs_here()) GTEST_SKIP() << "not for this processor";
    }
};

TEST_P(EveryEncoder, MatchesTheReferenceByteForByte) {
    for (const Bytes& row : rows_of_every_shape())
        ASSERT_EQ(run_encoder(GetParam().encode, row), reference_packbits(row))
            << "row of " << row.size() << " bytes";
}

TEST_P(EveryEncoder, DecodesBackToTheRowWithinTheBound) {
    // run_encoder's buffer holds exactly the bound, so the sanitizers catch
    // any write past it; the decoder rejects 0x80 and overlong records.
    for (const Bytes& row : rows_of_every_shape()) {
        const Bytes stream = run_encoder(GetParam().encode, row);
        EXPECT_LE(stream.size(), packbits_bound(row.size()));
        const Decoded decoded = packbits_decode(stream);
        ASSERT_EQ(decoded.error, "") << "row of " << row.size() << " bytes";
        ASSERT_EQ(decoded.bytes, row);
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, EveryEncoder, testing::ValuesIn(encoders_under_test()),
                         [](const testing::TestParamInfo<vrelo::PackBitsVariant>& variant) {
                             return std::string(variant.param.name);
                         });

// What LeftPack and packbits write for bytes 0..last of a row whose inked
// part starts at first.
size_t written_size(const Bytes& row, int32_t first, int32_t last) {
    size_t size = first > 0 ? run_left_pack(first).size() : 0;
    if (last >= first)
        size += run_packbits(Bytes(row.begin() + first, row.begin() + last + 1)).size();
    return size;
}

TEST(PackBitsLength, EqualsPrefixPlusPayloadOnEveryShape) {
    Rng rng(7);
    for (const Bytes& inked : rows_of_every_shape()) {
        const int32_t blanks = std::uniform_int_distribution<int32_t>(0, 400)(rng);
        const Bytes row = concat({Bytes(static_cast<size_t>(blanks), 0), inked});
        const int32_t last = static_cast<int32_t>(row.size()) - 1;
        ASSERT_EQ(static_cast<size_t>(GetPackBitsLength(row.data(), blanks, last)),
                  written_size(row, blanks, last))
            << blanks << " blanks, " << inked.size() << " bytes";
        const int32_t first = std::uniform_int_distribution<int32_t>(0, last)(rng);
        ASSERT_EQ(static_cast<size_t>(GetPackBitsLength(row.data(), first, last)),
                  written_size(row, first, last))
            << first << ".." << last;
    }
}

TEST(PackBitsLength, AnEmptyRangeCountsOnlyThePrefix) {
    const Bytes row(300, 0);
    EXPECT_EQ(GetPackBitsLength(row.data(), 0, -1), 0);
    EXPECT_EQ(GetPackBitsLength(row.data(), 200, 150), 4);
}

TEST(ZeroRunPrefix, MatchesTheReferenceForEveryCount) {
    for (int32_t blanks = 1; blanks <= 1100; ++blanks) {
        const Bytes prefix = run_left_pack(blanks);
        ASSERT_EQ(prefix, reference_zero_prefix(blanks)) << blanks;
        ASSERT_EQ(packbits_decode(prefix).bytes, Bytes(static_cast<size_t>(blanks), 0));
    }
    EXPECT_EQ(run_left_pack(32767).size(), 512u);
}

}  // namespace
}  // namespace vrelo_test
