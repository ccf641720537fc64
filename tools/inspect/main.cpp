// vrelo-inspect: validates a printer command stream, prints what it holds,
// draws its pages and compares them with the raster they were made from.
#include <getopt.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files.hpp"
#include "option_values.hpp"
#include "page_preview.hpp"
#include "program.hpp"
#include "raster_compare.hpp"
#include "stream_report.hpp"

namespace {

using namespace vrelo_inspect;
using vrelo_tools::kExitFailure;
using vrelo_tools::kExitSuccess;
using vrelo_tools::kExitUsage;

const vrelo_tools::ProgramHelp kHelp = {
    "vrelo-inspect", "[OPTION]... STREAM",
    "Checks a printer command stream (STREAM, or - for standard input), prints\n"
    "what it holds, draws its pages and compares them with the CUPS raster they\n"
    "were made from.\n"
    "\n"
    "      --delays=D          each colour's delay in lines: none (the default),\n"
    "                          1440x720, or six numbers D0,D1,D2,D3,D4,D5\n"
    "                          for K Y M C m c\n"
    "      --page-lines=N      lines of every page, to put carried-over rows back\n"
    "      --compare=RASTER    compare every row with this CUPS raster file\n"
    "      --json              print the report as JSON\n"
    "      --png=FILE          draw the first page; a %d in FILE draws every page\n"
    "      --planes=DIR        draw every colour plane of every page into DIR\n"
    "                          (made where missing)\n"
    "      --scale=N           shrink the pictures N times (default: to 2000\n"
    "                          pixels)\n"
    "      --bits=1|2          bits per pixel of the rows (default: the raster's,\n"
    "                          else 1)\n"
    "      --resolution=XxY    dots per inch, for the pictures' aspect\n",
    "the stream is faulty or differs from the raster, or a file\n"
    "     cannot be read or written"};

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

const option kOptions[] = {{"delays", required_argument, nullptr, 'd'},
                           {"png", required_argument, nullptr, 'p'},
                           {"planes", required_argument, nullptr, 'P'},
                           {"scale", required_argument, nullptr, 's'},
                           {"compare", required_argument, nullptr, 'c'},
                           {"json", no_argument, nullptr, 'j'},
                           {"bits", required_argument, nullptr, 'b'},
                           {"resolution", required_argument, nullptr, 'r'},
                           {"page-lines", required_argument, nullptr, 'l'},
                           {nullptr, 0, nullptr, 0}};

// One option's value onto the options; false with *error.
bool take_option(int c, const char* value, Options* o, std::string* error) {
    long number = 0;
    switch (c) {
        case 'd':
            o->delaysGiven1440 = std::string(value) == "1440x720";
            return parse_delays(value, &o->delays, error);
        case 'p':
            o->png = value;
            return true;
        case 'P':
            o->planes = value;
            return true;
        case 'c':
            o->compare = value;
            return true;
        case 'j':
            o->json = true;
            return true;
        case 's':
            if (!vrelo_tools::parse_number("--scale", value, 1, 100000, &number, error))
                return false;
            o->preview.scale = static_cast<int>(number);
            return true;
        case 'b':
            if (!vrelo_tools::parse_number("--bits", value, 1, 2, &number, error)) return false;
            o->preview.bits = static_cast<int>(number);
            o->bitsGiven = true;
            return true;
        case 'r':
            o->resolutionGiven = true;
            return vrelo_tools::parse_resolution(value, &o->resX, &o->resY, error);
        case 'l':
            return vrelo_tools::parse_number("--page-lines", value, 1, 1000000000, &o->pageLines,
                                             error);
        default:
            return false;  // getopt_long has said what is wrong
    }
}

// With carry-over, a page's last rows of a delayed colour come at the start
// of the next page: put them back where they belong.
void carry_back_fixed(DecodedStream* decoded, int64_t pageLines) {
    carry_rows_back(decoded, std::vector<int64_t>(decoded->pages.size(), pageLines));
}

bool compare(const Options& o, DecodedStream* decoded, CompareOutcome* outcome,
             RasterComparison* comparison, std::string* error) {
    if (!compare_with_raster(o.compare, decoded, comparison, error)) return false;
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
        resX = static_cast<long>(raster.resX);
        resY = static_cast<long>(raster.resY);
    } else if (!o.resolutionGiven && o.delaysGiven1440) {
        resX = 1440;
        resY = 720;
    }
    if (!o.bitsGiven && o.compare.size() > 0) settings.bits = raster.bits;
    settings.aspect = resY > 0 && resX > resY ? static_cast<int>(resX / resY) : 1;
    return settings;
}

bool write_pictures(const Options& o, const DecodedStream& decoded, const PreviewSettings& settings,
                    std::string* error) {
    const bool perPage = o.png.find("%d") != std::string::npos;
    for (size_t i = 0; i < decoded.pages.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        if (!o.png.empty() && (perPage || i == 0) &&
            !write_composite_png(decoded.pages[i], settings,
                                 vrelo_tools::numbered_path(o.png, number), error))
            return false;
        if (!o.planes.empty() &&
            !write_plane_pngs(decoded.pages[i], settings, o.planes, number, error))
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    vrelo_tools::Program program(kHelp, argv, "", kOptions);
    Options o;
    const auto take = [&o](int c, const char* value, std::string* error) {
        return take_option(c, value, &o, error);
    };
    std::vector<std::string> operands;
    if (!program.parse(argc, argv, take, {"STREAM"}, &operands)) return kExitUsage;
    o.stream = operands[0];
    std::vector<uint8_t> bytes;
    std::string error;
    if (!vrelo_tools::read_whole_input(o.stream, &bytes, &error)) return program.fail(error);
    DecodedStream decoded;
    StreamFault fault;
    if (!decode_stream(bytes.data(), bytes.size(), o.delays, &decoded, &fault)) {
        if (o.json) print_json_fault(stdout, fault);
        program.fail(vrelo_tools::input_name(o.stream) + ": offset " +
                     std::to_string(fault.offset) + ": " + fault.what);
        return program.finish(kExitFailure);
    }
    if (o.pageLines > 0) carry_back_fixed(&decoded, o.pageLines);
    CompareOutcome outcome;
    RasterComparison comparison;
    if (!o.compare.empty() && !compare(o, &decoded, &outcome, &comparison, &error))
        return program.fail(error);
    if (o.json)
        print_json(stdout, decoded, outcome);
    else
        print_summary(stdout, decoded, outcome);
    if (!write_pictures(o, decoded, preview_settings(o, comparison), &error))
        return program.finish(program.fail(error));
    if (!outcome.equal)
        return program.finish(program.fail(vrelo_tools::input_name(o.stream) + " differs from " +
                                           o.compare + ": " + outcome.difference));
    return program.finish(kExitSuccess);
}
