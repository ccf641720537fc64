// The chunk table handed to the host: the exported append, and the helpers
// the producing calls use to fill and empty the table.
#include "output/chunk_table.hpp"

#include "encode/commands.hpp"
#include "platform/memory.hpp"

VRELO_API void SetOutStrct(OutStrct* table, const uint8_t* data, int32_t length) {
    if (table == nullptr) return;
    const int16_t count = table->list.count;
    // A full table drops the append rather than write past its end.
    if (count < 0 || count >= VRELO_OUT_TABLE_ENTRIES) return;
    table->list.count = static_cast<int16_t>(count + 1);
    table->entries[count].data = data;
    table->entries[count].length = static_cast<int16_t>(length);
}

namespace vrelo {

OutStrct* chunk_table(const MasterWork& job) {
    return handle_target<OutStrct>(job.outTableHandle);
}

void empty_chunk_table(OutStrct* table) {
    for (OutEntry& entry : table->entries) {
        entry.data = nullptr;
        entry.length = 0;
    }
    table->list.count = 0;
    table->list.entries = nullptr;
    table->emptyList.count = 0;
    table->emptyList.entries = nullptr;
}

void empty_listed_entries(OutStrct* table) {
    const int16_t count = table->list.count;
    for (int16_t i = 0; i < count && i < VRELO_OUT_TABLE_ENTRIES; ++i) {
        table->entries[i].data = nullptr;
        table->entries[i].length = 0;
    }
    table->list.count = 0;
    table->list.entries = nullptr;
}

void publish_nothing(OutStrct* table) {
    table->list.count = 0;
    table->list.entries = &table->entries[0];
}

void publish_bytes(OutStrct* table, const uint8_t* start, int32_t length) {
    publish_nothing(table);
    if (length == 0) SetOutStrct(table, start, 0);
    split_into_pieces(length, [&](int32_t piece) {
        SetOutStrct(table, start, piece);
        start += piece;
    });
}

}  // namespace vrelo
