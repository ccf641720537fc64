#include "delayed_job.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "command_stream.hpp"

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
    return {static_cast<uint8_t>(0x80 | colour_of(letter)),
            static_cast<uint8_t>(1 + line % 251),
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

bool operator==(const SentRow& a, const SentRow& b) {
    return std::tie(a.line, a.letter, a.row) == std::tie(b.line, b.letter, b.row);
}

bool operator<(const SentRow& a, const SentRow& b) {
    return std::tie(a.line, a.letter, a.row) < std::tie(b.line, b.letter, b.row);
}

std::ostream& operator<<(std::ostream& out, const SentRow& row) {
    return out << "line " << row.line << " " << row.letter << " ("
               << row.row.size() << " bytes)";
}

std::vector<SentRow> sorted(std::vector<SentRow> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

ReadBack read_back(const Bytes& stream, int64_t position) {
    const CommandStream read = read_command_stream(stream);
    EXPECT_EQ(read.error, "");
    ReadBack result;
    for (size_t i = 0; i < read.events.size(); ++i) {
        const CommandEvent& e = read.events[i];
        if (e.kind == CommandKind::kSkip) {
            position += e.lines;
        } else if (e.kind == CommandKind::kColourRow) {
            const int64_t delay = ColorOffset[colour_of(e.letter)];
            result.rows.push_back({position - delay, e.letter, e.row});
            const bool closed = i + 1 < read.events.size() &&
                                read.events[i + 1].kind == CommandKind::kCarriageReturn;
            EXPECT_TRUE(closed) << "row " << result.rows.back() << " not closed";
            i += closed ? 1 : 0;
        } else if (e.kind == CommandKind::kFormFeed) {
            ++result.formFeeds;
        } else {
            ADD_FAILURE() << "stray " << e;
        }
    }
    return result;
}

int live_ranges(const MasterWork& job) {
    int ranges = 0;
    for (auto* block = static_cast<const OffsetBlock*>(job.offsetMemory.firstHandle.pointer);
         block != nullptr;
         block = static_cast<const OffsetBlock*>(block->nextHandle.pointer))
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
