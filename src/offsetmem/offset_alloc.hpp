// The offset allocator's calls for a job's own sub-allocator, which keeps
// beside its root what the exported Offset* calls cannot: the spare block
// (the block whose last range was released last, held outside the list and
// given out again as the next new block, so that a job whose lines each
// take and give back a block does not free one 64 KiB block and make
// another, zero-filled, on every line) and an index of its blocks in list
// order, so that first fit and lookups by id read one small array rather
// than follow the list through the blocks. The list, the ids, the
// references and every status are those of the exported Offset* calls,
// which are these calls without a shelf.
#ifndef VRELO_OFFSETMEM_OFFSET_ALLOC_HPP
#define VRELO_OFFSETMEM_OFFSET_ALLOC_HPP

#include "platform/records.hpp"

namespace vrelo {

// Blocks the index holds. A job's rows at their widest need more; the
// index is then dropped and the list followed, until the list is empty.
constexpr int32_t kIndexedBlocks = 128;
constexpr int32_t kIndexDropped = -1;
constexpr int32_t kRecentIds = 32;

// What a search of one block has learned: no gap before its gap `gap`
// (gap k lies in front of slot k) is wider than `widest` bytes, so a search
// for more starts there. All zero: nothing learned.
struct GapHint {
    uint16_t gap;
    uint16_t widest;
};

// All zero: no spare, an empty index, as for an empty root. Beside each
// block the index keeps its id, its room (the largest range it may still
// take, 0 when its slots are all used) and its gap hint, so a search reads
// a block's header only where a range may fit, and its slots only from
// where one may.
struct BlockShelf {
    PtrHandle spare;
    int32_t count;  // blocks indexed, or kIndexDropped
    int16_t id[kIndexedBlocks];
    uint16_t room[kIndexedBlocks];
    GapHint hint[kIndexedBlocks];
    OffsetBlock* block[kIndexedBlocks];
    // Where an id was last found, by its low bits: rows of one colour come
    // from one block line after line. Checked before use, so a stale entry
    // only costs a search.
    uint8_t recent[kRecentIds];
};

// OffsetLockMemory and OffsetUnLockMemory. While the index holds every
// block only the lock flag changes: the job's blocks keep their data
// pointers cached from their creation on (blocks never move), and nothing
// of the job follows the cached links.
int32_t lock_ranges(OffsetMemory* root, BlockShelf* shelf);
int32_t unlock_ranges(OffsetMemory* root, BlockShelf* shelf);

// OffsetNewID; a new block is the spare renewed when the shelf holds one.
// When data is not null it receives the range's address on success, as
// OffsetNewPtr would give it.
int32_t allocate_range(OffsetMemory* root, OffsetInfo* ref, int32_t size, BlockShelf* shelf,
                       uint8_t** data);

// OffsetNewPtr, finding the block through the index.
uint8_t* range_address(OffsetMemory* root, const OffsetInfo* ref, BlockShelf* shelf);

// OffsetDisposeID; a block left without ranges becomes the spare when the
// shelf holds none, else it is freed.
int32_t release_range(OffsetMemory* root, OffsetInfo* ref, BlockShelf* shelf);

// Frees the spare block, if there is one: at a page end, where nothing but
// rows still waiting may keep a block.
void release_spare(BlockShelf* shelf);

// OffsetDisposeMemory, freeing the spare too.
int32_t release_all_ranges(OffsetMemory* root, BlockShelf* shelf);

}  // namespace vrelo

#endif
