// The print-quality benchmark: the project's targets (grey and colour
// patches, ramps of every hue and ink, a synthetic photograph) printed
// through the renderer at each quality and, for comparison, through
// Ghostscript's own dots as the PPD asks for them at Draft quality; each
// judged by the look model (look_model.hpp). One table puts every path
// side by side with the goals; then the patches and ramps one by one; and
// with --picture, the picture of the dots magnified in docs/performance.md.
//   quality_bench [--quick] [--ppd FILE] [--picture FILE.png]
// --quick judges the renderer's paths only, without Ghostscript (smoke test).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "dot_pages.hpp"
#include "ghostscript_dots.hpp"
#include "quality_picture.hpp"
#include "temp_files.hpp"

namespace {

using namespace vrelo_bench;

// Printer pixels left out at a patch's edges across (half as many down):
// a neighbour's dots, or Ghostscript's placement, never reach inside.
constexpr int32_t kPatchMargin = 8;
// Patches printed lighter than this L* are highlights.
constexpr double kHighlight = 90;

struct Options {
    bool quick = false;
    std::string ppd, picture;
};

bool parse(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (std::strcmp(argv[i], "--quick") == 0)
            o->quick = true;
        else if (std::strcmp(argv[i], "--ppd") == 0 && valued)
            o->ppd = argv[++i];
        else if (std::strcmp(argv[i], "--picture") == 0 && valued)
            o->picture = argv[++i];
        else
            return false;
    }
    return true;
}

struct RampLook {
    double worstBack = 0;  // the largest step towards white, L*
    double largest = 0;    // the largest step, L*
};

struct Judged {
    std::string name;
    std::vector<AreaLook> patches;
    std::vector<RampLook> ramps;
    double meanGrain = 0, worstGrain = 0, worstDarkShare = 0;
    double worstGreyDeltaE = 0, worstLightDeltaE = 0, meanDeltaE = 0;
    double worstBack = 0, largestStep = 0, primaryCoverage = 1;
};

Lab target_lab(const std::array<uint8_t, 3>& srgb) {
    return vrelo_inks::linear_to_lab(vrelo_inks::srgb_to_linear(srgb[0] / 255.0),
                                     vrelo_inks::srgb_to_linear(srgb[1] / 255.0),
                                     vrelo_inks::srgb_to_linear(srgb[2] / 255.0));
}

Judged judge(const Targets& t, const PrintedPath& path) {
    Judged j;
    j.name = path.name;
    double grain = 0, deltaE = 0;
    for (const Patch& p : t.patches) {
        const AreaLook look = judge_area(path.colour, printer_area(p.place, kPatchMargin));
        j.patches.push_back(look);
        grain += look.graininess;
        j.worstGrain = std::max(j.worstGrain, look.graininess);
        const double e = vrelo_inks::delta_e(look.mean, target_lab(p.srgb));
        deltaE += e;
        if (p.kind == PatchKind::kGrey) j.worstGreyDeltaE = std::max(j.worstGreyDeltaE, e);
        if (p.kind == PatchKind::kLight) j.worstLightDeltaE = std::max(j.worstLightDeltaE, e);
        if (look.mean[0] > kHighlight)
            j.worstDarkShare =
                std::max({j.worstDarkShare, look.darkCyanShare, look.darkMagentaShare});
    }
    j.meanGrain = grain / static_cast<double>(t.patches.size());
    j.meanDeltaE = deltaE / static_cast<double>(t.patches.size());
    for (const Ramp& r : t.ramps) {
        const DotPage& page = r.ink ? path.inks : path.colour;
        RampLook look;
        double previous = 0;
        for (size_t s = 0; s < r.places.size(); ++s) {
            const double l = judge_area(page, printer_area(r.places[s], kPatchMargin)).mean[0];
            if (s > 0) {
                look.worstBack = std::max(look.worstBack, l - previous);  // ramps darken
                look.largest = std::max(look.largest, std::fabs(l - previous));
            }
            previous = l;
        }
        j.ramps.push_back(look);
        j.worstBack = std::max(j.worstBack, look.worstBack);
        j.largestStep = std::max(j.largestStep, look.largest);
        // Full primaries: the last step of the ramps to cyan, magenta and
        // yellow, in their own ink.
        const int ink = r.name == "white-cyan"      ? vrelo_inks::kCyan
                        : r.name == "white-magenta" ? vrelo_inks::kMagenta
                        : r.name == "white-yellow"  ? vrelo_inks::kYellow
                                                    : -1;
        if (ink >= 0)
            j.primaryCoverage = std::min(
                j.primaryCoverage, judge_area(page, printer_area(r.places.back(), kPatchMargin))
                                       .coverage[static_cast<size_t>(ink)]);
    }
    return j;
}

std::string figure(double v, const char* format = "%.2f") {
    char text[32];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

void print_summary(const std::vector<Judged>& all) {
    struct Row {
        const char* measure;
        const char* goal;
        std::function<std::string(const Judged&)> value;
    };
    const std::vector<Row> rows = {
        {"graininess, mean over the patches", "<= 0.30 (1 bit), <= 0.15 (2 bits)",
         [](const Judged& j) { return figure(j.meanGrain, "%.3f"); }},
        {"graininess, worst patch / mean", "<= 2",
         [](const Judged& j) { return figure(j.worstGrain / j.meanGrain); }},
        {"dark cyan or magenta in patches above L* 90, worst share", "<= 10 %",
         [](const Judged& j) { return figure(100 * j.worstDarkShare, "%.1f %%"); }},
        {"ramps: largest step back towards white, L*", "<= 0.3",
         [](const Judged& j) { return figure(j.worstBack); }},
        {"ramps: largest step between 1/64 steps, L*", "<= 2.5",
         [](const Judged& j) { return figure(j.largestStep); }},
        {"full cyan, magenta, yellow: least coverage of their ink", "the limit, 100 %",
         [](const Judged& j) { return figure(100 * j.primaryCoverage, "%.0f %%"); }},
        {"grey patches: worst dE", "<= 3",
         [](const Judged& j) { return figure(j.worstGreyDeltaE, "%.1f"); }},
        {"light patches: worst dE", "<= 4",
         [](const Judged& j) { return figure(j.worstLightDeltaE, "%.1f"); }},
        {"all patches: mean dE", "<= 8",
         [](const Judged& j) { return figure(j.meanDeltaE, "%.1f"); }},
    };
    std::printf(
        "\nPrint quality under the look model (%zu patches, %zu ramps of 65 steps)\n\n| measure | "
        "goal |",
        all.empty() ? static_cast<size_t>(0) : all[0].patches.size(),
        all.empty() ? static_cast<size_t>(0) : all[0].ramps.size());
    for (const Judged& j : all) std::printf(" %s |", j.name.c_str());
    std::printf("\n|---|---|");
    for (size_t i = 0; i < all.size(); ++i) std::printf("---:|");
    std::printf("\n");
    for (const Row& r : rows) {
        std::printf("| %s | %s |", r.measure, r.goal);
        for (const Judged& j : all) std::printf(" %s |", r.value(j).c_str());
        std::printf("\n");
    }
}

void print_details(const Targets& t, const std::vector<Judged>& all) {
    std::printf(
        "\nPatches: dE from the sRGB colour / graininess / dark share of cyan, magenta dots\n\n"
        "| patch | L* a* b* |");
    for (const Judged& j : all) std::printf(" %s |", j.name.c_str());
    std::printf("\n|---|---|");
    for (size_t i = 0; i < all.size(); ++i) std::printf("---|");
    std::printf("\n");
    for (size_t p = 0; p < t.patches.size(); ++p) {
        const Lab want = target_lab(t.patches[p].srgb);
        std::printf("| %s | %.0f %.0f %.0f |", t.patches[p].name.c_str(), want[0], want[1],
                    want[2]);
        for (const Judged& j : all) {
            const AreaLook& l = j.patches[p];
            std::printf(" %.1f / %.2f / %.0f %.0f |", vrelo_inks::delta_e(l.mean, want),
                        l.graininess, 100 * l.darkCyanShare, 100 * l.darkMagentaShare);
        }
        std::printf("\n");
    }
    std::printf("\nRamps: largest step back / largest step, L*\n\n| ramp |");
    for (const Judged& j : all) std::printf(" %s |", j.name.c_str());
    std::printf("\n|---|");
    for (size_t i = 0; i < all.size(); ++i) std::printf("---|");
    std::printf("\n");
    for (size_t r = 0; r < t.ramps.size(); ++r) {
        std::printf("| %s |", t.ramps[r].name.c_str());
        for (const Judged& j : all)
            std::printf(" %.2f / %.2f |", j.ramps[r].worstBack, j.ramps[r].largest);
        std::printf("\n");
    }
}

bool render_ours(const Targets& t, const char* name, int bits, int halftone, PrintedPath* path) {
    VreloInksOptions o;
    vrelo_inks_default_options(&o, 1);
    o.bits = bits;
    o.halftone = halftone;
    path->name = name;
    std::string error;
    if (render_picture(t.colour, o, &path->colour, &error) &&
        render_picture(t.inks, o, &path->inks, &error))
        return true;
    std::fprintf(stderr, "quality_bench: %s: %s\n", name, error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, &o)) {
        std::fputs("usage: quality_bench [--quick] [--ppd FILE] [--picture FILE.png]\n", stderr);
        return 2;
    }
    const Targets t = make_targets();
    std::vector<PrintedPath> paths;
    if (!o.ppd.empty() && !o.quick) {
        const vrelo_test::TempDir dir;
        const std::string page = dir.file("targets.ps");
        std::string error;
        if (!write_target_page(t, page, &error)) {
            std::fprintf(stderr, "quality_bench: %s\n", error.c_str());
            return 1;
        }
        for (const int bits : {1, 2}) {
            PrintedPath p;
            p.name = bits == 1 ? "Ghostscript, 1 bit" : "Ghostscript, 2 bits";
            if (!ghostscript_dots(page, o.ppd, bits, t, &p.colour, &p.inks, &error)) {
                std::fprintf(stderr, "quality_bench: %s\n", error.c_str());
                return 1;
            }
            paths.push_back(std::move(p));
        }
    }
    for (const auto& ours :
         {std::make_tuple("ours, blue noise, 1 bit", 1, static_cast<int>(VRELO_INKS_BLUE_NOISE)),
          std::make_tuple("ours, Normal, 1 bit", 1, static_cast<int>(VRELO_INKS_DIFFUSION)),
          std::make_tuple("ours, High, 2 bits", 2, static_cast<int>(VRELO_INKS_DIFFUSION))}) {
        PrintedPath p;
        if (!render_ours(t, std::get<0>(ours), std::get<1>(ours), std::get<2>(ours), &p)) return 1;
        paths.push_back(std::move(p));
    }
    std::vector<Judged> all;
    for (const PrintedPath& p : paths) all.push_back(judge(t, p));
    print_summary(all);
    print_details(t, all);
    if (!o.picture.empty()) {
        std::string error;
        if (!write_quality_picture(t, paths, o.picture, &error)) {
            std::fprintf(stderr, "quality_bench: %s\n", error.c_str());
            return 1;
        }
        std::printf("\nThe dots magnified: %s\n", o.picture.c_str());
    }
    return 0;
}
