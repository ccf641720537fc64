#include "api_calls.hpp"

#include <cstring>
#include <initializer_list>

#include "command_stream.hpp"
#include "fuzz_check.hpp"

namespace vrelo_fuzz {
namespace {

bool one_of(int32_t status, std::initializer_list<int32_t> documented) {
    for (int32_t allowed : documented)
        if (status == allowed) return true;
    return false;
}

const OutStrct& table_of(const MasterWork& job) {
    return *static_cast<const OutStrct*>(job.outTableHandle.pointer);
}

// The job record and its chunk table, byte for byte.
vrelo_test::Bytes snapshot(const MasterWork& job) {
    vrelo_test::Bytes bytes(sizeof job + sizeof(OutStrct));
    std::memcpy(bytes.data(), &job, sizeof job);
    std::memcpy(bytes.data() + sizeof job, &table_of(job), sizeof(OutStrct));
    return bytes;
}

}  // namespace

CheckedJob::CheckedJob(const OutputParam (&params)[2], bool delayed) : params_(params) {
    require(OutputOpen(&job_) == VRELO_OPEN_OK, "OutputOpen succeeds");
    configure(delayed);
}

CheckedJob::~CheckedJob() {
    end_page();
    OutputClose(&job_);
}

int32_t CheckedJob::producing_call(const std::function<int32_t(OutList**)>& call) {
    const vrelo_test::Bytes before = snapshot(*job_);
    OutList untouched{};
    OutList* out = &untouched;
    const int32_t status = call(&out);
    require(one_of(status, {VRELO_OK, VRELO_OUT_OF_ORDER, VRELO_LOCK_FAILED, VRELO_RANGE_FAILED,
                            VRELO_BAD_ARGUMENT}),
            "a producing call answers a documented status");
    if (status == VRELO_BAD_ARGUMENT) {
        require(out == &untouched, "a bad argument stores no list");
        require(snapshot(*job_) == before, "a bad argument changes nothing");
    } else if (status == VRELO_RANGE_FAILED) {
        require(out != &untouched && out->count == 0, "a range failure stores the empty list");
    } else if (status != VRELO_OK) {
        require(out == &untouched, "a refused call stores no list");
    } else {
        require(out->count >= 0 && out->count <= OUT_TABLE_ENTRIES, "the list fits the table");
        for (int i = 0; i < out->count; ++i) {
            const OutEntry& chunk = out->entries[i];
            require(chunk.length >= 0 && (chunk.length == 0 || chunk.data != nullptr),
                    "every chunk names its bytes");
            page_.insert(page_.end(), chunk.data, chunk.data + chunk.length);
        }
    }
    return status;
}

void CheckedJob::produce(const RasterLine& line) {
    const int32_t status =
        producing_call([&](OutList** out) { return OutputProduce(&job_, &line, out); });
    if (status == VRELO_OK) lastLine_ = line.lineNumber;
}

void CheckedJob::complete() {
    const int32_t status = OutputComplete(&job_);
    require(one_of(status, {VRELO_OK, VRELO_OUT_OF_ORDER, VRELO_LOCK_FAILED}),
            "a completion answers a documented status");
    if (status == VRELO_OK) expect_table_empty();
}

void CheckedJob::flush() {
    producing_call([&](OutList** out) { return OutputFlush(&job_, out); });
}

void CheckedJob::form_feed(int32_t endLine) {
    producing_call([&](OutList** out) { return OutputFormFeed(&job_, out, endLine); });
}

void CheckedJob::new_page() {
    end_page();
    require(OutputInitPart(&job_, nullptr) == VRELO_OK, "OutputInitPart succeeds");
    expect_table_empty();
}

void CheckedJob::configure(bool delayed) {
    end_page();
    require(OutputInit(&job_, &params_[delayed ? 1 : 0]) == VRELO_OK, "OutputInit succeeds");
    require(job_->delayMode == (delayed ? 1 : 0), "the block chooses the mode");
    expect_table_empty();
}

void CheckedJob::bad_call(uint8_t which, const RasterLine& line) {
    MasterWork* none = nullptr;
    const int32_t status = producing_call([&](OutList** out) {
        switch (which % 6) {
            case 0:
                return OutputProduce(&none, &line, out);
            case 1:
                return OutputProduce(&job_, nullptr, out);
            case 2:
                return OutputProduce(&job_, &line, nullptr);
            case 3:
                return OutputFlush(nullptr, out);
            case 4:
                return OutputFormFeed(&job_, nullptr, line.lineNumber);
            default:
                return OutputComplete(&none);
        }
    });
    require(status == VRELO_BAD_ARGUMENT, "a missing record is a bad argument");
}

void CheckedJob::expect_table_empty() const {
    const OutStrct& table = table_of(*job_);
    require(table.list.count == 0 && table.list.entries == nullptr, "no list is left live");
    for (const OutEntry& entry : table.entries)
        require(entry.data == nullptr && entry.length == 0, "no entry is left behind");
}

void CheckedJob::end_page() {
    const vrelo_test::CommandStream read = vrelo_test::read_command_stream(page_);
    require(read.error.empty(), "the page's stream parses");
    page_.clear();
    lastLine_ = 0;
}

}  // namespace vrelo_fuzz
