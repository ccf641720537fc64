// Delayed mode's line steps: the walk shared by OutputProduce, OutputFlush
// and OutputFormFeed, which sends on each step the rows that fall due,
// preceded by the paper advance owed, and the skip block it writes into.
#ifndef VRELO_OUTPUT_DELAYED_WALK_HPP
#define VRELO_OUTPUT_DELAYED_WALK_HPP

#include "delay/delay_timing.hpp"
#include "output/master_work.hpp"
#include "output/row_commands.hpp"

namespace vrelo {

// Steps of one walk that can send a row: those within the longest delay,
// and the last one, which carries the black row of the line produced.
constexpr int32_t kMostSendingSteps = kLongestDelay + 1;
// Skip commands of one call: one before the first row of each sending
// step, plus the splits of the advance, which never exceeds
// VRELO_MAX_ADVANCE; then room for the form-feed byte.
constexpr int32_t kMostSkipCommands =
    kMostSendingSteps + VRELO_MAX_ADVANCE / kLongestSkip;
// The largest skip block.
constexpr int32_t kSkipBlockBytes =
    kMostSkipCommands * kSkipCommandBytes + 1;
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
    uint8_t* skipCursor;   // next free byte of the skip block
    int64_t owed;          // advance not yet sent
    int32_t failStatus;    // status when a due row cannot be resolved
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

}  // namespace vrelo

#endif
