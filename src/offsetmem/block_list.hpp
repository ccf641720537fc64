// The block list's pieces beneath newlist and disposelist, for a
// sub-allocator that keeps the block it let go of last and gives it out
// again as its next new block, instead of freeing one block and making
// another on every line.
#ifndef VRELO_OFFSETMEM_BLOCK_LIST_HPP
#define VRELO_OFFSETMEM_BLOCK_LIST_HPP

#include "platform/records.hpp"

namespace vrelo {

// Unlinks the block *handle names as disposelist does, rewriting only the
// neighbours' handles, and replaces *handle with the handle of the block
// that followed it, or with the null handle. Returns disposelist's code;
// the block stays allocated, in *removed.
int32_t unlink_block(PtrHandle* handle, PtrHandle* removed);

// Frees an unlinked block: its data area, then its header.
void free_block(PtrHandle* block);

// Makes the header a block as newlist gives it out: the given id, no used
// slot, no link and its data pointer cached. The slots must be {0, 0}
// already, as they are in a new header and in a block whose last range was
// released. A block of an earlier life keeps the bytes of its data, which
// no range hands out before writing them.
OffsetBlock* start_block(const PtrHandle& header, int32_t id);

}  // namespace vrelo

#endif
