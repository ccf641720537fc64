#include "page_job.hpp"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "command_stream.hpp"
#include "job_params.hpp"

namespace vrelo_bench {
namespace {

const unsigned kAllColours = (1u << VRELO_COLOURS) - 1;
const char kLetters[] = "KYMCmc";

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "page_bench: %s\n", what.c_str());
    std::exit(1);
}

size_t heap_in_use() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The bytes of one list, in sending order.
vrelo_test::Bytes joined(const OutList& list) {
    vrelo_test::Bytes bytes;
    for (int16_t i = 0; i < list.count; ++i)
        bytes.insert(bytes.end(), list.entries[i].data,
                     list.entries[i].data + list.entries[i].length);
    return bytes;
}

// Follows the paper through the commands of a page and checks each row
// against the line it belongs to.
class PageReader {
  public:
    PageReader(const vrelo_test::DiffusedRows& page, bool delayed, int lines)
        : page_(page), delayed_(delayed), lines_(lines) {}

    void read(const OutList& list) {
        const vrelo_test::CommandStream stream = vrelo_test::read_command_stream(joined(list));
        if (!stream.error.empty()) fail("unreadable commands: " + stream.error);
        for (const vrelo_test::CommandEvent& event : stream.events) {
            if (event.kind == vrelo_test::CommandKind::kSkip) position_ += event.lines;
            if (event.kind == vrelo_test::CommandKind::kColourRow) row(event);
            if (event.kind == vrelo_test::CommandKind::kFormFeed) fail("a form feed");
        }
    }

    void finish() const {
        size_t inked = 0;
        for (const std::vector<vrelo_test::Bytes>& colour : page_.rows)
            for (int y = 0; y < lines_; ++y) inked += last_ink(colour[static_cast<size_t>(y)]) > 0;
        if (inked != rows_)
            fail("rows sent " + std::to_string(rows_) + " of " + std::to_string(inked));
    }

  private:
    static size_t last_ink(const vrelo_test::Bytes& row) {
        size_t end = row.size();
        while (end > 0 && row[end - 1] == 0) --end;
        return end;  // one past the last non-zero byte
    }

    void row(const vrelo_test::CommandEvent& event) {
        const int colour = static_cast<int>(std::string(kLetters).find(event.letter));
        const int64_t y = position_ - (delayed_ ? ColorOffset[colour] : 0);
        const std::string where =
            std::string(1, event.letter) + " row at line " + std::to_string(y);
        if (y < 0 || y >= lines_) fail(where + " outside the page");
        const vrelo_test::Bytes& expected =
            page_.rows[static_cast<size_t>(colour)][static_cast<size_t>(y)];
        if (event.row.size() != last_ink(expected) ||
            !std::equal(event.row.begin(), event.row.end(), expected.begin()))
            fail(where + " differs from the page");
        ++rows_;
    }

    const vrelo_test::DiffusedRows& page_;
    bool delayed_;
    int lines_;
    int64_t position_ = 0;
    size_t rows_ = 0;
};

}  // namespace

PageJob::PageJob(bool delayed, const vrelo_test::DiffusedRows& page)
    : delayed_(delayed), page_(page) {
    open();
}

void PageJob::open() {
    vrelo_test::JobShape shape;
    shape.delayed = delayed_;
    shape.pixelShift = page_.bitsPerPixel == 1 ? 3 : 2;
    const OutputParam param = vrelo_test::param_for(shape);
    if (OutputOpen(&job_) != VRELO_OPEN_OK || OutputInit(&job_, &param) != VRELO_OK)
        fail("the job could not be configured");
}

PageJob::~PageJob() {
    OutputClose(&job_);
}

RasterLine PageJob::line(int y, unsigned colours, int16_t width) const {
    RasterLine line{};
    line.lineNumber = y;
    for (int c = 0; c < VRELO_COLOURS; ++c)
        if (colours & (1u << c))
            line.planes[c] = {page_.rows[static_cast<size_t>(c)][static_cast<size_t>(y)].data(),
                              width, 0, 0, 0};
    return line;
}

const OutList* PageJob::produce(const RasterLine& line) {
    OutList* out = nullptr;
    if (OutputProduce(&job_, &line, &out) != VRELO_OK) fail("OutputProduce failed");
    return out;
}

const OutList* PageJob::flush() {
    OutList* out = nullptr;
    if (OutputFlush(&job_, &out) != VRELO_OK) fail("OutputFlush failed");
    return out;
}

void PageJob::complete() {
    if (OutputComplete(&job_) != VRELO_OK) fail("OutputComplete failed");
}

template <typename Send>
void PageJob::run_page(int lines, Send send) {
    if (OutputInitPart(&job_, nullptr) != VRELO_OK) fail("OutputInitPart failed");
    const int16_t width = static_cast<int16_t>(page_.width);
    for (int y = 0; y < lines; ++y) {
        send(*produce(line(y, kAllColours, width)));
        complete();
    }
    send(*flush());
    complete();
}

size_t PageJob::print(int lines) {
    size_t sent = 0;
    run_page(lines, [&sent](const OutList& list) {
        for (int16_t i = 0; i < list.count; ++i)
            sent += static_cast<size_t>(list.entries[i].length);
    });
    return sent;
}

void PageJob::check(int lines) {
    PageReader reader(page_, delayed_, lines);
    run_page(lines, [&reader](const OutList& list) { reader.read(list); });
    reader.finish();
}

size_t PageJob::peak_heap(int lines) {
    OutputClose(&job_);
    const size_t before = heap_in_use();
    open();
    size_t peak = heap_in_use();
    run_page(lines, [&peak](const OutList&) { peak = std::max(peak, heap_in_use()); });
    return peak - before;
}

void PageJob::gap(int32_t gap) {
    // Short rows (the middle of the page's width) keep compression from
    // hiding the cost of the walk over the gap.
    const int16_t half = static_cast<int16_t>(page_.width / 2);
    if (OutputInitPart(&job_, nullptr) != VRELO_OK) fail("OutputInitPart failed");
    produce(line(0, kAllColours, half));
    complete();
    RasterLine far = line(1, 1u, half);
    far.lineNumber = gap;
    produce(far);
    complete();
}

}  // namespace vrelo_bench
