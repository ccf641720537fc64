// A command stream decoded into pages: each colour's rows placed at the
// raster line they belong to (the paper position less the colour's delay),
// with the counts a summary reports.
#ifndef VRELO_INSPECT_STREAM_PAGES_HPP
#define VRELO_INSPECT_STREAM_PAGES_HPP

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "stream_reader.hpp"

namespace vrelo_inspect {

// Lines by which each colour reaches the paper late, K Y M C m c.
using Delays = std::array<int32_t, kColours>;

constexpr Delays kNoDelays = {0, 0, 0, 0, 0, 0};
constexpr Delays kDelays1440x720 = {0, 336, 224, 112, 224, 112};

// "none", "1440x720" or six numbers "D0,D1,D2,D3,D4,D5" (0..1000000).
// False with *error naming what is wrong.
bool parse_delays(const std::string& text, Delays* delays, std::string* error);

using Row = std::vector<uint8_t>;

struct PageRows {
    int64_t linesAdvanced = 0;  // raster-skip counts added up
    bool formFeed = false;      // ended by a form-feed byte
    // Raster line -> row, trailing zero bytes dropped. A line sent twice
    // holds both rows laid over each other.
    std::map<int64_t, Row> rows[kColours];
    int64_t overprints = 0;  // rows sent onto a line that had one
};

struct StreamTotals {
    int64_t formFeeds = 0;
    int64_t skipCommands = 0;
    int64_t carriageReturns = 0;  // those that close no colour row
    int64_t rows[kColours] = {};
    int64_t commandBytes = 0;  // everything but the payloads
    int64_t payloadBytes = 0;
    int64_t rowBytes = 0;  // the payloads decoded
};

struct DecodedStream {
    std::vector<PageRows> pages;
    StreamTotals totals;
};

// Decodes the whole stream; a page ends at each form-feed byte, and bytes
// after the last one make a page of their own. False at the first fault.
bool decode_stream(const uint8_t* data, size_t size, const Delays& delays, DecodedStream* decoded,
                   StreamFault* fault);

// With rows carried over from page to page, a page's first rows of a
// delayed colour belong to the pages before: a row before line 0 of page
// i + 1 moves to line pageLines[i] + line of page i, and on back while its
// line is still before 0 (pages shorter than a delay).
void carry_rows_back(DecodedStream* decoded, const std::vector<int64_t>& pageLines);

// Rows left before line 0 of their page, which no page could take.
int64_t rows_before_first_line(const DecodedStream& decoded);

}  // namespace vrelo_inspect

#endif
