// Parameter blocks that configure a job the way a test needs it: direct or
// delayed mode, 1 or 2 bits per pixel, doubled pixel positions or not.
#ifndef VRELO_TEST_JOB_PARAMS_HPP
#define VRELO_TEST_JOB_PARAMS_HPP

#include <cstdint>

#include "vrelo417.h"

namespace vrelo_test {

struct JobShape {
    bool delayed = false;
    int16_t pixelShift = 3;  // 3: 1 bit per pixel, 2: 2 bits
    bool doubleX = false;
    bool feedOnFlush = false;
};

// A block for OutputInit that yields exactly this shape.
OutputParam param_for(const JobShape& shape);

}  // namespace vrelo_test

#endif
