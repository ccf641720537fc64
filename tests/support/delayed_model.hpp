// An independent model of delayed-mode output, kept deliberately plain:
// absolute line steps and maps of waiting rows instead of rings and
// sub-allocator references. Given the colour-raster commands of each line
// it predicts, chunk by chunk, what the library must hand the host.
#ifndef VRELO_TEST_DELAYED_MODEL_HPP
#define VRELO_TEST_DELAYED_MODEL_HPP

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace vrelo_test {

using Bytes = std::vector<uint8_t>;
using Chunks = std::vector<Bytes>;
// The complete colour-raster command (header, payload, 0x0D) of each
// colour's row on one line, or nothing for a blank row.
using LineCommands = std::array<std::optional<Bytes>, 6>;

class DelayedModel {
public:
    explicit DelayedModel(bool feedOnFlush) : feedOnFlush_(feedOnFlush) {}

    Chunks produce(int32_t line, const LineCommands& rows);
    Chunks flush();
    Chunks formFeed(int32_t endLine);
    void complete();
    void initPart();

    // Rows still waiting to be sent, all colours together.
    size_t waiting() const;

private:
    enum class Call { None, Line, Flush, FormFeed };

    Chunks walk(int32_t steps, const LineCommands* current);
    void sendSkips(Chunks& out);
    void rebaseAfterFormFeed();

    bool feedOnFlush_;
    int32_t lastLine_ = -1;
    int64_t blankRun_ = 0;
    int64_t readStep_ = 0;
    bool rotated_ = false;
    Call pending_ = Call::None;
    int32_t pendingLine_ = 0;
    LineCommands pendingRows_;
    std::array<std::map<int64_t, Bytes>, 6> waiting_;
};

// Raster-skip commands for an advance of `lines`, split at 32767.
Chunks skip_commands(int64_t lines);

}  // namespace vrelo_test

#endif
