// The summary and JSON reports (see stream_report.hpp).
#include "stream_report.hpp"

#include <cinttypes>

namespace vrelo_inspect {
namespace {

double compression_ratio(const StreamTotals& totals) {
    return totals.payloadBytes == 0
               ? 0.0
               : static_cast<double>(totals.rowBytes) / static_cast<double>(totals.payloadBytes);
}

int64_t page_rows(const PageRows& page, int colour) {
    return static_cast<int64_t>(page.rows[colour].size());
}

void print_colour_counts(std::FILE* out, const PageRows& page) {
    for (int colour = 0; colour < kColours; ++colour)
        std::fprintf(out, " %c %" PRId64, kColourLetters[colour], page_rows(page, colour));
}

void print_json_string(std::FILE* out, const std::string& text) {
    std::fputc('"', out);
    for (const char c : text) {
        if (c == '"' || c == '\\')
            std::fprintf(out, "\\%c", c);
        else if (static_cast<unsigned char>(c) < 0x20)
            std::fprintf(out, "\\u%04x", c);
        else
            std::fputc(c, out);
    }
    std::fputc('"', out);
}

void print_json_page(std::FILE* out, const PageRows& page, size_t index) {
    std::fprintf(out,
                 "    {\"page\": %zu, \"linesAdvanced\": %" PRId64
                 ", \"formFeed\": %s, \"overprints\": %" PRId64 ", \"rows\": {",
                 index + 1, page.linesAdvanced, page.formFeed ? "true" : "false", page.overprints);
    for (int colour = 0; colour < kColours; ++colour) {
        std::fprintf(out, "%s\"%c\": [", colour ? ", " : "", kColourLetters[colour]);
        const char* separator = "";
        for (const auto& row : page.rows[colour]) {
            std::fprintf(out, "%s%" PRId64, separator, row.first);
            separator = ", ";
        }
        std::fputc(']', out);
    }
    std::fputs("}}", out);
}

void print_json_compare(std::FILE* out, const CompareOutcome& compare) {
    if (!compare.asked) return;
    std::fprintf(out, "  \"compare\": {\"equal\": %s", compare.equal ? "true" : "false");
    if (!compare.equal) {
        std::fputs(", \"difference\": ", out);
        print_json_string(out, compare.difference);
    }
    std::fputs("},\n", out);
}

}  // namespace

void print_summary(std::FILE* out, const DecodedStream& decoded, const CompareOutcome& compare) {
    const StreamTotals& totals = decoded.totals;
    std::fprintf(out, "pages: %zu, form feeds: %" PRId64 "\n", decoded.pages.size(),
                 totals.formFeeds);
    for (size_t i = 0; i < decoded.pages.size(); ++i) {
        const PageRows& page = decoded.pages[i];
        std::fprintf(out, "page %zu: %" PRId64 " lines advanced, rows", i + 1, page.linesAdvanced);
        print_colour_counts(out, page);
        std::fprintf(out, "%s\n", page.formFeed ? ", form feed" : ", no form feed");
    }
    std::fputs("rows:", out);
    for (int colour = 0; colour < kColours; ++colour)
        std::fprintf(out, " %c %" PRId64, kColourLetters[colour], totals.rows[colour]);
    std::fprintf(out,
                 "\nbytes: %" PRId64 " of commands, %" PRId64
                 " of payload\n"
                 "compression: %" PRId64 " bytes of rows in %" PRId64 " bytes of payload, %.2f:1\n",
                 totals.commandBytes, totals.payloadBytes, totals.rowBytes, totals.payloadBytes,
                 compression_ratio(totals));
    const int64_t early = rows_before_first_line(decoded);
    if (early > 0)
        std::fprintf(out,
                     "rows before line 0 of their page: %" PRId64
                     " (carried over from the page before? give --page-lines or "
                     "--compare)\n",
                     early);
    if (compare.asked)
        std::fprintf(out, "compare: %s\n",
                     compare.equal ? "every row matches the raster" : compare.difference.c_str());
}

void print_json(std::FILE* out, const DecodedStream& decoded, const CompareOutcome& compare) {
    const StreamTotals& totals = decoded.totals;
    std::fprintf(out,
                 "{\n  \"valid\": true,\n  \"pageCount\": %zu,\n  \"formFeeds\": %" PRId64
                 ",\n  \"commandBytes\": %" PRId64 ",\n  \"payloadBytes\": %" PRId64
                 ",\n  \"rowBytes\": %" PRId64
                 ",\n  \"compressionRatio\": %.4f,\n"
                 "  \"rowsBeforeFirstLine\": %" PRId64 ",\n  \"rows\": {",
                 decoded.pages.size(), totals.formFeeds, totals.commandBytes, totals.payloadBytes,
                 totals.rowBytes, compression_ratio(totals), rows_before_first_line(decoded));
    for (int colour = 0; colour < kColours; ++colour)
        std::fprintf(out, "%s\"%c\": %" PRId64, colour ? ", " : "", kColourLetters[colour],
                     totals.rows[colour]);
    std::fputs("},\n", out);
    print_json_compare(out, compare);
    std::fputs("  \"pages\": [\n", out);
    for (size_t i = 0; i < decoded.pages.size(); ++i) {
        print_json_page(out, decoded.pages[i], i);
        std::fputs(i + 1 < decoded.pages.size() ? ",\n" : "\n", out);
    }
    std::fputs("  ]\n}\n", out);
}

void print_json_fault(std::FILE* out, const StreamFault& fault) {
    std::fprintf(out, "{\n  \"valid\": false,\n  \"offset\": %zu,\n  \"error\": ", fault.offset);
    print_json_string(out, fault.what);
    std::fputs("\n}\n", out);
}

}  // namespace vrelo_inspect
