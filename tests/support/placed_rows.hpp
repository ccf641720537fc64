// What a printer makes of a command stream: each colour row at the paper
// position the skips before it have brought the paper to. Shared by the
// read-backs of both modes; delayed mode then undoes each colour's delay.
#ifndef VRELO_TEST_PLACED_ROWS_HPP
#define VRELO_TEST_PLACED_ROWS_HPP

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "bytes.hpp"

namespace vrelo_test {

// One colour row where it printed; with its delay undone, `line` is the
// line it belongs to.
struct SentRow {
    int64_t line;
    char letter;
    Bytes row;  // decoded, leading zeros included
};
bool operator==(const SentRow& a, const SentRow& b);
bool operator<(const SentRow& a, const SentRow& b);
std::ostream& operator<<(std::ostream& out, const SentRow& row);
std::vector<SentRow> sorted(std::vector<SentRow> rows);

// "" when printed holds exactly the rows expected (in any order), else how
// many are lost and how many doubled or misplaced, with the first of each.
std::string row_differences(std::vector<SentRow> printed, std::vector<SentRow> expected);

struct ReadBack {
    std::vector<SentRow> rows;
    int formFeeds = 0;
    int64_t position = 0;  // where the paper stands at the end
    std::string error;     // empty when the stream was sound
};

// Reads a stream that starts with the paper at `position`: each skip moves
// the paper, each colour row (which must be closed by its carriage return)
// prints there, and belongs to the line its colour's delay before when
// undoDelays. Anything else is an error.
ReadBack place_rows(const Bytes& stream, bool undoDelays, int64_t position = 0);

}  // namespace vrelo_test

#endif
