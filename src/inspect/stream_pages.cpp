// Placing decoded rows on pages (see stream_pages.hpp).
#include "stream_pages.hpp"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace vrelo_inspect {
namespace {

constexpr int32_t kLongestDelay = 1000000;

void lay_over(Row* line, const Row& row) {
    if (line->size() < row.size()) line->resize(row.size(), 0);
    for (size_t i = 0; i < row.size(); ++i) (*line)[i] |= row[i];
}

void put_row(PageRows* page, int colour, int64_t line, Row&& row) {
    auto found = page->rows[colour].find(line);
    if (found == page->rows[colour].end()) {
        page->rows[colour].emplace(line, std::move(row));
        return;
    }
    ++page->overprints;
    lay_over(&found->second, row);
}

void drop_trailing_zeros(Row* row) {
    while (!row->empty() && row->back() == 0) row->pop_back();
}

class PageBuilder : public StreamHandler {
  public:
    PageBuilder(const Delays& delays, DecodedStream* decoded)
        : delays_(delays), decoded_(decoded) {}

    void skip(size_t, int32_t lines) override {
        page().linesAdvanced += lines;
        ++decoded_->totals.skipCommands;
        decoded_->totals.commandBytes += kSkipCommandBytes;
    }

    void row(size_t, int colour, std::vector<uint8_t>&& bytes, size_t payloadBytes) override {
        StreamTotals& totals = decoded_->totals;
        ++totals.rows[colour];
        totals.commandBytes += kRowHeaderBytes + kControlByteBytes;
        totals.payloadBytes += static_cast<int64_t>(payloadBytes);
        totals.rowBytes += static_cast<int64_t>(bytes.size());
        drop_trailing_zeros(&bytes);
        PageRows& current = page();
        put_row(&current, colour, current.linesAdvanced - delays_[colour], std::move(bytes));
    }

    void carriage_return(size_t) override {
        page();
        ++decoded_->totals.carriageReturns;
        decoded_->totals.commandBytes += kControlByteBytes;
    }

    void form_feed(size_t) override {
        page().formFeed = true;
        open_ = false;
        ++decoded_->totals.formFeeds;
        decoded_->totals.commandBytes += kControlByteBytes;
    }

  private:
    // The page the next command belongs to, opened by its first command.
    PageRows& page() {
        if (!open_) decoded_->pages.emplace_back();
        open_ = true;
        return decoded_->pages.back();
    }

    Delays delays_;
    DecodedStream* decoded_;
    bool open_ = false;
};

}  // namespace

bool parse_delays(const std::string& text, Delays* delays, std::string* error) {
    if (text == "none") {
        *delays = kNoDelays;
        return true;
    }
    if (text == "1440x720") {
        *delays = kDelays1440x720;
        return true;
    }
    std::istringstream in(text);
    std::string item;
    int colour = 0;
    Delays parsed{};
    while (std::getline(in, item, ',')) {
        char* end = nullptr;
        const long value = std::strtol(item.c_str(), &end, 10);
        if (colour == kColours || item.empty() || *end != '\0' || value < 0 ||
            value > kLongestDelay) {
            *error =
                "--delays takes none, 1440x720 or six numbers 0 to 1000000 "
                "separated by commas, not '" +
                text + "'";
            return false;
        }
        parsed[colour++] = static_cast<int32_t>(value);
    }
    if (colour != kColours) {
        *error = "--delays needs six numbers, one per colour K Y M C m c, not '" + text + "'";
        return false;
    }
    *delays = parsed;
    return true;
}

bool decode_stream(const uint8_t* data, size_t size, const Delays& delays, DecodedStream* decoded,
                   StreamFault* fault) {
    PageBuilder builder(delays, decoded);
    return read_stream(data, size, builder, fault);
}

void carry_rows_back(DecodedStream* decoded, const std::vector<int64_t>& pageLines) {
    std::vector<PageRows>& pages = decoded->pages;
    const size_t last = std::min(pages.size(), pageLines.size() + 1);
    // From the last page back, so that a row moved onto a page moves on
    // from there in its turn.
    for (size_t next = last; next-- > 1;) {
        for (int colour = 0; colour < kColours; ++colour) {
            auto& rows = pages[next].rows[colour];
            while (!rows.empty() && rows.begin()->first < 0) {
                const int64_t line = pageLines[next - 1] + rows.begin()->first;
                put_row(&pages[next - 1], colour, line, std::move(rows.begin()->second));
                rows.erase(rows.begin());
            }
        }
    }
}

int64_t rows_before_first_line(const DecodedStream& decoded) {
    int64_t count = 0;
    for (const PageRows& page : decoded.pages)
        for (const auto& rows : page.rows)
            for (auto it = rows.begin(); it != rows.end() && it->first < 0; ++it) ++count;
    return count;
}

}  // namespace vrelo_inspect
