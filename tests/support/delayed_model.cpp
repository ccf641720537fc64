#include "delayed_model.hpp"

#include <algorithm>

#include "vrelo417.h"

namespace vrelo_test {
namespace {
const int32_t kDelay[6] = {0, 336, 224, 112, 224, 112};
const int32_t kDrainSteps = 336;
}  // namespace

void DelayedModel::send_skips(Chunks& out) {
    for (Bytes& skip : skip_commands(blankRun_)) out.push_back(skip);
    sent_ += blankRun_;
    blankRun_ = 0;
}

// Walks `steps` line steps from the read step. A colour's row is due when
// the step lies within its delay of the walk's start (its line was given
// before this call); black's row of `current` goes out on the last step.
Chunks DelayedModel::walk(int64_t steps, const LineCommands* current) {
    Chunks out;
    sent_ = 0;
    for (int64_t l = 0; l < steps; ++l) {
        if (l >= kDrainSteps && l < steps - 1) {
            // Every delay has run out: only the last step can send.
            blankRun_ += steps - 1 - l;
            l = steps - 1;
        }
        const int64_t step = readStep_ + l;
        bool firstRow = true;
        for (int c = 0; c < 6; ++c) {
            const Bytes* row = nullptr;
            if (l < kDelay[c]) {
                auto it = waiting_[c].find(step);
                if (it != waiting_[c].end()) row = &it->second;
            } else if (c == 0 && current != nullptr && l == steps - 1 &&
                       (*current)[0]) {
                row = &*(*current)[0];
            }
            if (row == nullptr) continue;
            if (firstRow) send_skips(out);
            firstRow = false;
            out.push_back(*row);
            if (l < kDelay[c]) waiting_[c].erase(step);
        }
        ++blankRun_;
    }
    if (steps > 0) readStep_ += steps;
    return out;
}

// The paper reaches the line's step whether or not the line prints, and
// each row the line leaves waiting must still be sendable once the walk is
// done: from where the paper then stands (it moves no further unless some
// row goes out first), the advance to it must stay within the bound.
std::optional<Chunks> DelayedModel::produce(int32_t line,
                                            const LineCommands& rows) {
    const int64_t gap = static_cast<int64_t>(line) - lastLine_;
    if (gap <= 0 || blankRun_ + gap - 1 > VRELO_MAX_ADVANCE) return std::nullopt;
    DelayedModel after = *this;
    Chunks out = after.walk(gap, &rows);
    for (int c = 1; c < 6; ++c)
        if (rows[c] && after.blankRun_ + kDelay[c] - 1 > VRELO_MAX_ADVANCE)
            return std::nullopt;
    *this = after;
    lastLine_ = line;
    rebased_ = false;
    pending_ = Call::Line;
    pendingLine_ = line;
    pendingRows_ = rows;
    return out;
}

// A page end is refused when its skip commands would add up to more than
// the bound. After a form feed's completion the waiting rows are numbered
// from step 0, and so is the walk.
std::optional<Chunks> DelayedModel::page_end(int64_t steps, Call call) {
    DelayedModel after = *this;
    if (rebased_) after.readStep_ = 0;
    Chunks out = after.walk(steps, nullptr);
    if (after.sent_ > VRELO_MAX_ADVANCE) return std::nullopt;
    *this = after;
    pending_ = call;
    return out;
}

std::optional<Chunks> DelayedModel::flush() {
    std::optional<Chunks> out = page_end(kDrainSteps, Call::Flush);
    if (out && feedOnFlush_) out->push_back({0x0C});
    return out;
}

// A form feed after another one on the page goes on from the first one's
// end line, where the waiting rows were renumbered from step 0.
std::optional<Chunks> DelayedModel::form_feed(int32_t endLine) {
    const int64_t start = rebased_ ? feedEnd_ : int64_t{lastLine_} + 1;
    const int64_t steps = endLine - start;
    std::optional<Chunks> out = page_end(steps, Call::FormFeed);
    if (out) feedEnd_ = start + std::max<int64_t>(steps, 0);
    return out;
}

// Rows due from the read step on keep their order, renumbered from step 0
// (the next page's steps, or a restarting flush's); every row due before
// the read step has been sent.
void DelayedModel::rebase_after_form_feed() {
    for (auto& rows : waiting_) {
        std::map<int64_t, Bytes> kept;
        for (auto& [step, row] : rows)
            if (step >= readStep_) kept[step - readStep_] = row;
        rows = kept;
    }
    rebased_ = true;
}

void DelayedModel::complete() {
    switch (pending_) {
        case Call::Line:
            for (int c = 1; c < 6; ++c)
                if (pendingRows_[c])
                    waiting_[c][int64_t{pendingLine_} + kDelay[c]] = *pendingRows_[c];
            break;
        case Call::FormFeed:
            rebase_after_form_feed();
            break;
        case Call::Flush:
            for (auto& rows : waiting_) rows.clear();
            rebased_ = false;
            break;
        case Call::None:
            break;
    }
    pending_ = Call::None;
}

void DelayedModel::init_part() {
    pending_ = Call::None;
    lastLine_ = -1;
    readStep_ = 0;
    blankRun_ = 0;
    if (!feedOnFlush_) {
        for (auto& rows : waiting_) rows.clear();
        rebased_ = false;
    }
}

size_t DelayedModel::waiting() const {
    size_t n = 0;
    for (const auto& rows : waiting_) n += rows.size();
    return n;
}

}  // namespace vrelo_test
