#include "delayed_model.hpp"

namespace vrelo_test {
namespace {
const int32_t kDelay[6] = {0, 336, 224, 112, 224, 112};
const int32_t kDrainSteps = 336;
}  // namespace

Chunks skip_commands(int64_t lines) {
    Chunks out;
    while (lines > 0) {
        const int64_t n = lines > 32767 ? 32767 : lines;
        out.push_back({0x1B, 0x28, 0x65, 0x02, 0x00,
                       static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
        lines -= n;
    }
    return out;
}

void DelayedModel::sendSkips(Chunks& out) {
    for (Bytes& skip : skip_commands(blankRun_)) out.push_back(skip);
    blankRun_ = 0;
}

// Walks `steps` line steps from the read step. A colour's row is due when
// the step lies within its delay of the walk's start (its line was given
// before this call); black's row of `current` goes out on the last step.
Chunks DelayedModel::walk(int32_t steps, const LineCommands* current) {
    Chunks out;
    for (int32_t l = 0; l < steps; ++l) {
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
            if (firstRow) sendSkips(out);
            firstRow = false;
            out.push_back(*row);
            if (l < kDelay[c]) waiting_[c].erase(step);
        }
        ++blankRun_;
    }
    if (steps > 0) readStep_ += steps;
    return out;
}

Chunks DelayedModel::produce(int32_t line, const LineCommands& rows) {
    const int32_t gap = line - lastLine_;
    lastLine_ = line;
    rotated_ = false;
    Chunks out = walk(gap, &rows);
    pending_ = Call::Line;
    pendingLine_ = gap > 0 ? line : INT32_MIN;
    pendingRows_ = rows;
    return out;
}

Chunks DelayedModel::flush() {
    if (rotated_) readStep_ = 0;  // the rings were rebased to step 0
    Chunks out = walk(kDrainSteps, nullptr);
    if (feedOnFlush_) out.push_back({0x0C});
    pending_ = Call::Flush;
    return out;
}

Chunks DelayedModel::formFeed(int32_t endLine) {
    const int32_t steps = endLine - (lastLine_ + 1);
    Chunks out = walk(steps, nullptr);
    pending_ = Call::FormFeed;
    return out;
}

// Rows due from the read step on keep their order, renumbered from step 0;
// everything else in the rings was sent already.
void DelayedModel::rebaseAfterFormFeed() {
    for (int c = 0; c < 6; ++c) {
        std::map<int64_t, Bytes> kept;
        for (auto& [step, row] : waiting_[c])
            if (step >= readStep_ && step < readStep_ + kDelay[c])
                kept[step - readStep_] = row;
        waiting_[c] = kept;
    }
    rotated_ = true;
}

void DelayedModel::complete() {
    switch (pending_) {
        case Call::Line:
            if (pendingLine_ != INT32_MIN)
                for (int c = 1; c < 6; ++c)
                    if (pendingRows_[c])
                        waiting_[c][pendingLine_ + kDelay[c]] = *pendingRows_[c];
            break;
        case Call::FormFeed:
            rebaseAfterFormFeed();
            break;
        case Call::Flush:
            for (auto& rows : waiting_) rows.clear();
            rotated_ = false;
            break;
        case Call::None:
            break;
    }
    pending_ = Call::None;
}

void DelayedModel::initPart() {
    lastLine_ = -1;
    readStep_ = 0;
    blankRun_ = 0;
    if (!feedOnFlush_) {
        for (auto& rows : waiting_) rows.clear();
        rotated_ = false;
    }
}

size_t DelayedModel::waiting() const {
    size_t n = 0;
    for (const auto& rows : waiting_) n += rows.size();
    return n;
}

}  // namespace vrelo_test
