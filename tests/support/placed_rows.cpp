#include "placed_rows.hpp"

#include <algorithm>
#include <iterator>
#include <sstream>
#include <tuple>

#include "command_stream.hpp"
#include "vrelo417.h"

namespace vrelo_test {
namespace {

int32_t delay_of(char letter) {
    const std::string letters = "KYMCmc";
    const size_t colour = letters.find(letter);
    return colour == std::string::npos ? 0 : ColorOffset[colour];
}

}  // namespace

bool operator==(const SentRow& a, const SentRow& b) {
    return std::tie(a.line, a.letter, a.row) == std::tie(b.line, b.letter, b.row);
}

bool operator<(const SentRow& a, const SentRow& b) {
    return std::tie(a.line, a.letter, a.row) < std::tie(b.line, b.letter, b.row);
}

std::ostream& operator<<(std::ostream& out, const SentRow& row) {
    return out << "line " << row.line << " " << row.letter << " (" << row.row.size() << " bytes)";
}

std::vector<SentRow> sorted(std::vector<SentRow> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::string row_differences(std::vector<SentRow> printed, std::vector<SentRow> expected) {
    printed = sorted(printed);
    expected = sorted(expected);
    std::vector<SentRow> lost, extra;
    std::set_difference(expected.begin(), expected.end(), printed.begin(), printed.end(),
                        std::back_inserter(lost));
    std::set_difference(printed.begin(), printed.end(), expected.begin(), expected.end(),
                        std::back_inserter(extra));
    std::ostringstream what;
    if (!lost.empty()) what << lost.size() << " rows lost, first " << lost.front() << "; ";
    if (!extra.empty())
        what << extra.size() << " rows doubled or misplaced, first " << extra.front() << "; ";
    return what.str();
}

ReadBack place_rows(const Bytes& stream, bool undoDelays, int64_t position) {
    const CommandStream read = read_command_stream(stream);
    ReadBack result;
    result.error = read.error;
    for (size_t i = 0; i < read.events.size() && result.error.empty(); ++i) {
        const CommandEvent& e = read.events[i];
        std::ostringstream stray;
        if (e.kind == CommandKind::kSkip) {
            position += e.lines;
        } else if (e.kind == CommandKind::kColourRow) {
            const int64_t line = position - (undoDelays ? delay_of(e.letter) : 0);
            result.rows.push_back({line, e.letter, e.row});
            const bool closed = i + 1 < read.events.size() &&
                                read.events[i + 1].kind == CommandKind::kCarriageReturn;
            if (!closed) stray << "row " << result.rows.back() << " not closed";
            ++i;
        } else if (e.kind == CommandKind::kFormFeed) {
            ++result.formFeeds;
        } else {
            stray << "stray " << e;
        }
        if (result.error.empty()) result.error = stray.str();
    }
    result.position = position;
    return result;
}

}  // namespace vrelo_test
