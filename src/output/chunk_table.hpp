// The job's chunk table as the producing calls fill it: where it lives,
// how it is emptied and how one span of the command buffer is published.
#ifndef VRELO_OUTPUT_CHUNK_TABLE_HPP
#define VRELO_OUTPUT_CHUNK_TABLE_HPP

#include "output/master_work.hpp"

namespace vrelo {

// The table block itself, whether or not a list is live.
OutStrct* chunk_table(const MasterWork& job);

// Every entry null with length 0, both lists count 0 and entries null: no
// host can follow an entry into memory the job has released.
void empty_chunk_table(OutStrct* table);

// Empties the list's own entries only: every entry past them is null
// already when each list was built from an emptied table.
void empty_listed_entries(OutStrct* table);

// The primary list, live and without chunks (entries at entry 0).
void publish_nothing(OutStrct* table);

// The primary list holding length bytes from start, cut into consecutive
// chunks by split_into_pieces (a chunk length is an int16); always at
// least one chunk, so a line without ink still answers one of length 0.
void publish_bytes(OutStrct* table, const uint8_t* start, int32_t length);

}  // namespace vrelo

#endif
