// Refusals, for every accessor at once: a colour outside 0..5, a missing
// store and a missing caller reference. Refused calls give the accessor's
// failure result, leave the store exactly as it was and treat the caller's
// reference as that accessor promises. Under AddressSanitizer a table read
// with a bad colour would also show up as an overflow of the tables.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "ring_fixture.hpp"

namespace delay_test {
namespace {

constexpr int32_t kNoResult = INT32_MIN;  // stands in for calls with none

enum class RefEffect { cleared, untouched };

struct Accessor {
    const char* name;
    std::function<int32_t(RingBuf*, int16_t, OffsetInfo*)> call;
    int32_t refused;   // the result of a refused call
    RefEffect effect;  // what a refused call does to the caller's reference
    bool readsRef;     // takes a reference that must be there
};

const Accessor kAccessors[] = {
    {"SetOffsetInfo", [](RingBuf* r, int16_t c, OffsetInfo* i) { return SetOffsetInfo(r, i, c); },
     VRELO_FAILED, RefEffect::untouched, true},
    {"RefOutbufTempInfo", RefOutbufTempInfo, VRELO_FAILED, RefEffect::cleared, true},
    {"RefOutbufTempLength",
     [](RingBuf* r, int16_t c, OffsetInfo*) { return RefOutbufTempLength(r, c); }, 0,
     RefEffect::untouched, false},
    {"RefOutbufReadInfo", RefOutbufReadInfo, VRELO_FAILED, RefEffect::cleared, true},
    {"RefOutbufReadLength",
     [](RingBuf* r, int16_t c, OffsetInfo*) { return RefOutbufReadLength(r, c); }, 0,
     RefEffect::untouched, false},
    {"SetOutbufReadInfo", SetOutbufReadInfo, VRELO_FAILED, RefEffect::cleared, true},
    {"RefOutbufWriteInfo", RefOutbufWriteInfo, VRELO_FAILED, RefEffect::cleared, true},
    {"ResetOffsetInfo",
     [](RingBuf* r, int16_t c, OffsetInfo* i) { return ResetOffsetInfo(r, i, c); }, VRELO_FAILED,
     RefEffect::untouched, false},
    {"SetOutbufWriteInfo", SetOutbufWriteInfo, VRELO_FAILED, RefEffect::cleared, true},
    {"CopyTempToOutbuf", [](RingBuf* r, int16_t c, OffsetInfo*) { return CopyTempToOutbuf(r, c); },
     VRELO_FAILED, RefEffect::untouched, false},
    {"IncreaseWritePtr",
     [](RingBuf* r, int16_t c, OffsetInfo*) {
         IncreaseWritePtr(r, c);
         return kNoResult;
     },
     kNoResult, RefEffect::untouched, false},
    {"ResetRingBuf", [](RingBuf* r, int16_t c, OffsetInfo*) { return ResetRingBuf(r, c); },
     VRELO_FAILED, RefEffect::untouched, false},
    {"RefOptionalBuf",
     [](RingBuf* r, int16_t c, OffsetInfo* i) { return RefOptionalBuf(r, c, 0, i); },
     VRELO_OPTIONAL_DONE, RefEffect::cleared, true},
    {"SetOptionalBuf",
     [](RingBuf* r, int16_t c, OffsetInfo* i) { return SetOptionalBuf(r, c, 0, i); },
     VRELO_OPTIONAL_DONE, RefEffect::untouched, true},
};

constexpr int16_t kBadColours[] = {INT16_MIN, -2, -1, 6, 7, INT16_MAX};
constexpr OffsetInfo kCallerRef = {11, 22, 33};

void expect_ref_effect(const Accessor& a, const OffsetInfo& ref) {
    if (a.effect == RefEffect::cleared) {
        EXPECT_TRUE(is_null(ref)) << a.name;
    } else {
        EXPECT_EQ(ref.blockId, kCallerRef.blockId) << a.name;
        EXPECT_EQ(ref.offset, kCallerRef.offset) << a.name;
        EXPECT_EQ(ref.length, kCallerRef.length) << a.name;
    }
}

TEST(RingRefusals, BadColourChangesNothingInTheStore) {
    for (const Accessor& a : kAccessors) {
        for (int16_t colour : kBadColours) {
            auto ring = tagged_ring();
            const auto before = std::make_unique<RingBuf>(*ring);
            OffsetInfo ref = kCallerRef;
            EXPECT_EQ(a.call(ring.get(), colour, &ref), a.refused)
                << a.name << " colour " << colour;
            EXPECT_TRUE(same_store(*ring, *before)) << a.name << " colour " << colour;
            expect_ref_effect(a, ref);
        }
    }
}

TEST(RingRefusals, MissingStoreIsRefusedLikeABadColour) {
    for (const Accessor& a : kAccessors) {
        OffsetInfo ref = kCallerRef;
        EXPECT_EQ(a.call(nullptr, 1, &ref), a.refused) << a.name;
        expect_ref_effect(a, ref);
    }
    InitRingBuf(nullptr);
    InitTempBuf(nullptr);
    InitRPointer(nullptr);
    InitWPointer(nullptr);
    IncreaseReadPtr(nullptr);
    ResetReadPtr(nullptr);
}

TEST(RingRefusals, MissingReferenceIsRefused) {
    for (const Accessor& a : kAccessors) {
        if (!a.readsRef) continue;
        for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour) {
            auto ring = tagged_ring();
            const auto before = std::make_unique<RingBuf>(*ring);
            EXPECT_EQ(a.call(ring.get(), colour, nullptr), a.refused)
                << a.name << " colour " << colour;
            EXPECT_TRUE(same_store(*ring, *before)) << a.name;
        }
    }
}

}  // namespace
}  // namespace delay_test
