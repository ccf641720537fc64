// What a parameter block decides about a job: pixel depth, direct or
// delayed mode, doubled pixel positions and carry-over of delayed rows.
#ifndef VRELO_OUTPUT_JOB_CONFIG_HPP
#define VRELO_OUTPUT_JOB_CONFIG_HPP

#include "vrelo417.h"

namespace vrelo {

// Pixel shifts: pixel p lies in byte p >> shift.
constexpr int16_t kOneBitPerPixel = 3;
constexpr int16_t kTwoBitsPerPixel = 2;

struct JobConfig {
    int16_t pixelShift;
    int16_t delayMode;
    int16_t doubleX;
    int16_t feedOnFlush;
};

// Pure: the same block always gives the same configuration.
JobConfig config_from(const OutputParam& param);

}  // namespace vrelo

#endif
