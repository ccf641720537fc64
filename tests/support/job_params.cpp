#include "job_params.hpp"

#include <cstring>

namespace vrelo_test {

OutputParam param_for(const JobShape& shape) {
    OutputParam param;
    std::memset(&param, 0, sizeof param);
    // Group B at modeLevel 10: depthSelA 4 gives 1 bit per pixel, any
    // other value 2 bits; depthSelB 0 leaves delayed mode possible.
    param.modelCode = 'L';
    param.modeLevel = 10;
    param.depthSelA = shape.pixelShift == 3 ? 4 : 2;
    param.outResX = 1440;
    param.outResY = 720;
    param.inResY = 720;
    param.inResX = shape.doubleX ? 720 : 1440;
    param.modeBits = shape.delayed ? 0x0004 : 0x0000;
    param.feedFlag = shape.feedOnFlush ? 1 : 0;
    return param;
}

}  // namespace vrelo_test
