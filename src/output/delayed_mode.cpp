// Delayed mode's entries in the job's dispatch table.
#include "output/delayed_mode.hpp"
#include "output/producing_calls.hpp"

namespace vrelo {

const ModeCalls kDelayedMode = {
    delayed_produce,       delayed_complete,    delayed_flush,
    delayed_form_feed,     check_delayed_produce, check_delayed_flush,
    check_delayed_form_feed};

}  // namespace vrelo
