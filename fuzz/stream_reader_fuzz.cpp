// Fuzz target: the inspector's stream reader and page placement on
// arbitrary bytes. It must never crash or read past its input; a fault
// lies inside the input, a sound stream's rows are all placed, and the
// reports and page extents can be made of whatever it decoded.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "fuzz_check.hpp"
#include "page_preview.hpp"
#include "stream_pages.hpp"
#include "stream_report.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the delays, as a user picks --delays.
    const bool delayed = size > 0 && (data[0] & 1);
    const auto& delays = delayed ? vrelo_inspect::kDelays1440x720 : vrelo_inspect::kNoDelays;
    vrelo_inspect::DecodedStream decoded;
    vrelo_inspect::StreamFault fault;
    const bool sound = vrelo_inspect::decode_stream(data, size, delays, &decoded, &fault);
    // A fault lies inside the input, or just after it for a command whose
    // closing byte is missing.
    vrelo_fuzz::require(sound || fault.offset <= size, "a fault lies within the input");
    if (!sound) return 0;
    int64_t rows = 0;
    for (const auto& page : decoded.pages)
        for (const auto& colour : page.rows) rows += static_cast<int64_t>(colour.size());
    int64_t sent = 0;
    for (const int64_t n : decoded.totals.rows) sent += n;
    int64_t overprints = 0;
    for (const auto& page : decoded.pages) overprints += page.overprints;
    vrelo_fuzz::require(rows + overprints == sent, "every row sent is placed");
    vrelo_inspect::carry_rows_back(&decoded, std::vector<int64_t>(decoded.pages.size(), 100));
    static std::FILE* sink = std::fopen("/dev/null", "w");
    vrelo_inspect::print_json(sink, decoded, {});
    for (const auto& page : decoded.pages) {
        vrelo_inspect::PreviewSettings settings;
        const auto extent = vrelo_inspect::page_extent(page, 1);
        vrelo_fuzz::require(extent.dots >= 1 && extent.lines >= 1 &&
                                vrelo_inspect::preview_scale(extent, settings) >= 1,
                            "every page has a picture size");
    }
    return 0;
}
