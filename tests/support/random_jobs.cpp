#include "random_jobs.hpp"

#include <algorithm>

#include "row_shapes.hpp"

namespace vrelo_test {
namespace {

// Line numbers as a host with sparse pages hands them over: mostly close
// together, sometimes further apart than any delay or one skip command,
// now and then a million lines on or past the advance bound, and now and
// then repeated (refused).
void number_lines(std::mt19937& rng, Page& page) {
    int64_t line = uniform(rng, 0, 9) == 0 ? uniform(rng, 300, 1000) : uniform(rng, 0, 5);
    for (PageLine& l : page) {
        l.lineNumber = static_cast<int32_t>(std::min<int64_t>(line, INT32_MAX));
        const int pick = uniform(rng, 0, 399);
        line += pick < 16    ? 0
                : pick < 296 ? uniform(rng, 1, 4)
                : pick < 344 ? uniform(rng, 5, 336)
                : pick < 384 ? uniform(rng, 337, 2000)
                : pick < 396 ? uniform(rng, 32760, 70000)
                : pick < 398 ? 1000000
                             : VRELO_MAX_ADVANCE + uniform(rng, -400, 400);
    }
}

// Where a form feed ends, from where the walks stand: behind, right
// there, within the longest delay, at its end, beyond it, far beyond.
int64_t end_offset(std::mt19937& rng) {
    switch (uniform(rng, 0, 5)) {
        case 0:
            return -uniform(rng, 1, 50);
        case 1:
            return 0;
        case 2:
            return uniform(rng, 1, 335);
        case 3:
            return 336;
        case 4:
            return uniform(rng, 337, 700);
        default:
            return 100000;
    }
}

// The page ends that come round in turn: 'F' a flush, 'E' a form feed.
const char* const kPageEnds[] = {"", "F", "E", "EE", "EF", "FE", "FF", "EFE"};
const int kPageEndCount = sizeof kPageEnds / sizeof kPageEnds[0];

RandomCall page_end_call(std::mt19937& rng, char kind) {
    RandomCall call;
    call.kind = kind == 'F' ? RandomCall::kFlush : RandomCall::kFormFeed;
    call.endOffset = end_offset(rng);
    return call;
}

Page page_lines(std::mt19937& rng, const JobShape& shape, int count) {
    PageShape pageShape;
    pageShape.pixelShift = shape.pixelShift;
    pageShape.doubleX = shape.doubleX;
    pageShape.lines = count;
    // Wide rows now and then: blocks then fill by bytes, not slots.
    pageShape.maxRowBytes = uniform(rng, 0, 3) == 0 ? 3000 : 96;
    Page lines = random_page(rng, pageShape);
    number_lines(rng, lines);
    return lines;
}

}  // namespace

std::vector<RandomCall> random_job(std::mt19937& rng, const JobShape& shape, int pages,
                                   int* counter) {
    std::vector<RandomCall> calls;
    for (int page = 0; page < pages; ++page, ++*counter) {
        RandomCall start;
        start.kind = RandomCall::kNewPage;
        calls.push_back(std::move(start));
        const int count = *counter % 5 == 4 ? 0 : uniform(rng, 1, 150);
        int64_t lastNumber = 0;
        for (PageLine& line : page_lines(rng, shape, count)) {
            lastNumber = line.lineNumber;
            RandomCall call;
            call.line = std::move(line);
            calls.push_back(std::move(call));
        }
        const char* end = kPageEnds[*counter % kPageEndCount];
        for (const char* kind = end; *kind != 0; ++kind) calls.push_back(page_end_call(rng, *kind));
        if (*end != 0 && *counter % 6 == 5) {
            // Refused in delayed mode, whose page end has walked past it;
            // direct mode prints it below the others.
            RandomCall late;
            late.line = page_lines(rng, shape, 1).front();
            late.line.lineNumber = static_cast<int32_t>(
                std::min<int64_t>(lastNumber + uniform(rng, 1, 40), INT32_MAX));
            calls.push_back(std::move(late));
        }
        // Now and then the page's last call, or its last line when the
        // page end is left out, waits for the next page start to complete.
        if (*counter % 7 == 2 && count > 0)
            while (calls.back().kind != RandomCall::kLine) calls.pop_back();
        if ((*counter % 7 == 2 || *counter % 7 >= 5) && calls.back().kind != RandomCall::kNewPage)
            calls.back().leftPending = true;
    }
    return calls;
}

}  // namespace vrelo_test
