// vrelo-print: turns a CUPS raster file or a PNG picture into the printer
// stream through the library, page by page, the way a driver's host does.
#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "page_preview.hpp"
#include "page_printer.hpp"
#include "picture_separation.hpp"
#include "progress.hpp"
#include "raster_printing.hpp"
#include "tool_args.hpp"

namespace {

using vrelo_tools::usage_error;

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;   // input refused, library failure, output lost
constexpr int kExitTrouble = 2;  // bad arguments

const char kUsage[] =
    "usage: vrelo-print [--resolution 1440x720|720x720|360x360|...] [--bits 1|2] [--model C]\n"
    "                   [--carry-over] [--prologue FILE] [--epilogue FILE] [--quiet]\n"
    "                   [--halftone diffusion|ordered] [--dpi N] [--planes DIR]\n"
    "                   [-o OUTPUT] INPUT|-\n"
    "INPUT is a CUPS raster stream (each page's header gives its resolution and depth)\n"
    "or a PNG picture (printed at --resolution and --bits, default 1440x720 at 1 bit).\n";

struct Options {
    vrelo_tools::PrintOptions print;
    vrelo_print::PictureSettings picture;
    std::string prologue, epilogue, output = "-", input, planes;
    bool quiet = false;
};

bool parse_model(const char* text, int32_t* model) {
    if (std::strlen(text) != 1 || text[0] <= ' ')
        return usage_error(std::string("--model takes one model-code character, not '") + text + "'");
    *model = int32_t(static_cast<unsigned char>(text[0]));
    return true;
}

bool parse_halftone(const char* text, vrelo_print::Halftone* halftone) {
    if (std::strcmp(text, "diffusion") == 0) *halftone = vrelo_print::Halftone::kDiffusion;
    else if (std::strcmp(text, "ordered") == 0) *halftone = vrelo_print::Halftone::kOrdered;
    else return usage_error(std::string("--halftone takes diffusion or ordered, not '") + text + "'");
    return true;
}

bool parse_options(int argc, char** argv, Options* o) {
    static const option kLong[] = {
        {"resolution", required_argument, nullptr, 'r'}, {"bits", required_argument, nullptr, 'b'},
        {"model", required_argument, nullptr, 'm'},      {"carry-over", no_argument, nullptr, 'c'},
        {"prologue", required_argument, nullptr, 'P'},   {"epilogue", required_argument, nullptr, 'E'},
        {"quiet", no_argument, nullptr, 'q'},            {"halftone", required_argument, nullptr, 'H'},
        {"dpi", required_argument, nullptr, 'd'},        {"planes", required_argument, nullptr, 'p'},
        {"help", no_argument, nullptr, 'h'},             {nullptr, 0, nullptr, 0}};
    long a = 0, b = 0;
    for (int c; (c = getopt_long(argc, argv, "o:", kLong, nullptr)) != -1;) {
        switch (c) {
            case 'r':
                if (!vrelo_tools::parse_resolution(optarg, &a, &b)) return false;
                o->picture.resX = uint32_t(a);
                o->picture.resY = uint32_t(b);
                break;
            case 'b':
                if (!vrelo_tools::parse_number("--bits", optarg, 1, 2, &a)) return false;
                o->picture.bits = int(a);
                break;
            case 'd':
                if (!vrelo_tools::parse_number("--dpi", optarg, 1, 32767, &a)) return false;
                o->picture.imageDpi = uint32_t(a);
                break;
            case 'm': if (!parse_model(optarg, &o->print.model)) return false; break;
            case 'H': if (!parse_halftone(optarg, &o->picture.halftone)) return false; break;
            case 'c': o->print.carryOver = true; break;
            case 'P': o->prologue = optarg; break;
            case 'E': o->epilogue = optarg; break;
            case 'p': o->planes = optarg; break;
            case 'q': o->quiet = true; break;
            case 'o': o->output = optarg; break;
            case 'h': std::fputs(kUsage, stdout); std::exit(kExitDone);
            default: return false;
        }
    }
    if (optind + 1 != argc) return usage_error("give one INPUT, or - for standard input");
    o->input = argv[optind];
    return true;
}

// The printer stream's destination: every write checked.
class Output {
  public:
    bool open(const std::string& path) {
        file_ = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
        path_ = path == "-" ? "standard output" : path;
        if (file_ == nullptr) std::fprintf(stderr, "vrelo-print: cannot create %s\n", path.c_str());
        return file_ != nullptr;
    }
    bool write(const std::vector<uint8_t>& bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size()) return true;
        std::fprintf(stderr, "vrelo-print: cannot write %s\n", path_.c_str());
        return false;
    }
    bool write_file_of(const std::string& path) {
        if (path.empty()) return true;
        std::vector<uint8_t> bytes;
        std::string error;
        if (!vrelo_tools::read_whole_input(path, &bytes, &error)) {
            std::fprintf(stderr, "vrelo-print: %s\n", error.c_str());
            return false;
        }
        return write(bytes);
    }
    bool close() {
        const bool flushed = std::fflush(file_) == 0;
        const bool closed = file_ == stdout || std::fclose(file_) == 0;
        if (flushed && closed) return true;
        std::fprintf(stderr, "vrelo-print: cannot write %s\n", path_.c_str());
        return false;
    }

  private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

int print_raster_input(int fd, const std::vector<uint8_t>& magic, const Options& o, Output& out) {
    vrelo_tools::RasterInput input(fd, magic);
    if (!input.opened()) {
        std::fprintf(stderr, "vrelo-print: %s is not a CUPS raster stream\n", o.input.c_str());
        return kExitFailed;
    }
    vrelo_tools::Progress progress("vrelo-print", o.quiet);
    vrelo_tools::PrintEvents events;
    events.pageBegins = [&](int page, const vrelo_tools::RasterFormat& f) { progress.page(page, f.height); };
    events.lineDone = [&](int, uint32_t line) { progress.line(line); };
    events.pageEnded = [&](int, const std::vector<uint8_t>& bytes) { return out.write(bytes); };
    const vrelo_tools::PrintResult result = vrelo_tools::print_raster(input, o.print, events, nullptr);
    progress.done();
    if (result.error.empty()) return kExitDone;
    std::fprintf(stderr, "vrelo-print: %s\n", result.error.c_str());
    return kExitFailed;
}

// The dithered planes as the inspector draws a decoded page.
bool write_planes(const std::string& dir, const std::vector<vrelo_tools::PlaneRows>& lines, int bits) {
    vrelo_inspect::PageRows page;
    for (size_t y = 0; y < lines.size(); ++y)
        for (int c = 0; c < vrelo_tools::kPlanes; ++c) {
            std::vector<uint8_t> row = lines[y][c];
            while (!row.empty() && row.back() == 0) row.pop_back();
            if (!row.empty()) page.rows[c].emplace(int64_t(y), std::move(row));
        }
    vrelo_inspect::PreviewSettings settings;
    settings.bits = bits;
    settings.scale = 1;
    std::string error;
    if (vrelo_inspect::write_plane_pngs(page, settings, dir, 1, &error)) return true;
    std::fprintf(stderr, "vrelo-print: %s\n", error.c_str());
    return false;
}

int print_picture(std::FILE* file, const Options& o, Output& out) {
    vrelo_tools::RgbImage image;
    std::string error;
    if (!vrelo_tools::read_png(file, &image, &error, 4)) {
        std::fprintf(stderr, "vrelo-print: %s: %s\n", o.input.c_str(), error.c_str());
        return kExitFailed;
    }
    vrelo_print::PictureSeparation separation(image, o.picture);
    if (separation.width() > vrelo_tools::kWidestPage) {
        std::fprintf(stderr, "vrelo-print: %s is %u dots wide at this resolution; the widest line is %u\n",
                     o.input.c_str(), separation.width(), vrelo_tools::kWidestPage);
        return kExitFailed;
    }
    VreloJobSetup setup = vrelo_host_setup(int32_t(o.picture.resX), int32_t(o.picture.resY), o.picture.bits);
    setup.model = o.print.model;
    setup.carryOver = o.print.carryOver;
    vrelo_tools::PagePrinter printer;
    vrelo_tools::PrintFault fault;
    vrelo_tools::Progress progress("vrelo-print", o.quiet);
    std::vector<vrelo_tools::PlaneRows> kept;
    bool printed = printer.configure(setup, &fault);
    if (printed) {
        printer.begin_page(1);
        progress.page(1, separation.lines());
    }
    vrelo_tools::PlaneRows planes;
    for (uint32_t y = 0; printed && y < separation.lines(); ++y) {
        separation.next_line(&planes);
        printed = printer.print_line(int32_t(y), planes, separation.width(), &fault);
        if (!o.planes.empty()) kept.push_back(planes);
        progress.line(y + 1);
    }
    printed = printed && printer.end_page(int32_t(separation.lines()), true, &fault);
    progress.done();
    if (!printed) {
        std::fprintf(stderr, "vrelo-print: %s\n", fault.what.c_str());
        return kExitFailed;
    }
    if (!out.write(printer.page_bytes())) return kExitFailed;
    return o.planes.empty() || write_planes(o.planes, kept, o.picture.bits) ? kExitDone : kExitFailed;
}

bool is_png(const std::vector<uint8_t>& magic) {
    return magic.size() == 4 && magic[0] == 0x89 && magic[1] == 'P' && magic[2] == 'N' && magic[3] == 'G';
}

// Reads the input's first four bytes, which tell raster from PNG, from the
// descriptor itself, so that nothing more is taken from it.
bool read_magic(int fd, std::vector<uint8_t>* magic) {
    magic->resize(4);
    size_t got = 0;
    while (got < magic->size()) {
        const ssize_t n = read(fd, magic->data() + got, magic->size() - got);
        if (n <= 0) return false;
        got += size_t(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse_options(argc, argv, &o)) {
        std::fputs(kUsage, stderr);
        return kExitTrouble;
    }
    const int fd = o.input == "-" ? STDIN_FILENO : open(o.input.c_str(), O_RDONLY);
    if (fd < 0) {
        std::fprintf(stderr, "vrelo-print: cannot open %s\n", o.input.c_str());
        return kExitFailed;
    }
    std::vector<uint8_t> magic;
    if (!read_magic(fd, &magic)) {
        std::fprintf(stderr, "vrelo-print: %s is too short to be a raster or a PNG\n", o.input.c_str());
        return kExitFailed;
    }
    Output out;
    if (!out.open(o.output) || !out.write_file_of(o.prologue)) return kExitFailed;
    const int status = is_png(magic) ? print_picture(fdopen(fd, "rb"), o, out)
                                     : print_raster_input(fd, magic, o, out);
    const bool ended = out.write_file_of(o.epilogue) && out.close();
    return status != kExitDone ? status : ended ? kExitDone : kExitFailed;
}
