// What the files of delayed mode share: the completion, the advance
// checks, and where a page end's walk starts.
#ifndef VRELO_OUTPUT_DELAYED_MODE_HPP
#define VRELO_OUTPUT_DELAYED_MODE_HPP

#include "output/line_planes.hpp"
#include "output/master_work.hpp"

namespace vrelo {

// OutputComplete in delayed mode (delayed_complete.cpp).
int32_t delayed_complete(MasterWork* job);

// The advance bound of each producing call (delayed_bounds.cpp).
int32_t check_delayed_produce(const MasterWork& job, int32_t lineNumber,
                              const LinePlanes& planes);
int32_t check_delayed_flush(const MasterWork& job);
int32_t check_delayed_form_feed(const MasterWork& job, int32_t endLine);

// Steps a form feed at endLine walks: from the line after the last one
// produced, or from the end line of a form feed before it on the page, up
// to endLine - 1.
int64_t form_feed_steps(const MasterWork& job, int32_t endLine);

// The read pointer a page end walks from: 0 for rings that a form feed's
// completion rotated (the next row of each colour stands at index 0), else
// the read position after the last line produced.
int32_t page_end_start(const MasterWork& job);

}  // namespace vrelo

#endif
