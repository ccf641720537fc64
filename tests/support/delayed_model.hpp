// An independent model of delayed-mode output, kept deliberately plain:
// absolute line steps and maps of waiting rows instead of rings and
// sub-allocator references. Given the colour-raster commands of each line
// it predicts, chunk by chunk, what the library must hand the host, and
// which calls the library must refuse.
#ifndef VRELO_TEST_DELAYED_MODEL_HPP
#define VRELO_TEST_DELAYED_MODEL_HPP

#include <array>
#include <cstdint>
#include <map>
#include <optional>

#include "stream_commands.hpp"

namespace vrelo_test {

class DelayedModel {
public:
    explicit DelayedModel(bool feedOnFlush) : feedOnFlush_(feedOnFlush) {}

    // Each producing call's chunks, or nothing when the job must refuse it
    // with VRELO_BAD_ARGUMENT and change nothing: a line not after the
    // previous one, skips adding up to more than VRELO_MAX_ADVANCE, or a
    // line leaving a row that could then no longer be sent within it.
    std::optional<Chunks> produce(int32_t line, const LineCommands& rows);
    std::optional<Chunks> flush();
    std::optional<Chunks> form_feed(int32_t endLine);
    void complete();
    // A new page; a call still pending is abandoned.
    void init_part();

    // Rows still waiting to be sent, all colours together.
    size_t waiting() const;

private:
    enum class Call { None, Line, Flush, FormFeed };

    Chunks walk(int64_t steps, const LineCommands* current);
    int64_t next_due(int64_t from, int64_t also) const;
    std::optional<Chunks> page_end(int64_t steps, Call call);
    void send_skips(Chunks& out);
    void rebase_after_form_feed();

    bool feedOnFlush_;
    int32_t lastLine_ = -1;
    int64_t blankRun_ = 0;
    int64_t sent_ = 0;  // lines the skips of the latest walk add up to
    int64_t readStep_ = 0;
    // The waiting rows were renumbered by a form feed's completion and no
    // line has been produced since: a flush starts again from step 0.
    bool rebased_ = false;
    int64_t feedEnd_ = 0;  // while rebased_: the end line step 0 stands for
    Call pending_ = Call::None;
    int32_t pendingLine_ = 0;
    LineCommands pendingRows_;
    // Per colour, the rows not yet sent by the step they are due on.
    std::array<std::map<int64_t, Bytes>, 6> waiting_;
};

}  // namespace vrelo_test

#endif
