// vrelo-inspect: validates a printer command stream, prints what it holds,
// draws its pages and compares them with the raster they were made from.
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "page_preview.hpp"
#include "raster_compare.hpp"
#include "stream_report.hpp"
#include "option_values.hpp"

namespace {

using namespace vrelo_inspect;

constexpr int kExitValid = 0;
constexpr int kExitInvalid = 1;  // a fault in the stream, or a difference
constexpr int kExitTrouble = 2;  // bad arguments, unreadable files

const char kUsage[] =
    "usage: vrelo-inspect [--delays 1440x720|none|D0,D1,D2,D3,D4,D5] [--png FILE]\n"
    "                     [--planes DIR] [--scale N] [--compare RASTER] [--json]\n"
    "                     [--bits 1|2] [--resolution XxY] [--page-lines N] STREAM|-\n";

struct Options {
    Delays delays = kNoDelays;
    bool delaysGiven1440 = false;
    std::string png, planes, compare, stream;
    PreviewSettings preview;
    bool bitsGiven = false, resolutionGiven = false;
    long resX = 1, resY = 1;
    long pageLines = 0;
    bool json = false;
};

bool parse_options(int argc, char** argv, Options* o) {
    static const option kLong[] = {
        {"delays", required_argument, nullptr, 'd'}, {"png", required_argument, nullptr, 'p'},
        {"planes", required_argument, nullptr, 'P'}, {"scale", required_argument, nullptr, 's'},
        {"compare", required_argument, nullptr, 'c'}, {"json", no_argument, nullptr, 'j'},
        {"bits", required_argument, nullptr, 'b'}, {"resolution", required_argument, nullptr, 'r'},
        {"page-lines", required_argument, nullptr, 'l'}, {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0}};
    std::string error;
    long number = 0;
    for (int c; (c = getopt_long(argc, argv, "", kLong, nullptr)) != -1;) {
        switch (c) {
            case 'd':
                if (!parse_delays(optarg, &o->delays, &error)) return vrelo_tools::usage_error(error);
                o->delaysGiven1440 = std::string(optarg) == "1440x720";
                break;
            case 'p': o->png = optarg; break;
            case 'P': o->planes = optarg; break;
            case 'c': o->compare = optarg; break;
            case 'j': o->json = true; break;
            case 's':
                if (!vrelo_tools::parse_number("--scale", optarg, 1, 100000, &number)) return false;
                o->preview.scale = int(number);
                break;
            case 'b':
                if (!vrelo_tools::parse_number("--bits", optarg, 1, 2, &number)) return false;
                o->preview.bits = int(number);
                o->bitsGiven = true;
                break;
            case 'r':
                if (!vrelo_tools::parse_resolution(optarg, &o->resX, &o->resY)) return false;
                o->resolutionGiven = true;
                break;
            case 'l':
                if (!vrelo_tools::parse_number("--page-lines", optarg, 1, 1000000000, &o->pageLines))
                    return false;
                break;
            case 'h': std::fputs(kUsage, stdout); std::exit(kExitValid);
            default: return false;
        }
    }
    if (optind + 1 != argc) return vrelo_tools::usage_error("give one STREAM, or - for standard input");
    o->stream = argv[optind];
    return true;
}

// With carry-over, a page's last rows of a delayed colour come at the start
// of the next page: put them back where they belong.
void carry_back_fixed(DecodedStream* decoded, int64_t pageLines) {
    carry_rows_back(decoded, std::vector<int64_t>(decoded->pages.size(), pageLines));
}

bool compare(const Options& o, DecodedStream* decoded, CompareOutcome* outcome,
             RasterComparison* comparison) {
    std::string error;
    if (!compare_with_raster(o.compare, decoded, comparison, &error)) {
        std::fprintf(stderr, "vrelo-inspect: %s: %s\n", o.compare.c_str(), error.c_str());
        return false;
    }
    outcome->asked = true;
    outcome->equal = comparison->equal;
    outcome->difference = comparison->difference;
    return true;
}

// How rows become pictures: depth and dot shape from the options, else
// from the compared raster, else from the delays' configuration.
PreviewSettings preview_settings(const Options& o, const RasterComparison& raster) {
    PreviewSettings settings = o.preview;
    long resX = o.resX, resY = o.resY;
    if (!o.resolutionGiven && raster.resY != 0) {
        resX = long(raster.resX);
        resY = long(raster.resY);
    } else if (!o.resolutionGiven && o.delaysGiven1440) {
        resX = 1440;
        resY = 720;
    }
    if (!o.bitsGiven && o.compare.size() > 0) settings.bits = raster.bits;
    settings.aspect = resY > 0 && resX > resY ? int(resX / resY) : 1;
    return settings;
}

bool write_pictures(const Options& o, const DecodedStream& decoded,
                    const PreviewSettings& settings) {
    std::string error;
    const bool perPage = o.png.find("%d") != std::string::npos;
    for (size_t i = 0; i < decoded.pages.size(); ++i) {
        const int number = int(i + 1);
        if (!o.png.empty() && (perPage || i == 0)) {
            const std::string path = vrelo_tools::numbered_path(o.png, number);
            if (!write_composite_png(decoded.pages[i], settings, path, &error)) break;
        }
        if (!o.planes.empty() &&
            !write_plane_pngs(decoded.pages[i], settings, o.planes, number, &error))
            break;
    }
    if (error.empty()) return true;
    std::fprintf(stderr, "vrelo-inspect: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse_options(argc, argv, &o)) {
        std::fputs(kUsage, stderr);
        return kExitTrouble;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!vrelo_tools::read_whole_input(o.stream, &bytes, &error)) {
        std::fprintf(stderr, "vrelo-inspect: %s\n", error.c_str());
        return kExitTrouble;
    }
    DecodedStream decoded;
    StreamFault fault;
    if (!decode_stream(bytes.data(), bytes.size(), o.delays, &decoded, &fault)) {
        std::fprintf(stderr, "vrelo-inspect: %s: offset %zu: %s\n", o.stream.c_str(),
                     fault.offset, fault.what.c_str());
        if (o.json) print_json_fault(stdout, fault);
        return kExitInvalid;
    }
    if (o.pageLines > 0) carry_back_fixed(&decoded, o.pageLines);
    CompareOutcome outcome;
    RasterComparison comparison;
    if (!o.compare.empty() && !compare(o, &decoded, &outcome, &comparison)) return kExitTrouble;
    if (o.json) print_json(stdout, decoded, outcome);
    else print_summary(stdout, decoded, outcome);
    if (!write_pictures(o, decoded, preview_settings(o, comparison))) return kExitTrouble;
    if (!outcome.equal) {
        std::fprintf(stderr, "vrelo-inspect: %s\n", outcome.difference.c_str());
        return kExitInvalid;
    }
    return kExitValid;
}
