// Delayed mode is not produced yet: a job configured for it refuses every
// producing and completing call as out of order, through the failure exit,
// so nothing reaches the printer and the host sees a clear status.
#include "output/producing_calls.hpp"

namespace vrelo {
namespace {

int32_t refuse(MasterWork* job, OutList** out) {
    return fail_call(job, VRELO_OUT_OF_ORDER, out);
}

}  // namespace

const ModeCalls kDelayedMode = {
    [](MasterWork* job, int32_t, const LinePlanes&, OutList** out) {
        return refuse(job, out);
    },
    [](MasterWork* job) { return refuse(job, nullptr); },
    [](MasterWork* job, OutList** out) { return refuse(job, out); },
    [](MasterWork* job, OutList** out, int32_t) { return refuse(job, out); },
    [](const MasterWork&, int32_t) { return static_cast<int32_t>(VRELO_OK); },
};

}  // namespace vrelo
