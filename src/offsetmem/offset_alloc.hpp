// The offset allocator's calls for a sub-allocator that keeps one spare
// block: the block whose last range was released last, held outside the
// list and given out again as the next new block, so that a job whose
// lines each take and give back a block (a blank line's skip block, rows
// that fill one block and leave it) does not free one 64 KiB block and
// make another, zero-filled, on every line. The list, the ids, the
// references and every status are those of the exported Offset* calls,
// which are these calls without a spare.
#ifndef VRELO_OFFSETMEM_OFFSET_ALLOC_HPP
#define VRELO_OFFSETMEM_OFFSET_ALLOC_HPP

#include "platform/records.hpp"

namespace vrelo {

// OffsetNewID; a new block is the spare renewed when *spare holds one.
// When data is not null it receives the range's address on success, as
// OffsetNewPtr would give it, without a second walk of the list.
int32_t allocate_range(OffsetMemory* root, OffsetInfo* ref, int32_t size,
                       PtrHandle* spare, uint8_t** data);

// OffsetDisposeID; a block left without ranges becomes the spare when
// *spare holds none, else it is freed.
int32_t release_range(OffsetMemory* root, OffsetInfo* ref, PtrHandle* spare);

// Frees the spare block, if there is one: at a page end, where nothing but
// rows still waiting may keep a block.
void release_spare(PtrHandle* spare);

// OffsetDisposeMemory, freeing the spare too.
int32_t release_all_ranges(OffsetMemory* root, PtrHandle* spare);

}  // namespace vrelo

#endif
