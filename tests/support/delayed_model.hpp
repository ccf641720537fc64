// An independent model of delayed-mode output, kept deliberately plain:
// the line steps of a page numbered as its lines are, and per colour a map
// from the step a row falls due on to the row, instead of rings and
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
    // previous one or after a page end, skips adding up to more than
    // VRELO_MAX_ADVANCE, or a line leaving rows that a page end could then
    // no longer send within it.
    std::optional<Chunks> produce(int32_t line, const LineCommands& rows);
    std::optional<Chunks> flush();
    std::optional<Chunks> form_feed(int32_t endLine);
    // Whether the last page end answered the job's empty list: a form
    // feed that walked no step because it ends right where the walks stand.
    bool empty_list() const { return emptyList_; }
    void complete();
    // A new page; a call still pending is completed first.
    void init_part();

    // Rows still waiting to be sent, all colours together.
    size_t waiting() const;
    // Where the next walk starts on the page's steps: with carry-over, the
    // step of this page that the next page's line 0 stands for.
    int64_t next_step() const { return next_; }

  private:
    enum class Call { None, Line, Flush, FormFeed };

    // Where a walk leaves the paper: the lines its skips add up to, and
    // the steps walked since the paper last moved.
    struct WalkEnd {
        int64_t sent = 0;
        int64_t blankRun = 0;
    };
    // Walks `steps` steps from next_; with out, sends what falls due into
    // it and moves on, without, only tells where the walk would end.
    WalkEnd walk(int64_t steps, const Bytes* black, Chunks* out);
    int64_t next_due(int64_t from) const;
    std::optional<Chunks> page_end(int64_t steps, Call call);

    bool feedOnFlush_;
    int32_t lastLine_ = -1;
    int64_t next_ = 0;      // the step the next walk starts on
    int64_t blankRun_ = 0;  // steps walked since the paper last moved
    bool ended_ = false;    // a flush or form feed ended the page
    bool emptyList_ = false;
    Call pending_ = Call::None;
    int32_t pendingLine_ = 0;
    LineCommands pendingRows_;
    // Per colour, the rows not yet sent, by the step they fall due on.
    std::array<std::map<int64_t, Bytes>, 6> waiting_;
};

}  // namespace vrelo_test

#endif
