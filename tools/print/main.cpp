// vrelo-print: turns a CUPS raster file, or a PNG or JPEG picture, into the
// printer stream through the library, page by page, the way a driver's host
// does; pictures go through the renderer first.
#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "files.hpp"
#include "jpeg_file.hpp"
#include "option_values.hpp"
#include "page_preview.hpp"
#include "page_printer.hpp"
#include "picture_printing.hpp"
#include "program.hpp"
#include "progress.hpp"
#include "raster_printing.hpp"

namespace {

using vrelo_tools::kExitFailure;
using vrelo_tools::kExitSuccess;
using vrelo_tools::kExitUsage;
using vrelo_tools::Program;

const vrelo_tools::ProgramHelp kHelp = {
    "vrelo-print", "[OPTION]... INPUT",
    "Prints INPUT (or - for standard input) into the printer's command stream:\n"
    "a CUPS raster stream, each page at the resolution and depth its header\n"
    "gives, or a PNG or JPEG picture, through the renderer.\n"
    "\n"
    "  -o, --output=FILE       the printer stream (default: standard output)\n"
    "      --carry-over        carry the rows still due at a page end to the next\n"
    "                          page (1440x720)\n"
    "      --model=C           the printer's model-code character\n"
    "      --prologue=FILE     bytes sent before the job\n"
    "      --epilogue=FILE     bytes sent after the job\n"
    "      --quiet             no progress line\n"
    "\n"
    "Pictures:\n"
    "      --resolution=XxY    print resolution: 1440x720 (the default), 720x720,\n"
    "                          360x360 ...\n"
    "      --quality=Q         draft, normal (the default) or high: one dot size\n"
    "                          (draft and normal) or three (high)\n"
    "      --media=M           plain (the default) or photo paper\n"
    "      --profile=FILE.icc  the printer profile (default: the renderer's own)\n"
    "      --dpi=N             the picture's density (default: its own, else 150)\n"
    "      --planes=DIR        also draw the printed planes into DIR (made where\n"
    "                          missing)\n",
    "an input cannot be read or is refused, an output cannot be\n"
    "     written, or the printing fails"};

struct Options {
    vrelo_tools::PrintOptions print;
    vrelo_print::PictureSettings picture;
    std::string prologue, epilogue, output = "-", input, planes;
    bool quiet = false;
};

const option kOptions[] = {{"output", required_argument, nullptr, 'o'},
                           {"resolution", required_argument, nullptr, 'r'},
                           {"quality", required_argument, nullptr, 'Q'},
                           {"model", required_argument, nullptr, 'm'},
                           {"carry-over", no_argument, nullptr, 'c'},
                           {"prologue", required_argument, nullptr, 'P'},
                           {"epilogue", required_argument, nullptr, 'E'},
                           {"quiet", no_argument, nullptr, 'q'},
                           {"media", required_argument, nullptr, 'M'},
                           {"dpi", required_argument, nullptr, 'd'},
                           {"planes", required_argument, nullptr, 'p'},
                           {"profile", required_argument, nullptr, 'I'},
                           {nullptr, 0, nullptr, 0}};

// "--option takes ..., not 'value'": false.
bool refuse(const char* option, const char* takes, const char* value, std::string* error) {
    *error = std::string(option) + " takes " + takes + ", not '" + value + "'";
    return false;
}

// The picture's print resolution and density.
bool take_picture_size(int c, const char* value, Options* o, std::string* error) {
    long a = 0, b = 0;
    if (c == 'r') {
        if (!vrelo_tools::parse_resolution(value, &a, &b, error)) return false;
        o->picture.resX = static_cast<uint32_t>(a);
        o->picture.resY = static_cast<uint32_t>(b);
        return true;
    }
    if (!vrelo_tools::parse_number("--dpi", value, 1, 32767, &a, error)) return false;
    o->picture.imageDpi = static_cast<uint32_t>(a);
    return true;
}

// One option's value onto the options; false with *error.
bool take_option(int c, const char* value, Options* o, std::string* error) {
    switch (c) {
        case 'r':
        case 'd':
            return take_picture_size(c, value, o, error);
        case 'Q':
            return vrelo_tools::parse_quality(value, &o->picture.quality) ||
                   refuse("--quality", "draft, normal or high", value, error);
        case 'M':
            return vrelo_tools::parse_media(value, &o->picture.media) ||
                   refuse("--media", "plain or photo", value, error);
        case 'm':
            if (std::strlen(value) != 1 || value[0] <= ' ')
                return refuse("--model", "one model-code character", value, error);
            o->print.model = static_cast<int32_t>(static_cast<unsigned char>(value[0]));
            return true;
        case 'I':
            o->picture.printerProfile = value;
            return true;
        case 'c':
            o->print.carryOver = true;
            return true;
        case 'P':
            o->prologue = value;
            return true;
        case 'E':
            o->epilogue = value;
            return true;
        case 'p':
            o->planes = value;
            return true;
        case 'q':
            o->quiet = true;
            return true;
        case 'o':
            o->output = value;
            return true;
        default:
            return false;  // getopt_long has said what is wrong
    }
}

// The bytes of a prologue or epilogue file, when one is given.
bool write_file_of(const std::string& path, vrelo_tools::OutputFile& out, std::string* error) {
    std::vector<uint8_t> bytes;
    return path.empty() ||
           (vrelo_tools::read_whole_input(path, &bytes, error) && out.write(bytes, error));
}

int print_raster_input(int fd, const std::vector<uint8_t>& magic, const Program& program,
                       const Options& o, vrelo_tools::OutputFile& out) {
    const std::string input = vrelo_tools::input_name(o.input);
    vrelo_tools::RasterInput raster(fd, magic);
    if (!raster.opened()) return program.fail(raster.not_raster(input));
    vrelo_tools::Progress progress(program.name(), o.quiet);
    vrelo_tools::PrintEvents events;
    events.pageBegins = [&](int page, const vrelo_tools::RasterFormat& f) {
        progress.page(page, f.height);
    };
    events.lineDone = [&](int, uint32_t line) { progress.line(line); };
    events.pageEnded = [&](int, const std::vector<uint8_t>& bytes, std::string* error) {
        return out.write(bytes, error);
    };
    const vrelo_tools::PrintResult result =
        vrelo_tools::print_raster(raster, o.print, events, nullptr);
    progress.done();
    if (result.error.empty()) return kExitSuccess;
    return program.fail(input + ": " + result.error);
}

// The dithered planes as the inspector draws a decoded page.
bool write_planes(const std::string& dir, const std::vector<vrelo_tools::PlaneRows>& lines,
                  int bits, std::string* error) {
    vrelo_inspect::PageRows page;
    for (size_t y = 0; y < lines.size(); ++y)
        for (int c = 0; c < vrelo_tools::kPlanes; ++c) {
            std::vector<uint8_t> row = lines[y][c];
            while (!row.empty() && row.back() == 0) row.pop_back();
            if (!row.empty()) page.rows[c].emplace(static_cast<int64_t>(y), std::move(row));
        }
    vrelo_inspect::PreviewSettings settings;
    settings.bits = bits;
    settings.scale = 1;
    return vrelo_inspect::write_plane_pngs(page, settings, dir, 1, error);
}

int print_picture(const vrelo_tools::RgbImage& image, const Program& program, const Options& o,
                  vrelo_tools::OutputFile& out) {
    vrelo_tools::Progress progress(program.name(), o.quiet);
    const vrelo_print::PrintedPicture printed =
        vrelo_print::print_picture(image, o.picture, o.print, !o.planes.empty(), &progress);
    progress.done();
    if (!printed.error.empty())
        return program.fail(vrelo_tools::input_name(o.input) + ": " + printed.error);
    std::string error;
    if (!out.write(printed.bytes, &error)) return program.fail(error);
    const int bits = o.picture.quality == vrelo_tools::Quality::kHigh ? 2 : 1;
    if (!o.planes.empty() && !write_planes(o.planes, printed.planes, bits, &error))
        return program.fail(error);
    return kExitSuccess;
}

// A PNG or JPEG picture: the rest of the descriptor after its first bytes.
int print_picture_input(int fd, const std::vector<uint8_t>& magic, const Program& program,
                        const Options& o, vrelo_tools::OutputFile& out) {
    const std::string input = vrelo_tools::input_name(o.input);
    std::vector<uint8_t> bytes = magic;
    if (!vrelo_tools::read_rest(fd, &bytes))
        return program.fail(vrelo_tools::file_error("read", input));
    vrelo_tools::RgbImage image;
    std::string error;
    const bool taken = vrelo_tools::is_png(magic) ? vrelo_tools::read_png(bytes, &image, &error)
                                                  : vrelo_tools::read_jpeg(bytes, &image, &error);
    if (!taken) return program.fail(input + ": " + error);
    return print_picture(image, program, o, out);
}

// The input's first four bytes, which tell raster, PNG and JPEG apart, read
// from the descriptor itself, so that nothing more is taken from it. False
// at the end of the input, and with errno set when a read fails.
bool read_magic(int fd, std::vector<uint8_t>* magic) {
    magic->resize(4);
    size_t got = 0;
    errno = 0;
    while (got < magic->size()) {
        const ssize_t n = read(fd, magic->data() + got, magic->size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

// Opens the input and reads its first bytes; false with *error.
bool open_input(const std::string& path, int* fd, std::vector<uint8_t>* magic, std::string* error) {
    const std::string input = vrelo_tools::input_name(path);
    *fd = path == "-" ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (*fd < 0)
        *error = vrelo_tools::file_error("open", input);
    else if (read_magic(*fd, magic))
        return true;
    else if (errno != 0)
        *error = vrelo_tools::file_error("read", input);
    else
        *error = input + " is too short to be a raster or a picture";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Program program(kHelp, argv, "o:", kOptions);
    Options o;
    const auto take = [&o](int c, const char* value, std::string* error) {
        return take_option(c, value, &o, error);
    };
    std::vector<std::string> operands;
    if (!program.parse(argc, argv, take, {"INPUT"}, &operands)) return kExitUsage;
    o.input = operands[0];
    int fd = -1;
    std::vector<uint8_t> magic;
    std::string error;
    vrelo_tools::OutputFile out;
    if (!open_input(o.input, &fd, &magic, &error) || !out.open(o.output, &error) ||
        !write_file_of(o.prologue, out, &error))
        return program.fail(error);
    const bool picture = vrelo_tools::is_png(magic) || vrelo_tools::is_jpeg(magic);
    const int status = picture ? print_picture_input(fd, magic, program, o, out)
                               : print_raster_input(fd, magic, program, o, out);
    // The epilogue follows a job that failed too, to leave the printer as
    // it found it; only the first failure is told.
    const bool ended = write_file_of(o.epilogue, out, &error) && out.close(&error);
    return ended || status != kExitSuccess ? status : program.fail(error);
}
