// The whole API on one job: the input's first byte picks the job's shape
// (pixel depth, doubled positions, carry-over, starting mode), every later
// decision a call - lines whose numbers go on, repeat, go back or jump by
// millions or to the bound, with any plane geometry; completions, page
// ends of every kind, new pages, configuring again in either mode, calls
// out of order and calls with missing records. Every plane's bytes are a
// block of exactly the bytes the job may read (api_calls.hpp checks the
// rest).
#include <stdint.h>

#include <memory>
#include <vector>

#include "api_calls.hpp"
#include "fuzz_input.hpp"
#include "guarded_buffer.hpp"
#include "job_params.hpp"

namespace {

using vrelo_fuzz::CheckedJob;
using vrelo_fuzz::FuzzInput;
using vrelo_fuzz::GuardedBuffer;

// Calls per input: enough for pages with gaps, carry-over and several
// page ends, few enough to keep each run short.
const int kMostCalls = 96;

int32_t plus(int32_t line, int64_t step) {
    return static_cast<int32_t>(static_cast<uint32_t>(line) + static_cast<uint64_t>(step));
}

int32_t next_line_number(FuzzInput& in, int32_t last) {
    const uint8_t kind = in.byte();
    switch (kind % 8) {
        case 0:
        case 1:
        case 2:
            return plus(last, kind / 8 % 4);
        case 3:
            return plus(last, -1 - kind / 8 % 8);
        case 4:
            return plus(last, 300 + in.u16() % 2000);
        case 5:
            return plus(last, in.u32() % 0x2000000);
        case 6:
            return plus(last, VRELO_MAX_ADVANCE - 400 + in.u16() % 800);
        default:
            return in.i32();
    }
}

int16_t position(FuzzInput& in, uint8_t pick) {
    switch (pick % 4) {
        case 0:
            return in.byte();
        case 1:
            return static_cast<int16_t>(in.u16() % 8192);
        case 2:
            return static_cast<int16_t>(in.u16());
        default:
            return 0;
    }
}

// Bytes first..last of a plane's data that the job may read, as the line
// record describes them; false when it may read none.
bool readable_bytes(const ColorPlane& plane, const MasterWork& job, int32_t* first, int32_t* last) {
    const int32_t scale = job.doubleX == 1 ? 2 : 1;
    const int32_t width = plane.width * scale;
    const int32_t start = plane.firstPixel * scale;
    const int32_t tail = plane.tailBlank * scale;
    if (width < 0 || start < 0 || tail < 0 || width > INT16_MAX || start > INT16_MAX ||
        tail > INT16_MAX || start == width)
        return false;
    *first = start >> job.pixelShift;
    *last = (width - tail - 1) >> job.pixelShift;
    return *last >= *first;
}

// The row bytes, from the input as far as it goes, then repeated.
void fill_row(FuzzInput& in, uint8_t* row, int32_t count) {
    const size_t taken = in.take(row, static_cast<size_t>(count));
    for (int32_t i = static_cast<int32_t>(taken); taken > 0 && i < count; ++i)
        row[i] = row[static_cast<size_t>(i) % taken];
}

ColorPlane random_plane(FuzzInput& in, const MasterWork& job,
                        std::unique_ptr<GuardedBuffer>* bytes) {
    const uint8_t pick = in.byte();
    ColorPlane plane{nullptr, position(in, pick >> 1), position(in, pick >> 3),
                     position(in, pick >> 5), 0};
    if ((pick & 1) == 0) return plane;
    int32_t first = 0;
    int32_t last = -1;
    const bool read = readable_bytes(plane, job, &first, &last);
    const size_t size = read ? static_cast<size_t>(last) + 1 : 0;
    *bytes = std::make_unique<GuardedBuffer>(size, static_cast<size_t>(first));
    if (read && (pick & 0x80) != 0) fill_row(in, (*bytes)->data() + first, last - first + 1);
    plane.data = (*bytes)->data();
    return plane;
}

void produce(FuzzInput& in, CheckedJob& job) {
    RasterLine line{};
    line.lineNumber = next_line_number(in, job.last_line());
    std::unique_ptr<GuardedBuffer> bytes[VRELO_COLOURS];
    for (int c = 0; c < VRELO_COLOURS; ++c)
        line.planes[c] = random_plane(in, job.work(), &bytes[c]);
    job.produce(line);
}

void one_call(FuzzInput& in, CheckedJob& job) {
    const uint8_t op = in.byte();
    switch (op % 16) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            return produce(in, job);
        case 5:
        case 6:
        case 7:
            produce(in, job);
            return job.complete();
        case 8:
        case 9:
            return job.complete();
        case 10:
            return job.flush();
        case 11:
            return job.form_feed(next_line_number(in, job.last_line()));
        case 12:
            return job.new_page();
        case 13:
            return job.configure((op & 0x10) != 0);
        default: {
            RasterLine line{};
            line.lineNumber = job.last_line() + 1;
            return job.bad_call(op / 16, line);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t shapeBits = in.byte();
    vrelo_test::JobShape shape;
    shape.pixelShift = (shapeBits & 1) != 0 ? 2 : 3;
    shape.doubleX = (shapeBits & 2) != 0;
    shape.feedOnFlush = (shapeBits & 4) != 0;
    OutputParam params[2];
    params[0] = vrelo_test::param_for(shape);
    shape.delayed = true;
    params[1] = vrelo_test::param_for(shape);
    CheckedJob job(params, (shapeBits & 8) != 0);
    for (int call = 0; call < kMostCalls && !in.empty(); ++call) one_call(in, job);
    return 0;
}
