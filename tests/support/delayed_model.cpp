#include "delayed_model.hpp"

#include <algorithm>

#include "vrelo417.h"

namespace vrelo_test {
namespace {
const int32_t kDelay[6] = {0, 336, 224, 112, 224, 112};
const int32_t kDrainSteps = 336;  // the longest delay
}  // namespace

void DelayedModel::send_skips(Chunks& out) {
    for (Bytes& skip : skip_commands(blankRun_)) out.push_back(skip);
    sent_ += blankRun_;
    blankRun_ = 0;
}

// Walks `steps` line steps from the read step by the timing rule alone:
// the row of line I in colour c goes out on step I + delay(c), so every
// waiting row is kept under that step, and the line being produced adds
// its black row on its own step, the walk's last. The walk goes from one
// step with a row due to the next; the steps between only move the paper.
Chunks DelayedModel::walk(int64_t steps, const LineCommands* current) {
    Chunks out;
    sent_ = 0;
    if (steps <= 0) return out;
    const int64_t end = readStep_ + steps;
    const int64_t lineStep = end - 1;
    const Bytes* black = current != nullptr && (*current)[0] ? &*(*current)[0] : nullptr;
    for (int64_t step = readStep_;;) {
        const int64_t due = next_due(step, black != nullptr && step <= lineStep ? lineStep : end);
        blankRun_ += std::min(due, end) - step;
        if (due >= end) break;
        bool firstRow = true;
        for (int c = 0; c < 6; ++c) {
            auto it = waiting_[c].find(due);
            const Bytes* row = it != waiting_[c].end() ? &it->second
                               : c == 0 && due == lineStep ? black
                                                           : nullptr;
            if (row == nullptr) continue;
            if (firstRow) send_skips(out);
            firstRow = false;
            out.push_back(*row);
            if (it != waiting_[c].end()) waiting_[c].erase(it);
        }
        ++blankRun_;
        step = due + 1;
    }
    readStep_ = end;
    return out;
}

// The first step from `from` on with a waiting row of any colour, or
// `also` when that comes first.
int64_t DelayedModel::next_due(int64_t from, int64_t also) const {
    int64_t first = also;
    for (const auto& rows : waiting_) {
        auto it = rows.lower_bound(from);
        if (it != rows.end() && it->first < first) first = it->first;
    }
    return first;
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
