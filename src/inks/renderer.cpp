// The public calls of vrelo417_inks.h: options checked, the separation
// built, and each line taken through separation and halftoning into the
// six rows.
#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "blue_noise.hpp"
#include "colour_profiles.hpp"
#include "error_diffusion.hpp"
#include "ink_recipe.hpp"
#include "line_separation.hpp"
#include "line_worker.hpp"
#include "tone_solver.hpp"
#include "vrelo417_inks.h"

namespace {

using namespace vrelo_inks;

constexpr int32_t kWidestLine = 32767;

std::string format(const char* pattern, ...) {
    char text[VRELO_INKS_MESSAGE_SIZE];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

// Empty when the options can make a renderer; else what is wrong.
std::string check_options(const VreloInksOptions& o) {
    if (o.input != VRELO_INKS_RGB && o.input != VRELO_INKS_GREY && o.input != VRELO_INKS_CMYK)
        return format(
            "input is %d: it must be VRELO_INKS_RGB (1), VRELO_INKS_GREY (2) or "
            "VRELO_INKS_CMYK (3)",
            o.input);
    if (o.sampleBits != 8 && o.sampleBits != 16)
        return format("sampleBits is %d: samples are 8 or 16 bits", o.sampleBits);
    if (o.width < 1 || o.width > kWidestLine)
        return format("width is %d pixels: a line holds 1 to %d, the printer's widest",
                      static_cast<int>(o.width), static_cast<int>(kWidestLine));
    if (o.bits != 1 && o.bits != 2)
        return format(
            "bits is %d: the printer takes 1 bit a pixel (one dot size) or 2 "
            "(three dot sizes)",
            o.bits);
    MediaLimits limits;
    if (!media_limits(o.media, &limits))
        return format("media is %d: it must be VRELO_INKS_PLAIN (1) or VRELO_INKS_PHOTO (2)",
                      o.media);
    if (o.halftone != VRELO_INKS_DIFFUSION && o.halftone != VRELO_INKS_BLUE_NOISE)
        return format(
            "halftone is %d: it must be VRELO_INKS_DIFFUSION (1) or "
            "VRELO_INKS_BLUE_NOISE (2)",
            o.halftone);
    if (o.intent < VRELO_INKS_PERCEPTUAL || o.intent > VRELO_INKS_ABSOLUTE)
        return format("intent is %d: ICC rendering intents run 0 to 3", o.intent);
    if (!(o.inkLimit == 0 || (o.inkLimit >= 1 && o.inkLimit <= VRELO_INKS_MAX_INK_LIMIT)))
        return format("inkLimit is %g: it must be 0 (the media's) or 1 to %g inks' worth",
                      o.inkLimit, VRELO_INKS_MAX_INK_LIMIT);
    if (o.inputProfile == nullptr && o.inputProfileData == nullptr && o.inputProfileSize != 0)
        return "inputProfileSize is set without inputProfileData";
    if (o.inputProfileData != nullptr && o.inputProfileSize == 0)
        return "inputProfileData is set with inputProfileSize 0";
    if (o.threads < 0) return format("threads is %d: it must be 0 or more", o.threads);
    return "";
}

// The colour-space word of a kind of input, for messages.
const char* input_space(int input) {
    return input == VRELO_INKS_GREY ? "grey" : input == VRELO_INKS_CMYK ? "CMYK" : "RGB";
}

int input_channels(int input) {
    return input == VRELO_INKS_GREY ? 1 : input == VRELO_INKS_CMYK ? 4 : 3;
}

}  // namespace

struct VreloInks {
    VreloInksOptions options{};
    std::string message;
    std::unique_ptr<LineSeparation> separation;
    // The amounts of a line for the halftoners, a record a pixel.
    std::vector<PixelAmounts> amounts;
    std::array<std::vector<uint8_t>, kInks> rows;
    std::unique_ptr<ErrorDiffusion> diffusion;
    std::unique_ptr<BlueNoise> blueNoise;
    int32_t line = 0;
    bool started = false;
    // With two threads: the second one separates each line in parts, in
    // the order the scan takes them, and says how many are done and
    // whether the line has ink; this one scans each part once it is there.
    std::unique_ptr<LineWorker> worker;
    Progress separated;
    const void* samples = nullptr;
    int32_t scanned = 0;  // the line in the scan
    bool inked = false;
    LineRows out{};  // the rows, by hue

    int fail(int result, const std::string& text) {
        message = text;
        return result;
    }
};

namespace {

bool open_profiles(const VreloInksOptions& o, Profile* input, Profile* printer, bool* hasInput,
                   std::string* error) {
    *hasInput = o.inputProfile != nullptr || o.inputProfileData != nullptr;
    if (o.inputProfile != nullptr && !input->open_file(o.inputProfile, "the input profile", error))
        return false;
    if (o.inputProfile == nullptr && o.inputProfileData != nullptr &&
        !input->open_memory(o.inputProfileData, o.inputProfileSize, "the embedded input profile",
                            error))
        return false;
    if (*hasInput && input->channels() != input_channels(o.input)) {
        *error = format("%s has %d colour channels: the input is %s, %d", input->name().c_str(),
                        input->channels(), input_space(o.input), input_channels(o.input));
        return false;
    }
    if (o.printerProfile == nullptr) return true;
    if (!printer->open_file(o.printerProfile, "the printer profile", error)) return false;
    if (!printer->is_output()) {
        *error = printer->name() + " is not an output (printer) profile";
        return false;
    }
    if (printer->channels() != 6 && printer->channels() != 4) {
        *error = format(
            "%s has %d colour channels: a printer profile has six (K Y M C m c) "
            "or four (CMYK)",
            printer->name().c_str(), printer->channels());
        return false;
    }
    return true;
}

// Pixels of a line the second thread separates at a time: the scan
// starts once the first part is there.
constexpr int32_t kPart = 1024;

int32_t parts_of(int32_t width) {
    return (width + kPart - 1) / kPart;
}

// The pixels from..to-1 of a line's part, which takes it from the start
// of the scan (the left on even lines, the right on odd ones).
void part_pixels(int32_t width, int32_t y, int32_t part, int32_t* from, int32_t* to) {
    const int32_t first = part * kPart, end = std::min(width, first + kPart);
    const bool backwards = (y & 1) != 0;
    *from = backwards ? width - end : first;
    *to = backwards ? width - first : end;
}

// The second thread's part of a line: its separation, part by part, from
// the second part on; says how far it has come by the parts done.
void second_part(VreloInks* r) {
    const int32_t width = r->options.width, parts = parts_of(width);
    PixelAmounts* amounts = r->amounts.data();
    bool inked = false;
    for (int32_t part = 1; part < parts; ++part) {
        int32_t from, to;
        part_pixels(width, r->scanned, part, &from, &to);
        inked = r->separation->separate(r->samples, amounts, from, to) || inked;
        if (part + 1 == parts) r->inked = inked;
        r->separated.publish(part + 1);
    }
}

// A line on two threads: this one separates the first part while the
// other wakes up, then scans each part once it is separated, the other
// separating the rest ahead of it. The same dots as on one thread.
unsigned render_in_two(VreloInks* r, const void* samples, int32_t y) {
    const int32_t width = r->options.width, parts = parts_of(width);
    r->separation->prepare(samples);
    r->samples = samples;
    r->scanned = y;
    r->inked = false;
    r->separated.reset();
    r->separated.publish(1);
    if (parts > 1) r->worker->start();
    int32_t from, to;
    part_pixels(width, y, 0, &from, &to);
    const bool firstInked = r->separation->separate(samples, r->amounts.data(), from, to);
    ErrorDiffusion& diffusion = *r->diffusion;
    bool scan = true;
    // A line that takes no error is scanned only if it has ink.
    if (!diffusion.carries_error()) {
        r->separated.wait_for(parts);
        scan = firstInked || r->inked;
    }
    if (scan) {
        diffusion.begin(y, r->amounts.data());
        for (int32_t part = 0; part < parts; ++part) {
            r->separated.wait_for(part + 1);
            diffusion.scan(std::min(width, (part + 1) * kPart));
        }
    }
    if (parts > 1) r->worker->wait();
    return scan ? diffusion.finish(r->out) : 0;
}

}  // namespace

extern "C" {

void vrelo_inks_default_options(VreloInksOptions* o, int32_t width) {
    if (o == nullptr) return;
    std::memset(o, 0, sizeof *o);
    o->input = VRELO_INKS_RGB;
    o->sampleBits = 8;
    o->width = width;
    o->bits = 1;
    o->media = VRELO_INKS_PLAIN;
    o->halftone = VRELO_INKS_DIFFUSION;
    o->intent = VRELO_INKS_RELATIVE;
}

int vrelo_inks_new(VreloInks** renderer, const VreloInksOptions* options, char* message,
                   size_t messageSize) {
    std::string error;
    int result = VRELO_INKS_OK;
    VreloInks* r = nullptr;
    if (renderer == nullptr || options == nullptr) {
        error = "vrelo_inks_new needs a renderer pointer and options";
        result = VRELO_INKS_BAD_CALL;
    } else {
        *renderer = nullptr;
        error = check_options(*options);
        if (!error.empty()) result = VRELO_INKS_BAD_OPTION;
    }
    if (result == VRELO_INKS_OK) {
        try {
            Profile input, printer;
            bool hasInput = false;
            if (!open_profiles(*options, &input, &printer, &hasInput, &error)) {
                result = VRELO_INKS_BAD_PROFILE;
            } else {
                auto made = std::make_unique<VreloInks>();
                made->options = *options;
                made->options.inputProfile = nullptr;
                made->options.inputProfileData = nullptr;
                made->options.printerProfile = nullptr;
                // The renderer's own profile for the media stands for its
                // own separation, which is made for the dot sizes printed
                // (the profile holds one dot size's).
                const bool ownPrinter =
                    options->printerProfile != nullptr &&
                    printer.description() == own_profile_description(options->media);
                made->separation = LineSeparation::make(
                    *options, hasInput ? &input : nullptr,
                    options->printerProfile != nullptr && !ownPrinter ? &printer : nullptr, &error);
                if (!made->separation) {
                    result = VRELO_INKS_BAD_PROFILE;
                } else {
                    const size_t width = static_cast<size_t>(options->width);
                    const size_t rowBytes = (width * static_cast<size_t>(options->bits) + 7) / 8;
                    made->amounts.assign(width, PixelAmounts{});
                    for (auto& row : made->rows) row.assign(rowBytes, 0);
                    const auto row = [&](int ink) {
                        return made->rows[static_cast<size_t>(ink)].data();
                    };
                    made->out = {{row(kBlack), row(kMagenta), row(kCyan), row(kYellow)},
                                 {nullptr, row(kLightMagenta), row(kLightCyan), nullptr}};
                    if (options->halftone == VRELO_INKS_DIFFUSION)
                        made->diffusion =
                            std::make_unique<ErrorDiffusion>(options->width, options->bits);
                    else
                        made->blueNoise = std::make_unique<BlueNoise>(options->bits);
                    if (made->diffusion && options->threads >= 2) {
                        VreloInks* self = made.get();
                        // A thread the system will not give: the calling
                        // thread renders alone, the same dots.
                        try {
                            made->worker =
                                std::make_unique<LineWorker>([self] { second_part(self); });
                        } catch (const std::system_error&) {
                        }
                    }
                    r = made.release();
                }
            }
        } catch (const std::bad_alloc&) {
            error = "out of memory making the renderer";
            result = VRELO_INKS_NO_MEMORY;
        }
    }
    if (result != VRELO_INKS_OK && message != nullptr && messageSize > 0)
        std::snprintf(message, messageSize, "%s", error.c_str());
    if (result == VRELO_INKS_OK) {
        *renderer = r;
        if (message != nullptr && messageSize > 0) message[0] = '\0';
    }
    return result;
}

int vrelo_inks_start_page(VreloInks* r) {
    if (r == nullptr) return VRELO_INKS_BAD_CALL;
    if (r->diffusion) r->diffusion->start_page();
    r->line = 0;
    r->started = true;
    r->message.clear();
    return VRELO_INKS_OK;
}

int vrelo_inks_render_line(VreloInks* r, const void* samples, RasterLine* line) {
    if (r == nullptr) return VRELO_INKS_BAD_CALL;
    if (samples == nullptr || line == nullptr)
        return r->fail(VRELO_INKS_BAD_CALL, "vrelo_inks_render_line needs samples and a line");
    if (!r->started)
        return r->fail(VRELO_INKS_BAD_CALL,
                       "a line was rendered before vrelo_inks_start_page began a page");
    const int32_t width = r->options.width;
    std::memset(line, 0, sizeof *line);
    line->lineNumber = r->line;
    const int32_t y = r->line++;
    PixelAmounts* amounts = r->amounts.data();
    unsigned placed;
    if (r->worker) {
        placed = render_in_two(r, samples, y);
    } else {
        const bool inked = r->separation->separate(samples, amounts);
        if (r->diffusion) {
            // A line that takes no error is diffused only if it has ink.
            if (!inked && !r->diffusion->carries_error()) return 0;
            placed = r->diffusion->line(y, amounts, r->out);
        } else {
            if (!inked) return 0;
            // The mask only sets the bits of its dots.
            for (auto& row : r->rows) std::fill(row.begin(), row.end(), 0);
            placed = r->blueNoise->line(y, width, amounts, r->out);
        }
    }
    if (placed == 0) return 0;
    bool any = false;
    for (int plane = 0; plane < kInks; ++plane) {
        const std::vector<uint8_t>& row = r->rows[static_cast<size_t>(plane)];
        if (std::all_of(row.begin(), row.end(), [](uint8_t b) { return b == 0; })) continue;
        line->planes[plane].data = row.data();
        line->planes[plane].width = static_cast<int16_t>(width);
        any = true;
    }
    return any ? 1 : 0;
}

const char* vrelo_inks_message(const VreloInks* r) {
    return r == nullptr ? "no renderer" : r->message.c_str();
}

void vrelo_inks_free(VreloInks* r) {
    std::unique_ptr<VreloInks> owned(r);
}

int vrelo_inks_write_profile(int media, const char* path, char* message, size_t messageSize) {
    std::string error;
    int result = VRELO_INKS_OK;
    MediaLimits limits;
    if (path == nullptr) {
        error = "vrelo_inks_write_profile needs a file name";
        result = VRELO_INKS_BAD_CALL;
    } else if (!media_limits(media, &limits)) {
        error =
            format("media is %d: it must be VRELO_INKS_PLAIN (1) or VRELO_INKS_PHOTO (2)", media);
        result = VRELO_INKS_BAD_OPTION;
    } else {
        const InkRecipe recipe(limits, 1);
        const ToneSolver solver(recipe);
        if (!write_own_profile(media, recipe, solver, path, &error))
            result = VRELO_INKS_CANNOT_WRITE;
    }
    if (message != nullptr && messageSize > 0)
        std::snprintf(message, messageSize, "%s", result == VRELO_INKS_OK ? "" : error.c_str());
    return result;
}

}  // extern "C"
