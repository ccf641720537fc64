#include "delayed_job.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "job_params.hpp"

namespace vrelo_test {
namespace {
using vrelo_test::kLetters;

}  // namespace

OutputParam delayed_param(bool feedOnFlush) {
    JobShape shape;
    shape.delayed = true;
    shape.feedOnFlush = feedOnFlush;
    return param_for(shape);
}

int colour_of(char letter) {
    const char* at = std::strchr(kLetters, letter);
    EXPECT_TRUE(at != nullptr && letter != 0) << letter;
    return at == nullptr ? 0 : static_cast<int>(at - kLetters);
}

Bytes marked_row(int32_t line, char letter) {
    return {static_cast<uint8_t>(0x80 | colour_of(letter)), static_cast<uint8_t>(1 + line % 251),
            static_cast<uint8_t>(1 + line / 251 % 251)};
}

PageLine marked_line(int32_t line, const std::string& letters) {
    PageLine result;
    result.lineNumber = line;
    for (char letter : letters) {
        PagePlane& plane = result.planes[colour_of(letter)];
        plane.present = true;
        plane.bytes = marked_row(line, letter);
        plane.width = 24;  // three bytes at 1 bit per pixel
    }
    return result;
}

Bytes marked_chunk(int32_t line, char letter) {
    return colour_command(colour_of(letter), marked_row(line, letter));
}

Bytes skip_chunk(int32_t lines) {
    const Chunks skips = skip_commands(lines);
    EXPECT_EQ(skips.size(), 1u);
    return skips.front();
}

ReadBack read_back(const Bytes& stream, int64_t position) {
    ReadBack result = place_rows(stream, true, position);
    EXPECT_EQ(result.error, "");
    return result;
}

int live_ranges(const MasterWork& job) {
    int ranges = 0;
    for (auto* block = static_cast<const OffsetBlock*>(job.offsetMemory.firstHandle.pointer);
         block != nullptr; block = static_cast<const OffsetBlock*>(block->nextHandle.pointer))
        ranges += block->slotCount;
    return ranges;
}

OffsetInfo ring_entry(MasterWork& job, int colour, int index) {
    OffsetInfo ref{};
    RefOptionalBuf(&job.ring, static_cast<int16_t>(colour), index, &ref);
    return ref;
}

int rows_in_rings(MasterWork& job) {
    int rows = 0;
    for (int c = 0; c < VRELO_COLOURS; ++c)
        for (int i = 0; i < ColorBufsize[c]; ++i) {
            const OffsetInfo ref = ring_entry(job, c, i);
            rows += isNullInfo(&ref) ? 0 : 1;
        }
    return rows;
}

bool temp_slots_empty(const MasterWork& job) {
    for (const OffsetInfo& ref : job.ring.TempBuf)
        if (!isNullInfo(&ref)) return false;
    return true;
}

bool chunk_table_empty(const MasterWork& job) {
    const auto* table = static_cast<const OutStrct*>(job.outTableHandle.pointer);
    for (const OutEntry& entry : table->entries)
        if (entry.data != nullptr || entry.length != 0) return false;
    return table->list.count == 0 && table->emptyList.count == 0 &&
           table->emptyList.entries == nullptr;
}

void expect_nothing_held(MasterWork& job) {
    EXPECT_EQ(job.produced, 0);
    EXPECT_EQ(live_ranges(job), 0);
    EXPECT_EQ(rows_in_rings(job), 0);
    EXPECT_TRUE(temp_slots_empty(job));
    EXPECT_TRUE(isNullInfo(&job.skipInfo));
    EXPECT_TRUE(chunk_table_empty(job));
}

}  // namespace vrelo_test
