// The whole API on random jobs, in both modes, at both depths, with and
// without carry-over, run against the product library in every build:
// every call against the mode's independent model (chunk for chunk in
// delayed mode, byte for byte in direct mode), every page read back to
// exactly the rows that must print, each once at its line, and a count of
// the ways pages ended: each must have come round. The argument is the
// number of jobs per shape.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "delayed_model.hpp"
#include "direct_model.hpp"
#include "job_params.hpp"
#include "placed_rows.hpp"
#include "random_jobs.hpp"
#include "stream_commands.hpp"

namespace {

using vrelo_test::Bytes;
using vrelo_test::Chunks;
using vrelo_test::JobShape;
using vrelo_test::PageLine;
using vrelo_test::RandomCall;
using vrelo_test::SentRow;

constexpr int kPagesPerJob = 6;
constexpr int64_t kLongestDelay = 336;
const char kLetters[] = "KYMCmc";

// What a call must answer: refused as a bad argument, or these chunks, in
// the job's empty list or its primary one.
struct Answer {
    bool refused = false;
    Chunks chunks;
    bool emptyList = false;
};

class Model {
  public:
    virtual ~Model() = default;
    virtual Answer line(const PageLine& line) = 0;
    virtual Answer flush() = 0;
    virtual Answer form_feed(int32_t endLine) = 0;
    virtual void complete() = 0;
    virtual void new_page() = 0;
    virtual size_t waiting() const = 0;
};

Answer answer_of(const std::optional<Chunks>& chunks, bool emptyList = false) {
    Answer answer;
    answer.refused = !chunks;
    if (chunks) answer.chunks = *chunks;
    answer.emptyList = chunks && emptyList;
    return answer;
}

class DelayedAnswers : public Model {
  public:
    DelayedAnswers(const JobShape& shape) : shape_(shape), model_(shape.feedOnFlush) {}
    Answer line(const PageLine& line) override {
        return answer_of(model_.produce(
            line.lineNumber, vrelo_test::line_commands(line, shape_.pixelShift, shape_.doubleX)));
    }
    Answer flush() override { return answer_of(model_.flush()); }
    Answer form_feed(int32_t endLine) override {
        const std::optional<Chunks> chunks = model_.form_feed(endLine);
        return answer_of(chunks, model_.empty_list());
    }
    void complete() override { model_.complete(); }
    void new_page() override { model_.init_part(); }
    size_t waiting() const override { return model_.waiting(); }

  private:
    JobShape shape_;
    vrelo_test::DelayedModel model_;
};

// Direct mode answers a line's bytes in pieces of at most 32767, at least
// one; a page end's advance likewise, and nothing when there is none.
Chunks pieces(const Bytes& bytes, bool atLeastOne) {
    Chunks chunks;
    for (size_t at = 0; at < bytes.size(); at += 32767)
        chunks.emplace_back(bytes.begin() + at, bytes.begin() + std::min(bytes.size(), at + 32767));
    if (chunks.empty() && atLeastOne) chunks.emplace_back();
    return chunks;
}

class DirectAnswers : public Model {
  public:
    DirectAnswers(const JobShape& shape) : model_(shape.pixelShift, shape.doubleX) {}
    Answer line(const PageLine& line) override {
        const std::optional<Bytes> bytes = model_.produce(line);
        Answer answer;
        answer.refused = !bytes;
        if (bytes) answer.chunks = pieces(*bytes, true);
        return answer;
    }
    Answer flush() override { return {}; }
    Answer form_feed(int32_t) override {
        Answer answer;
        answer.chunks = pieces(model_.form_feed(), false);
        return answer;
    }
    void complete() override {}
    void new_page() override { model_.start_page(); }
    size_t waiting() const override { return 0; }

  private:
    vrelo_test::DirectModel model_;
};

// One page as run, for reading its stream back.
struct PageRecord {
    Bytes stream;
    std::vector<SentRow> given;  // rows of the lines taken, at their lines
    int64_t walkEnd = 0;         // where the walks stood when it ended
    int flushes = 0;
};

// The ways a page ended, counted per mode.
using Kinds = std::map<std::string, int>;

std::string end_line_kind(int64_t offset) {
    return offset < 0                ? "form feed behind the walks"
           : offset == 0             ? "form feed where the walks stand"
           : offset < kLongestDelay  ? "form feed within the longest delay"
           : offset == kLongestDelay ? "form feed at the end of the longest delay"
           : offset <= 700           ? "form feed beyond the longest delay"
                                     : "form feed far beyond";
}

class JobRun {
  public:
    JobRun(const JobShape& shape, Kinds* kinds)
        : shape_(shape),
          kinds_(kinds),
          model_(shape.delayed ? std::unique_ptr<Model>(new DelayedAnswers(shape))
                               : std::unique_ptr<Model>(new DirectAnswers(shape))) {
        const OutputParam param = vrelo_test::param_for(shape);
        if (OutputOpen(&job_) != VRELO_OPEN_OK || OutputInit(&job_, &param) != VRELO_OK)
            fail("the job cannot be opened");
    }
    ~JobRun() { OutputClose(&job_); }

    // Every call, then the rows read back; the first fault, or "".
    std::string run(const std::vector<RandomCall>& calls) {
        for (size_t i = 0; i < calls.size() && error_.empty(); ++i) {
            call_ = i;
            make(calls[i]);
        }
        if (!pages_.empty()) end_page();
        if (error_.empty()) check_rows();
        return error_;
    }

  private:
    void fail(const std::string& what) {
        if (!error_.empty()) return;
        std::ostringstream out;
        out << what << " (call " << call_ << ", page " << pages_.size() << ")";
        error_ = out.str();
    }

    void make(const RandomCall& call) {
        if (call.kind == RandomCall::kNewPage) return new_page();
        OutList* out = nullptr;
        int32_t status;
        Answer expected;
        int64_t endLine = 0;
        if (call.kind == RandomCall::kLine) {
            if (!ending_.empty()) count("line after a page end");
            const RasterLine record = call.line.record();
            status = OutputProduce(&job_, &record, &out);
            expected = model_->line(call.line);
        } else if (call.kind == RandomCall::kFlush) {
            ending_ += 'F';
            status = OutputFlush(&job_, &out);
            expected = model_->flush();
        } else {
            ending_ += 'E';
            endLine = std::clamp<int64_t>(walkEnd_ + call.endOffset, INT32_MIN, INT32_MAX);
            count(end_line_kind(endLine - walkEnd_));
            status = OutputFormFeed(&job_, &out, static_cast<int32_t>(endLine));
            expected = model_->form_feed(static_cast<int32_t>(endLine));
        }
        if (!take(status, out, expected)) return;
        note_taken(call, endLine);
        pending_ = call.leftPending ? call.kind : RandomCall::kNewPage;
        if (call.leftPending) return;
        if (OutputComplete(&job_) != VRELO_OK) return fail("a completion failed");
        model_->complete();
    }

    // The job's answer against the model's; false when both refused.
    bool take(int32_t status, OutList* out, const Answer& expected) {
        if (expected.refused) {
            if (status != VRELO_BAD_ARGUMENT) fail("a call the model refuses was taken");
            return false;
        }
        if (status != VRELO_OK) {
            fail("a call failed with " + std::to_string(status));
            return false;
        }
        // A full table drops what is appended to it: no call may fill it.
        if (out->count >= VRELO_OUT_TABLE_ENTRIES) fail("a call filled the chunk table");
        if ((out->entries == nullptr) != expected.emptyList)
            fail(expected.emptyList ? "the primary list where the empty list is due"
                                    : "the empty list where the primary list is due");
        Chunks chunks;
        for (int i = 0; i < out->count; ++i)
            chunks.emplace_back(out->entries[i].data,
                                out->entries[i].data + out->entries[i].length);
        if (chunks != expected.chunks) {
            std::ostringstream what;
            what << "the chunks differ from the model's: " << chunks.size() << " chunks, expected "
                 << expected.chunks.size();
            fail(what.str());
        }
        for (const Bytes& chunk : chunks)
            page().stream.insert(page().stream.end(), chunk.begin(), chunk.end());
        return true;
    }

    // Where the page's walks stand once the call is taken.
    void note_taken(const RandomCall& call, int64_t endLine) {
        if (call.kind == RandomCall::kLine) {
            ++lines_;
            walkEnd_ = int64_t{call.line.lineNumber} + 1;
            for (int c = 0; c < VRELO_COLOURS; ++c) {
                Bytes row = vrelo_test::expected_row(call.line.planes[c], shape_.pixelShift,
                                                     shape_.doubleX);
                if (!row.empty()) page().given.push_back({call.line.lineNumber, kLetters[c], row});
            }
        } else if (call.kind == RandomCall::kFlush) {
            walkEnd_ += kLongestDelay;
            ++page().flushes;
        } else {
            walkEnd_ = std::max(walkEnd_, endLine);
        }
    }

    void new_page() {
        if (!pages_.empty()) end_page();
        if (pending_ == RandomCall::kLine) count("page started with a line pending");
        if (pending_ == RandomCall::kFlush || pending_ == RandomCall::kFormFeed)
            count("page started with a page end pending");
        const bool carried = model_->waiting() > 0;
        if (OutputInitPart(&job_, nullptr) != VRELO_OK) fail("OutputInitPart failed");
        model_->new_page();
        pending_ = RandomCall::kNewPage;
        carriedRows_ = carried && model_->waiting() > 0;
        pages_.emplace_back();
        walkEnd_ = 0;
        lines_ = 0;
        ending_.clear();
    }

    void end_page() {
        page().walkEnd = walkEnd_;
        static const std::map<std::string, std::string> kEndings = {
            {"", "page ended by nothing"},  {"F", "flush"},
            {"EE", "form feed twice"},      {"EF", "form feed then flush"},
            {"FE", "flush then form feed"}, {"FF", "flush twice"}};
        const auto it = kEndings.find(ending_);
        if (it != kEndings.end()) count(it->second);
        if (ending_.size() > 2) count("three page ends");
        if (lines_ == 0) count("page without lines");
        if (lines_ == 0 && carriedRows_) count("page without lines after carried rows");
    }

    void count(const std::string& kind) { ++(*kinds_)[kind]; }
    PageRecord& page() { return pages_.back(); }

    void check_rows() {
        std::vector<SentRow> printed, expected;
        int64_t origin = 0;
        for (size_t p = 0; p < pages_.size(); ++p) {
            const vrelo_test::ReadBack read =
                vrelo_test::place_rows(pages_[p].stream, shape_.delayed);
            if (!read.error.empty()) return fail("page " + std::to_string(p) + ": " + read.error);
            // Only a flush with carry-over ends its list with the form feed.
            if (read.formFeeds != (shape_.delayed && shape_.feedOnFlush ? pages_[p].flushes : 0))
                return fail("page " + std::to_string(p) + ": " + std::to_string(read.formFeeds) +
                            " form-feed bytes");
            for (SentRow row : read.rows) {
                row.line += origin;
                printed.push_back(row);
            }
            for (SentRow row : pages_[p].given) {
                row.line += origin;
                if (must_print(p, row, origin)) expected.push_back(row);
            }
            // Carried rows go on where this page's walks ended.
            origin += shape_.delayed && shape_.feedOnFlush ? pages_[p].walkEnd : 0;
            if (!shape_.delayed || !shape_.feedOnFlush) {
                compare(printed, expected, p);
                printed.clear();
                expected.clear();
            }
        }
        compare(printed, expected, pages_.size());
    }

    // A row prints when a flush drains it, or a walk of its page or of a
    // page it is carried into reaches the step it falls due on.
    bool must_print(size_t page, const SentRow& row, int64_t origin) const {
        if (!shape_.delayed) return true;
        const int64_t due = row.line + ColorOffset[std::string(kLetters).find(row.letter)];
        for (size_t k = page; k < pages_.size(); ++k) {
            if (pages_[k].flushes > 0 || due < origin + pages_[k].walkEnd) return true;
            if (!shape_.feedOnFlush) return false;
            origin += pages_[k].walkEnd;
        }
        return false;
    }

    void compare(const std::vector<SentRow>& printed, const std::vector<SentRow>& expected,
                 size_t upTo) {
        const std::string differences = vrelo_test::row_differences(printed, expected);
        if (!differences.empty()) fail("pages up to " + std::to_string(upTo) + ": " + differences);
        rowsChecked_ += expected.size();
    }

  public:
    size_t rows_checked() const { return rowsChecked_; }

  private:
    JobShape shape_;
    Kinds* kinds_;
    std::unique_ptr<Model> model_;
    MasterWork* job_ = nullptr;
    std::vector<PageRecord> pages_;
    RandomCall::Kind pending_ = RandomCall::kNewPage;
    int64_t walkEnd_ = 0;
    int lines_ = 0;
    bool carriedRows_ = false;
    std::string ending_;
    size_t call_ = 0;
    size_t rowsChecked_ = 0;
    std::string error_;
};

const char* const kRequiredKinds[] = {
    "page ended by nothing",
    "flush",
    "form feed behind the walks",
    "form feed where the walks stand",
    "form feed within the longest delay",
    "form feed at the end of the longest delay",
    "form feed beyond the longest delay",
    "form feed far beyond",
    "form feed twice",
    "form feed then flush",
    "flush then form feed",
    "flush twice",
    "three page ends",
    "page without lines",
    "page without lines after carried rows",
    "line after a page end",
    "page started with a line pending",
    "page started with a page end pending",
};

std::string shape_name(const JobShape& shape) {
    std::string name = shape.delayed ? "delayed" : "direct";
    name += shape.pixelShift == 3 ? ", 1 bit" : ", 2 bits";
    if (shape.doubleX) name += ", doubled";
    if (shape.delayed) name += shape.feedOnFlush ? ", carry-over" : ", no carry-over";
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    // random_jobs [JOBS-A-SHAPE [SEED]]: more jobs or other seeds than the
    // check's reach further.
    const int jobs = argc > 1 ? std::atoi(argv[1]) : 4;
    std::mt19937 rng(argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10))
                              : 4170336u);
    std::map<std::string, Kinds> kindsByMode;
    int failures = 0;
    size_t rows = 0;
    int counter = 0;
    for (bool delayed : {false, true})
        for (int16_t shift : {3, 2})
            for (bool carry : {false, true}) {
                if (!delayed && carry) continue;
                JobShape shape;
                shape.delayed = delayed;
                shape.pixelShift = shift;
                shape.feedOnFlush = carry;
                for (int job = 0; job < jobs; ++job) {
                    shape.doubleX = job % 4 == 3;
                    JobRun run(shape, &kindsByMode[delayed ? "delayed" : "direct"]);
                    const std::string error =
                        run.run(vrelo_test::random_job(rng, shape, kPagesPerJob, &counter));
                    rows += run.rows_checked();
                    if (error.empty()) continue;
                    ++failures;
                    std::printf("FAIL %s, job %d: %s\n", shape_name(shape).c_str(), job,
                                error.c_str());
                }
            }
    for (const auto& [mode, kinds] : kindsByMode) {
        std::printf("%s mode, page endings and call sequences met:\n", mode.c_str());
        for (const char* kind : kRequiredKinds) {
            const auto it = kinds.find(kind);
            const int n = it == kinds.end() ? 0 : it->second;
            const bool needed =
                mode == "delayed" || std::string(kind).find("carried") == std::string::npos;
            std::printf("  %5d  %s%s\n", n, kind, n == 0 && needed ? "  <- never generated" : "");
            if (n == 0 && needed) ++failures;
        }
    }
    std::printf("%zu rows read back; %d failures\n", rows, failures);
    return failures == 0 ? 0 : 1;
}
