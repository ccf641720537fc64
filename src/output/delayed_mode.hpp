// Delayed mode, shared by its three files: the calls and the completion
// (delayed_mode.cpp), the line-step walk with its skip block and the
// advance bound of each call (delayed_walk.cpp), and the rows in the job's
// sub-allocator (delayed_rows.cpp).
#ifndef VRELO_OUTPUT_DELAYED_MODE_HPP
#define VRELO_OUTPUT_DELAYED_MODE_HPP

#include "delay/delay_timing.hpp"
#include "output/line_planes.hpp"
#include "output/master_work.hpp"
#include "output/row_commands.hpp"

namespace vrelo {

// ---- The calls

// OutputComplete in delayed mode.
int32_t delayed_complete(MasterWork* job);

// The advance bound of each producing call (delayed_walk.cpp).
int32_t check_delayed_produce(const MasterWork& job, int32_t lineNumber, const LinePlanes& planes);
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

// ---- The walk: the line steps shared by OutputProduce, OutputFlush and
// OutputFormFeed, which send on each step the rows that fall due, preceded
// by the paper advance owed, and the skip block they write into.

// Steps of one walk that can send a row: those within the longest delay,
// and the last one, which carries the black row of the line produced.
constexpr int32_t kMostSendingSteps = kLongestDelay + 1;
// Skip commands of one call: one before the first row of each sending
// step, plus the splits of the advance, which never exceeds
// VRELO_MAX_ADVANCE; then room for the form-feed byte.
constexpr int32_t kMostSkipCommands = kMostSendingSteps + VRELO_MAX_ADVANCE / kLongestSkip;
// The largest skip block.
constexpr int32_t kSkipBlockBytes = kMostSkipCommands * kSkipCommandBytes + 1;
// Chunks of one call: every row waiting in the rings, the black row, the
// skip commands and the form-feed byte.
constexpr int32_t kMostChunks = kMostWaitingRows + 1 + kMostSkipCommands + 1;
static_assert(kMostChunks <= VRELO_OUT_TABLE_ENTRIES,
              "the chunk table must hold the largest delayed-mode call");
static_assert(kSkipBlockBytes < VRELO_OFFSET_BLOCK_BYTES,
              "the skip block must fit one sub-allocator range");

// The due rule of the rings: on step `step` of a walk, colour's row comes
// from its ring while the step lies within the colour's delay (the row's
// line was given before the walk began).
inline bool due_from_rings(int16_t colour, int64_t step) {
    return step < ColorOffset[colour];
}

// One walk over line steps within one producing call.
struct Walk {
    MasterWork* job;
    uint8_t* skipCursor;  // next free byte of the skip block
    int64_t owed;         // advance not yet sent
    int32_t failStatus;   // status when a due row cannot be resolved
};

// Bytes of the skip block of a walk of `steps` steps: room for every skip
// command it can write and the form-feed byte, at most kSkipBlockBytes.
int32_t skip_block_bytes(int64_t steps, int64_t owed);

// Starts a walk of `steps` steps: takes the call's skip block, with its
// address. Returns VRELO_OK, or VRELO_RANGE_FAILED when it cannot be had.
int32_t begin_walk(Walk* walk, MasterWork* job, int64_t steps);

// Walks `steps` line steps from the read position, sending what falls due;
// with blackOnLast the last step also sends black's temporary row. Steps
// beyond every ring's reach cost nothing but a count. VRELO_OK or the
// walk's failStatus; on success blankRun holds what is owed.
int32_t walk_steps(Walk* walk, int64_t steps, bool blackOnLast);

// Appends the form-feed byte behind the skip commands.
void send_form_feed(Walk* walk);

// ---- The rows: each line's rows parked in ranges of their own, and
// released again, one at a time as the rings let them go or all together
// when a page starts or a call fails.

// Compresses every row of the line with ink into a range of its own, as a
// complete colour-raster command, and parks its reference in the colour's
// temporary slot. Needs the sub-allocator locked. VRELO_OK, or
// VRELO_RANGE_FAILED when a range cannot be had.
int32_t park_rows(MasterWork* job, const LinePlanes& planes);

// Releases the range a row reference names, if any, and nulls the
// reference; VRELO_LOCK_FAILED when the sub-allocator refuses.
int32_t release_row(MasterWork* job, OffsetInfo* ref);

// Releases the rows still in the temporary slots (black's, sent from there,
// and those of a line that walked no step) and empties the slots.
int32_t release_temporary_rows(MasterWork* job);

// Releases and empties ring indices from..size-1 of every colour, where
// `from` is the colour's delay when fromDelay, else 0.
int32_t release_ring_indices(MasterWork* job, bool fromDelay);

// Every ring rotated so the row due on the read position's step sits at
// index 0, where a restarted read pointer finds it; the indices from the
// colour's delay on held rows already sent, and are released.
int32_t rotate_rings(MasterWork* job);

// Empties the rings, the temporary slots and the skip block's reference
// once the ranges they name are released.
void forget_delayed_rows(MasterWork* job);

}  // namespace vrelo

#endif
