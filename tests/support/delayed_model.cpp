#include "delayed_model.hpp"

#include <algorithm>

#include "vrelo417.h"

namespace vrelo_test {
namespace {
const int32_t kDelay[6] = {0, 336, 224, 112, 224, 112};
const int32_t kDrainSteps = 336;  // the longest delay
}  // namespace

// Walks `steps` line steps from next_: every waiting row goes out on the
// step it falls due on, and the black row of the line being produced on
// the walk's last step, the first row of a step behind the skips for the
// advance owed. The walk goes from one step with a row due to the next;
// the steps between only move the paper.
DelayedModel::WalkEnd DelayedModel::walk(int64_t steps, const Bytes* black, Chunks* out) {
    WalkEnd end{0, blankRun_};
    if (steps <= 0) return end;
    const int64_t stop = next_ + steps;
    const int64_t lineStep = stop - 1;
    for (int64_t step = next_;;) {
        int64_t due = std::min(next_due(step), stop);
        if (black != nullptr && step <= lineStep) due = std::min(due, lineStep);
        end.blankRun += due - step;
        if (due >= stop) break;
        bool firstRow = true;
        for (int c = 0; c < 6; ++c) {
            auto it = waiting_[c].find(due);
            const Bytes* row = it != waiting_[c].end()     ? &it->second
                               : c == 0 && due == lineStep ? black
                                                           : nullptr;
            if (row == nullptr) continue;
            if (firstRow) {
                if (out != nullptr)
                    for (Bytes& skip : skip_commands(end.blankRun)) out->push_back(skip);
                end.sent += end.blankRun;
                end.blankRun = 0;
            }
            firstRow = false;
            if (out == nullptr) continue;
            out->push_back(*row);
            if (it != waiting_[c].end()) waiting_[c].erase(it);
        }
        ++end.blankRun;
        step = due + 1;
    }
    if (out != nullptr) {
        next_ = stop;
        blankRun_ = end.blankRun;
    }
    return end;
}

// The first step from `from` on with a waiting row of any colour.
int64_t DelayedModel::next_due(int64_t from) const {
    int64_t first = INT64_MAX;
    for (const auto& rows : waiting_) {
        auto it = rows.lower_bound(from);
        if (it != rows.end() && it->first < first) first = it->first;
    }
    return first;
}

// The skips a call sends add up to no more than the bound, and a flush
// after the line could still send every row then waiting: from where the
// paper stands, the advance to the last of them stays within it too.
std::optional<Chunks> DelayedModel::produce(int32_t line, const LineCommands& rows) {
    const int64_t gap = static_cast<int64_t>(line) - lastLine_;
    if (gap <= 0 || ended_) return std::nullopt;
    const Bytes* black = rows[0] ? &*rows[0] : nullptr;
    const WalkEnd end = walk(gap, black, nullptr);
    if (end.sent > VRELO_MAX_ADVANCE) return std::nullopt;
    int64_t last = -1;
    for (const auto& waiting : waiting_)  // not yet sent by the walk
        if (!waiting.empty() && waiting.rbegin()->first >= next_ + gap)
            last = std::max(last, waiting.rbegin()->first);
    for (int c = 1; c < 6; ++c)
        if (rows[c]) last = std::max(last, int64_t{line} + kDelay[c]);
    const int64_t paper = next_ + gap - end.blankRun;
    if (last >= 0 && last - paper > VRELO_MAX_ADVANCE) return std::nullopt;
    Chunks out;
    walk(gap, black, &out);
    lastLine_ = line;
    pending_ = Call::Line;
    pendingLine_ = line;
    pendingRows_ = rows;
    return out;
}

std::optional<Chunks> DelayedModel::page_end(int64_t steps, Call call) {
    if (walk(steps, nullptr, nullptr).sent > VRELO_MAX_ADVANCE) return std::nullopt;
    Chunks out;
    walk(steps, nullptr, &out);
    ended_ = true;
    pending_ = call;
    return out;
}

std::optional<Chunks> DelayedModel::flush() {
    std::optional<Chunks> out = page_end(kDrainSteps, Call::Flush);
    if (out && feedOnFlush_) out->push_back({0x0C});
    emptyList_ = false;
    return out;
}

// Each page end goes on from where the walks before it stand.
std::optional<Chunks> DelayedModel::form_feed(int32_t endLine) {
    const int64_t steps = endLine - next_;
    std::optional<Chunks> out = page_end(steps, Call::FormFeed);
    emptyList_ = steps == 0;
    return out;
}

void DelayedModel::complete() {
    if (pending_ == Call::Line)
        for (int c = 1; c < 6; ++c)
            if (pendingRows_[c]) waiting_[c][int64_t{pendingLine_} + kDelay[c]] = *pendingRows_[c];
    if (pending_ == Call::Flush)
        for (auto& rows : waiting_) rows.clear();
    pending_ = Call::None;
}

// With carry-over the pages join where the walks stand: the next page's
// step i is this page's step next_ + i. Every row due before next_ has
// gone out.
void DelayedModel::init_part() {
    complete();
    for (auto& rows : waiting_) {
        std::map<int64_t, Bytes> kept;
        if (feedOnFlush_)
            for (auto& [step, row] : rows)
                if (step >= next_) kept[step - next_] = row;
        rows = kept;
    }
    lastLine_ = -1;
    next_ = 0;
    blankRun_ = 0;
    ended_ = false;
}

size_t DelayedModel::waiting() const {
    size_t n = 0;
    for (const auto& rows : waiting_) n += rows.size();
    return n;
}

}  // namespace vrelo_test
