// vrelo-print: turns a CUPS raster file, or a PNG or JPEG picture, into the
// printer stream through the library, page by page, the way a driver's host
// does; pictures go through the renderer first.
#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "jpeg_file.hpp"
#include "page_preview.hpp"
#include "page_printer.hpp"
#include "picture_printing.hpp"
#include "progress.hpp"
#include "raster_printing.hpp"
#include "option_values.hpp"

namespace {

using vrelo_tools::usage_error;

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;   // input refused, library failure, output lost
constexpr int kExitTrouble = 2;  // bad arguments

const char kUsage[] =
    "usage: vrelo-print [--resolution 1440x720|720x720|360x360|...] [--model C]\n"
    "                   [--quality draft|normal|high] [--media plain|photo] [--profile FILE.icc]\n"
    "                   [--carry-over] [--prologue FILE] [--epilogue FILE] [--quiet]\n"
    "                   [--dpi N] [--planes DIR] [-o OUTPUT] INPUT|-\n"
    "INPUT is a CUPS raster stream (each page's header gives its resolution and depth)\n"
    "or a PNG or JPEG picture (printed at --resolution, default 1440x720, in the\n"
    "--quality's dots: draft and normal one dot size, high three).\n";

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

bool parse_options(int argc, char** argv, Options* o) {
    static const option kLong[] = {
        {"resolution", required_argument, nullptr, 'r'}, {"quality", required_argument, nullptr, 'Q'},
        {"model", required_argument, nullptr, 'm'},      {"carry-over", no_argument, nullptr, 'c'},
        {"prologue", required_argument, nullptr, 'P'},   {"epilogue", required_argument, nullptr, 'E'},
        {"quiet", no_argument, nullptr, 'q'},            {"media", required_argument, nullptr, 'M'},
        {"dpi", required_argument, nullptr, 'd'},        {"planes", required_argument, nullptr, 'p'},
        {"profile", required_argument, nullptr, 'I'},    {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0}};
    long a = 0, b = 0;
    for (int c; (c = getopt_long(argc, argv, "o:", kLong, nullptr)) != -1;) {
        switch (c) {
            case 'r':
                if (!vrelo_tools::parse_resolution(optarg, &a, &b)) return false;
                o->picture.resX = uint32_t(a);
                o->picture.resY = uint32_t(b);
                break;
            case 'Q':
                if (!vrelo_tools::parse_quality(optarg, &o->picture.quality))
                    return usage_error(std::string("--quality takes draft, normal or high, not '") + optarg + "'");
                break;
            case 'M':
                if (!vrelo_tools::parse_media(optarg, &o->picture.media))
                    return usage_error(std::string("--media takes plain or photo, not '") + optarg + "'");
                break;
            case 'I': o->picture.printerProfile = optarg; break;
            case 'd':
                if (!vrelo_tools::parse_number("--dpi", optarg, 1, 32767, &a)) return false;
                o->picture.imageDpi = uint32_t(a);
                break;
            case 'm': if (!parse_model(optarg, &o->print.model)) return false; break;
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

bool is_png(const std::vector<uint8_t>& magic) {
    return magic.size() == 4 && magic[0] == 0x89 && magic[1] == 'P' && magic[2] == 'N' && magic[3] == 'G';
}

int print_picture(const vrelo_tools::RgbImage& image, const Options& o, Output& out) {
    vrelo_tools::Progress progress("vrelo-print", o.quiet);
    const vrelo_print::PrintedPicture printed =
        vrelo_print::print_picture(image, o.picture, o.print, !o.planes.empty(), &progress);
    progress.done();
    if (!printed.error.empty()) {
        std::fprintf(stderr, "vrelo-print: %s: %s\n", o.input.c_str(), printed.error.c_str());
        return kExitFailed;
    }
    if (!out.write(printed.bytes)) return kExitFailed;
    const int bits = o.picture.quality == vrelo_tools::Quality::kHigh ? 2 : 1;
    return o.planes.empty() || write_planes(o.planes, printed.planes, bits) ? kExitDone : kExitFailed;
}

// A PNG or JPEG picture from the descriptor, after its first bytes.
bool read_picture(int fd, const std::vector<uint8_t>& magic, const Options& o,
                  vrelo_tools::RgbImage* image) {
    std::string error;
    bool taken;
    if (is_png(magic)) {
        std::FILE* file = fdopen(fd, "rb");
        taken = file != nullptr && vrelo_tools::read_png(file, image, &error, int(magic.size()));
        if (file != nullptr) std::fclose(file);
    } else {
        std::vector<uint8_t> bytes = magic;
        uint8_t buffer[65536];
        ssize_t got;
        while ((got = read(fd, buffer, sizeof buffer)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
        taken = got == 0 && vrelo_tools::read_jpeg(bytes, image, &error);
        if (got < 0) error = "cannot read it";
        close(fd);
    }
    if (!taken) std::fprintf(stderr, "vrelo-print: %s: %s\n", o.input.c_str(), error.c_str());
    return taken;
}


// Reads the input's first four bytes, which tell raster, PNG and JPEG apart, from the
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
        std::fprintf(stderr, "vrelo-print: %s is too short to be a raster or a picture\n", o.input.c_str());
        return kExitFailed;
    }
    Output out;
    if (!out.open(o.output) || !out.write_file_of(o.prologue)) return kExitFailed;
    int status;
    if (is_png(magic) || vrelo_tools::is_jpeg(magic)) {
        vrelo_tools::RgbImage image;
        status = read_picture(fd, magic, o, &image) ? print_picture(image, o, out) : kExitFailed;
    } else {
        status = print_raster_input(fd, magic, o, out);
    }
    const bool ended = out.write_file_of(o.epilogue) && out.close();
    return status != kExitDone ? status : ended ? kExitDone : kExitFailed;
}
