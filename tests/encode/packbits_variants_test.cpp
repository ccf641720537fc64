// Every PackBits variant against the portable encoder, byte for byte, on
// rows of every length up to the widest a job sends, at every alignment,
// with source and destination each ending right before an inaccessible
// page: a variant that reads past its row or writes past its output
// faults. Also how packbits is pointed at a variant.
#include <gtest/gtest.h>

#include <algorithm>

#include "diffused_pages.hpp"
#include "encode_calls.hpp"
#include "guarded_memory.hpp"
#include "row_shapes.hpp"

namespace vrelo_test {
namespace {

const int32_t kWidestRow = 8192;  // 16-bit pixel positions at 2 bits

// Rows of every kind one after the other, to cut rows of any length from:
// photograph and text halftones, noise, runs and pairs of every length.
Bytes mixed_pool() {
    Rng rng(515);
    Bytes pool;
    for (PageContent content : {PageContent::kPhoto, PageContent::kText}) {
        const DiffusedRows d = diffused_rows(content, 2, 3000, 1, 5, 9000);
        for (const std::vector<Bytes>& colour : d.rows)
            pool.insert(pool.end(), colour[0].begin(), colour[0].end());
    }
    for (size_t run = 1; run <= 140; ++run) {
        const Bytes runs = runs_row(rng, 4 * run, run);
        pool.insert(pool.end(), runs.begin(), runs.end());
    }
    for (const Bytes& part :
         {random_row(rng, 6000), pairs_row(rng, 700), mixed_runs_row(rng, 6000)})
        pool.insert(pool.end(), part.begin(), part.end());
    return pool;
}

class EveryVariant : public testing::TestWithParam<vrelo::PackBitsVariant> {
  protected:
    void SetUp() override {
        if (!GetParam().runs_here()) GTEST_SKIP() << "not for this processor";
    }

    // The variant's stream for row, read from a destination of exactly
    // the portable stream's size; both buffers end at a guard page.
    void expect_like_portable(const Bytes& row) {
        const Bytes expected = run_encoder(vrelo::packbits_portable, row);
        const uint8_t* source = source_.place(row);
        uint8_t* destination = destination_.last(expected.size());
        const int32_t written =
            GetParam().encode(destination, source, static_cast<int32_t>(row.size()));
        ASSERT_EQ(static_cast<size_t>(written), expected.size()) << "row of " << row.size();
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), destination))
            << "row of " << row.size() << " bytes";
    }

    GuardedMemory source_{kWidestRow};
    GuardedMemory destination_{static_cast<size_t>(packbits_bound(kWidestRow))};
};

TEST_P(EveryVariant, MatchesPortableOnEveryLengthAndAlignment) {
    // A row of n bytes ending at the guard starts at alignment -n, so the
    // lengths walk every alignment; the start in the pool moves too.
    static const Bytes pool = mixed_pool();
    ASSERT_GT(pool.size(), static_cast<size_t>(2 * kWidestRow));
    for (int32_t n = 1; n <= kWidestRow; ++n) {
        const size_t from = static_cast<size_t>(n) * 7919 % (pool.size() - static_cast<size_t>(n));
        expect_like_portable(Bytes(pool.begin() + static_cast<long>(from),
                                   pool.begin() + static_cast<long>(from) + n));
        if (HasFatalFailure()) return;
    }
}

TEST_P(EveryVariant, MatchesPortableOnSeededRowsOfEveryShape) {
    Rng rng(99);
    std::uniform_int_distribution<size_t> size(1, static_cast<size_t>(kWidestRow));
    for (int i = 0; i < 400; ++i) {
        const size_t n = size(rng);
        for (const Bytes& row :
             {random_row(rng, n), mixed_runs_row(rng, n), runs_row(rng, n, 1 + n % 5),
              literal_then_pairs_row(rng, n % 131, 1 + n % 7)}) {
            expect_like_portable(row);
            if (HasFatalFailure()) return;
        }
    }
}

TEST_P(EveryVariant, MatchesPortableOnBlankAndSolidRows) {
    for (int32_t n : {1, 2, 3, 16, 63, 64, 65, 127, 128, 129, 257, 4097, kWidestRow})
        for (uint8_t value : {0x00, 0xFF}) {
            expect_like_portable(Bytes(static_cast<size_t>(n), value));
            // A literal byte at either end of a long run.
            Bytes row(static_cast<size_t>(n), value);
            row.front() ^= 0x5A;
            row.back() ^= 0xA5;
            expect_like_portable(row);
        }
}

INSTANTIATE_TEST_SUITE_P(Variants, EveryVariant,
                         testing::ValuesIn(vrelo::kPackBitsVariants,
                                           vrelo::kPackBitsVariants + vrelo::kPackBitsVariantCount),
                         [](const testing::TestParamInfo<vrelo::PackBitsVariant>& variant) {
                             return std::string(variant.param.name);
                         });

// Restores the encoder chosen at the start of the test.
class ChoiceOfVariant : public testing::Test {
  protected:
    void TearDown() override {
        for (int32_t i = 0; i < vrelo::kPackBitsVariantCount; ++i)
            if (vrelo::kPackBitsVariants[i].encode == chosen_)
                vrelo::force_packbits_variant(vrelo::kPackBitsVariants[i].name);
    }
    const vrelo::PackBitsEncoder chosen_ = vrelo::chosen_packbits_encoder();
};

TEST_F(ChoiceOfVariant, PackbitsUsesTheForcedVariant) {
    for (int32_t i = 0; i < vrelo::kPackBitsVariantCount; ++i) {
        const vrelo::PackBitsVariant& variant = vrelo::kPackBitsVariants[i];
        EXPECT_EQ(vrelo::force_packbits_variant(variant.name), variant.runs_here());
        if (variant.runs_here()) {
            EXPECT_EQ(vrelo::chosen_packbits_encoder(), variant.encode) << variant.name;
        }
    }
}

TEST_F(ChoiceOfVariant, AnUnknownNameChangesNothing) {
    EXPECT_FALSE(vrelo::force_packbits_variant("no such variant"));
    EXPECT_EQ(vrelo::chosen_packbits_encoder(), chosen_);
}

}  // namespace
}  // namespace vrelo_test
