// Moving the pointers many steps at once ends exactly where as many single
// steps end, from any starting value.
#include <gtest/gtest.h>

#include "delay/ring_pointers.hpp"

namespace {

TEST(RingSteps, ManyStepsAtOnceEqualSingleSteps) {
    const int32_t starts[] = {0, 5, 511, INT32_MAX - 3, -7, INT32_MIN};
    const uint32_t counts[] = {0, 1, 127, 128, 513, 1000, 70000};
    for (int32_t start : starts) {
        for (uint32_t count : counts) {
            RingBuf bulk{}, single{};
            bulk.RPointer = single.RPointer = start;
            for (int c = 0; c < VRELO_COLOURS; ++c)
                bulk.WPointer[c] = single.WPointer[c] = ColorOffset[c] + 3;
            vrelo::step_read_pointer(&bulk, count);
            for (int16_t c = 0; c < VRELO_COLOURS; ++c) vrelo::step_write_pointer(&bulk, c, count);
            for (uint32_t k = 0; k < count; ++k) {
                IncreaseReadPtr(&single);
                for (int16_t c = 0; c < VRELO_COLOURS; ++c) IncreaseWritePtr(&single, c);
            }
            ASSERT_EQ(bulk.RPointer, single.RPointer) << start << " " << count;
            for (int c = 0; c < VRELO_COLOURS; ++c)
                ASSERT_EQ(bulk.WPointer[c], single.WPointer[c]) << c;
        }
    }
}

}  // namespace
