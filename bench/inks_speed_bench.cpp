// The renderer's speed: a band of an A4 page at 1440 x 720 dpi of the
// synthetic photograph, rendered at one dot size (on one thread and on
// two), at three and by the blue-noise mask, beside the baseline (the same separation, then a plain
// floating-point Floyd-Steinberg diffusion of each of the six planes);
// and, with --ppd and --filter, the whole CUPS chain at Normal quality
// beside the Draft chain (Ghostscript's own dots) for CUPS's test page and
// a photograph page of the project's own.
//   inks_speed_bench [--quick] [--rounds N] [--ppd FILE --filter FILE]

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "error_diffusion.hpp"
#include "goal_table.hpp"
#include "line_separation.hpp"
#include "quality_targets.hpp"
#include "rounds.hpp"
#include "temp_files.hpp"
#include "vrelo417_inks.h"

namespace {

using namespace vrelo_bench;

constexpr int32_t kPageWidth = 11906;  // A4 at 1440 dpi
constexpr int32_t kBandLines = 720;    // an inch of the page
constexpr int32_t kQuickLines = 16;

// The band: the photograph at 180 dpi, each pixel kScaleX x kScaleY.
std::vector<std::vector<uint8_t>> photograph_band(int32_t lines) {
    const Picture photo = make_photograph(kPageWidth / kScaleX + 1, lines / kScaleY + 1);
    std::vector<std::vector<uint8_t>> band(
        static_cast<size_t>(lines), std::vector<uint8_t>(static_cast<size_t>(kPageWidth) * 3));
    for (int32_t y = 0; y < lines; ++y)
        for (int32_t x = 0; x < kPageWidth; ++x)
            std::memcpy(&band[static_cast<size_t>(y)][static_cast<size_t>(x) * 3],
                        photo.at(x / kScaleX, y / kScaleY), 3);
    return band;
}

VreloInksOptions options_for(int bits, int halftone, int threads = 0) {
    VreloInksOptions o;
    vrelo_inks_default_options(&o, kPageWidth);
    o.bits = bits;
    o.halftone = halftone;
    o.threads = threads;
    return o;
}

class Rendering {
  public:
    Rendering(const VreloInksOptions& o, const std::vector<std::vector<uint8_t>>& band)
        : band_(band) {
        char message[VRELO_INKS_MESSAGE_SIZE];
        if (vrelo_inks_new(&r_, &o, message, sizeof message) != VRELO_INKS_OK) {
            std::fprintf(stderr, "inks_speed_bench: %s\n", message);
            std::exit(1);
        }
    }
    ~Rendering() { vrelo_inks_free(r_); }
    void run() {
        vrelo_inks_start_page(r_);
        RasterLine line;
        for (const auto& samples : band_) vrelo_inks_render_line(r_, samples.data(), &line);
    }

  private:
    VreloInks* r_ = nullptr;
    const std::vector<std::vector<uint8_t>>& band_;
};

// The baseline: the renderer's separation, then each plane diffused on its
// own by Floyd and Steinberg's weights in floating point, left to right.
class Baseline {
  public:
    Baseline(const VreloInksOptions& o, const std::vector<std::vector<uint8_t>>& band)
        : band_(band) {
        std::string error;
        separation_ = vrelo_inks::LineSeparation::make(o, nullptr, nullptr, &error);
        amounts_.assign(static_cast<size_t>(kPageWidth), vrelo_inks::PixelAmounts{});
        for (auto& p : cover_) p.assign(static_cast<size_t>(kPageWidth), 0.f);
        for (auto& e : here_) e.assign(static_cast<size_t>(kPageWidth) + 2, 0.f);
        for (auto& e : next_) e.assign(static_cast<size_t>(kPageWidth) + 2, 0.f);
        for (auto& r : rows_) r.assign(static_cast<size_t>(kPageWidth) / 8 + 1, 0);
    }
    void run() {
        for (auto& e : here_) std::fill(e.begin(), e.end(), 0.f);
        for (const auto& samples : band_) line(samples.data());
    }

  private:
    void line(const uint8_t* samples) {
        separation_->separate(samples, amounts_.data());
        // Six planes from the hues' amounts: K, Y, C, c, M, m.
        using vrelo_inks::kHueBlack, vrelo_inks::kHueYellow, vrelo_inks::kHueCyan,
            vrelo_inks::kHueMagenta;
        constexpr float kUnit = 1.f / vrelo_inks::kLevelUnit;
        for (size_t x = 0; x < static_cast<size_t>(kPageWidth); ++x) {
            const vrelo_inks::PixelAmounts& a = amounts_[x];
            cover_[0][x] = a.hue[kHueBlack] * kUnit;
            cover_[1][x] = a.hue[kHueYellow] * kUnit;
            cover_[2][x] = a.dark[kHueCyan] * kUnit;
            cover_[3][x] = (a.hue[kHueCyan] - a.dark[kHueCyan]) * kUnit;
            cover_[4][x] = a.dark[kHueMagenta] * kUnit;
            cover_[5][x] = (a.hue[kHueMagenta] - a.dark[kHueMagenta]) * kUnit;
        }
        for (int p = 0; p < 6; ++p) {
            float* here = here_[static_cast<size_t>(p)].data() + 1;
            float* next = next_[static_cast<size_t>(p)].data() + 1;
            uint8_t* row = rows_[static_cast<size_t>(p)].data();
            std::memset(row, 0, rows_[static_cast<size_t>(p)].size());
            const float* in = cover_[static_cast<size_t>(p)].data();
            for (int32_t x = 0; x < kPageWidth; ++x) {
                const float value = in[x] + here[x];
                const float dot = value >= 0.5f ? 1.f : 0.f;
                if (dot != 0.f) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
                const float error = value - dot;
                here[x + 1] += error * (7.f / 16);
                next[x - 1] += error * (3.f / 16);
                next[x] += error * (5.f / 16);
                next[x + 1] += error * (1.f / 16);
            }
            here_[static_cast<size_t>(p)].swap(next_[static_cast<size_t>(p)]);
            std::fill(next_[static_cast<size_t>(p)].begin(), next_[static_cast<size_t>(p)].end(),
                      0.f);
        }
    }

    const std::vector<std::vector<uint8_t>>& band_;
    std::unique_ptr<vrelo_inks::LineSeparation> separation_;
    std::vector<vrelo_inks::PixelAmounts> amounts_;
    std::array<std::vector<float>, 6> cover_, here_, next_;
    std::array<std::vector<uint8_t>, 6> rows_;
};

// --- the CUPS chain -------------------------------------------------------

struct ChainOptions {
    std::string ppd, filter;
};

// A directory of CUPS's own filters beside rastertovrelo, and the
// configuration pointing cupsfilter at it, in dir.
bool chain_config(const std::string& filter, const std::string& d) {
    const std::string script =
        "mkdir -p " + d +
        "/serverbin/filter && for p in /usr/lib/cups/*; do [ \"$(basename $p)\" = filter ] || "
        "ln -s $p " +
        d + "/serverbin/; done && ln -s /usr/lib/cups/filter/* " + d +
        "/serverbin/filter/ && "
        "ln -sf '" +
        filter + "' " + d +
        "/serverbin/filter/rastertovrelo && printf 'ServerBin %s/serverbin\\n"
        "DataDir /usr/share/cups\\n' " +
        d + " >" + d + "/cups-files.conf";
    return std::system(script.c_str()) == 0;
}

// The filter is linked into a directory of its own: a path from the
// current directory would not hold there.
std::string absolute(const char* path) {
    char* resolved = realpath(path, nullptr);
    const std::string whole = resolved != nullptr ? resolved : path;
    std::free(resolved);
    return whole;
}

// The photograph page: the photograph over the page's printable width.
bool write_photo_page(const std::string& path) {
    const Picture photo = make_photograph(1200, 1600);
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) return false;
    std::fprintf(
        out,
        "%%!PS-Adobe-3.0\n%%%%Pages: 1\n%%%%Page: 1 1\ngsave 36 40 translate 523 697 scale\n"
        "%d %d 8 [%d 0 0 -%d 0 %d] currentfile /ASCIIHexDecode filter false 3 colorimage\n",
        static_cast<int>(photo.width), static_cast<int>(photo.height),
        static_cast<int>(photo.width), static_cast<int>(photo.height),
        static_cast<int>(photo.height));
    for (size_t i = 0; i < photo.pixels.size(); ++i)
        std::fprintf(out, (i + 1) % 40 ? "%02x" : "%02x\n", photo.pixels[i]);
    std::fprintf(out, ">\ngrestore showpage\n%%%%EOF\n");
    return std::fclose(out) == 0;
}

void chain(const std::string& config, const std::string& ppd, const std::string& quality,
           const std::string& doc) {
    const std::string command = "cupsfilter -e -c " + config + "/cups-files.conf -p '" + ppd +
                                "' -o cupsPrintQuality=" + quality + " -m printer/foo '" + doc +
                                "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "inks_speed_bench: the chain failed: %s\n", command.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The chain's own options first; the rest is the rounds harness's.
    ChainOptions chainOptions;
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ppd") == 0 && i + 1 < argc)
            chainOptions.ppd = argv[++i];
        else if (std::strcmp(argv[i], "--filter") == 0 && i + 1 < argc)
            chainOptions.filter = absolute(argv[++i]);
        else
            rest.push_back(argv[i]);
    }
    const RunOptions options = parse_options(static_cast<int>(rest.size()), rest.data());
    const auto band = photograph_band(options.quick ? kQuickLines : kBandLines);
    Rendering normal(options_for(1, VRELO_INKS_DIFFUSION), band),
        normalTwo(options_for(1, VRELO_INKS_DIFFUSION, 2), band),
        high(options_for(2, VRELO_INKS_DIFFUSION), band),
        blue(options_for(1, VRELO_INKS_BLUE_NOISE), band);
    Baseline baseline(options_for(1, VRELO_INKS_DIFFUSION), band);
    Rounds rounds(options);
    rounds.add("normal", [&] { normal.run(); });
    rounds.add("normal, two threads", [&] { normalTwo.run(); });
    rounds.add("high", [&] { high.run(); });
    rounds.add("blue", [&] { blue.run(); });
    rounds.add("baseline", [&] { baseline.run(); });
    rounds.run_all();
    const double pixels = static_cast<double>(kPageWidth) * static_cast<double>(band.size());
    const auto rate = [&](const char* name) { return pixels / rounds.seconds(name) / 1e6; };
    GoalTable table("The renderer on the photograph at 1440 x 720 dpi, Mpixels/s");
    table.add("one dot size, error diffusion", rate("normal"), " Mpx/s", "", no_goal());
    table.add("one dot size, error diffusion, two threads", rate("normal, two threads"), " Mpx/s",
              "", no_goal());
    table.add("three dot sizes, error diffusion", rate("high"), " Mpx/s", "", no_goal());
    table.add("one dot size, blue-noise mask", rate("blue"), " Mpx/s", "", no_goal());
    table.add("baseline: the separation, plain float Floyd-Steinberg per plane", rate("baseline"),
              " Mpx/s", "", no_goal());
    table.add("one dot size against the baseline, one thread", rounds.ratio("baseline", "normal"),
              "x", "pixels per second", at_least(2));
    table.add("one dot size against the baseline, two threads",
              rounds.ratio("baseline", "normal, two threads"), "x", "pixels per second", no_goal());
    table.add("nanoseconds a pixel and ink, one dot size", 1e9 / (rate("normal") * 1e6) / 6, " ns",
              "", no_goal());
    if (!options.quick && !chainOptions.ppd.empty() && !chainOptions.filter.empty()) {
        const vrelo_test::TempDir dir;
        const std::string& config = dir.path();
        const std::string photo = dir.file("photo.ps");
        if (!chain_config(chainOptions.filter, config) || !write_photo_page(photo)) {
            std::fputs("inks_speed_bench: cannot set up the CUPS chain\n", stderr);
            return 1;
        }
        const std::string testPage = "/usr/share/cups/data/testprint";
        RunOptions chainRounds = options;
        chainRounds.rounds = std::min(options.rounds, 3);
        chainRounds.slice = 0;
        Rounds chains(chainRounds);
        for (const char* quality : {"Draft", "Normal"}) {
            chains.add(std::string("test page ") + quality,
                       [&, quality] { chain(config, chainOptions.ppd, quality, testPage); });
            chains.add(std::string("photograph ") + quality,
                       [&, quality] { chain(config, chainOptions.ppd, quality, photo); });
        }
        chains.run_all();
        for (const char* doc : {"test page", "photograph"}) {
            const std::string d = doc;
            table.add("CUPS chain, " + d + ", Draft (Ghostscript's dots)",
                      chains.seconds(d + " Draft"), " s", "", no_goal());
            table.add("CUPS chain, " + d + ", Normal", chains.seconds(d + " Normal"), " s", "",
                      no_goal());
            table.add("CUPS chain, " + d + ", Normal against Draft",
                      chains.ratio(d + " Normal", d + " Draft"), "x", "seconds", at_most(3));
        }
    }
    table.print();
    return 0;
}
