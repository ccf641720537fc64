// The quality targets (see quality_targets.hpp).
#include "quality_targets.hpp"

#include <algorithm>
#include <cmath>

namespace vrelo_bench {
namespace {

constexpr int32_t kPatchSize = 32;  // target pixels, square
constexpr int32_t kPatchesARow = 10;
constexpr int32_t kRampSteps = 65;  // 0/64 .. 64/64
constexpr int32_t kStepWidth = 6, kRampHeight = 12;
constexpr int32_t kPhotoWidth = 400, kPhotoHeight = 300;
constexpr double kPi = 3.14159265358979323846;

std::array<uint8_t, 3> srgb_of(const Lab& lab) {
    double rgb[3];
    vrelo_inks::lab_to_linear(lab, rgb);
    std::array<uint8_t, 3> out;
    for (int c = 0; c < 3; ++c)
        out[static_cast<size_t>(c)] = static_cast<uint8_t>(
            std::lround(255 * vrelo_inks::linear_to_srgb(std::clamp(rgb[c], 0.0, 1.0))));
    return out;
}

Lab lch(double l, double c, double hueDegrees) {
    const double h = hueDegrees * kPi / 180;
    return {l, c * std::cos(h), c * std::sin(h)};
}

std::string number(double v) {
    return std::to_string(static_cast<int>(std::lround(v)));
}

void add_patches(Targets* t) {
    for (const double l : {97.0, 93.0, 88.0, 82.0, 75.0, 67.0, 58.0, 50.0, 42.0, 36.0})
        t->patches.push_back({"grey L" + number(l), PatchKind::kGrey, srgb_of({l, 0, 0}), {}});
    for (int h = 0; h < 360; h += 60)
        t->patches.push_back(
            {"light h" + number(h), PatchKind::kLight, srgb_of(lch(93, 8, h)), {}});
    for (int h = 30; h < 360; h += 60)
        t->patches.push_back(
            {"light h" + number(h), PatchKind::kLight, srgb_of(lch(88, 12, h)), {}});
    for (int h = 0; h < 360; h += 45)
        t->patches.push_back(
            {"L70 h" + number(h), PatchKind::kColour, srgb_of(lch(70, 25, h)), {}});
    for (int h = 20; h < 360; h += 45)
        t->patches.push_back(
            {"L55 h" + number(h), PatchKind::kColour, srgb_of(lch(55, 30, h)), {}});
    for (int h = 60; h < 360; h += 90)
        t->patches.push_back(
            {"L42 h" + number(h), PatchKind::kColour, srgb_of(lch(42, 20, h)), {}});
    t->patches.push_back({"skin light", PatchKind::kColour, srgb_of({75, 12, 17}), {}});
    t->patches.push_back({"skin dark", PatchKind::kColour, srgb_of({52, 16, 24}), {}});
    t->patches.push_back({"sky", PatchKind::kColour, srgb_of({72, -5, -25}), {}});
    t->patches.push_back({"foliage", PatchKind::kColour, srgb_of({48, -22, 28}), {}});
    for (size_t i = 0; i < t->patches.size(); ++i)
        t->patches[i].place = {static_cast<int32_t>(i % kPatchesARow) * kPatchSize,
                               static_cast<int32_t>(i / kPatchesARow) * kPatchSize, kPatchSize,
                               kPatchSize};
}

// A ramp from one colour to another in 64 equal steps of the sRGB values.
Ramp colour_ramp(const std::string& name, std::array<int, 3> from, std::array<int, 3> to) {
    Ramp r{name, false, 0, {}, {}};
    for (int s = 0; s < kRampSteps; ++s) {
        std::array<uint8_t, 4> v{0, 0, 0, 0};
        for (int c = 0; c < 3; ++c)
            v[static_cast<size_t>(c)] = static_cast<uint8_t>(
                from[static_cast<size_t>(c)] +
                (to[static_cast<size_t>(c)] - from[static_cast<size_t>(c)]) * s / (kRampSteps - 1));
        r.steps.push_back(v);
    }
    return r;
}

void add_ramps(Targets* t) {
    const std::array<int, 3> white{255, 255, 255}, black{0, 0, 0};
    t->ramps.push_back(colour_ramp("grey", white, black));
    const struct {
        const char* name;
        std::array<int, 3> full;
    } hues[] = {{"cyan", {0, 255, 255}}, {"magenta", {255, 0, 255}}, {"yellow", {255, 255, 0}},
                {"red", {255, 0, 0}},    {"green", {0, 255, 0}},     {"blue", {0, 0, 255}}};
    for (const auto& h : hues)
        t->ramps.push_back(colour_ramp(std::string("white-") + h.name, white, h.full));
    for (const auto& h : hues)
        t->ramps.push_back(colour_ramp(std::string(h.name) + "-black", h.full, black));
    const char* inkNames[] = {"ink C", "ink M", "ink Y", "ink K"};
    for (int ch = 0; ch < 4; ++ch) {
        Ramp r{inkNames[ch], true, ch, {}, {}};
        for (int s = 0; s < kRampSteps; ++s) {
            std::array<uint8_t, 4> v{0, 0, 0, 0};
            v[static_cast<size_t>(ch)] = static_cast<uint8_t>(255 * s / (kRampSteps - 1));
            r.steps.push_back(v);
        }
        t->ramps.push_back(r);
    }
}

double smooth(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Fixed, position-only texture: no generator state.
double texture(int32_t x, int32_t y) {
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return (h & 0xFFFF) / 65535.0;
}

}  // namespace

Picture make_photograph(int32_t width, int32_t height) {
    Picture p{width, height, 3,
              std::vector<uint8_t>(static_cast<size_t>(width) * static_cast<size_t>(height) * 3)};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            // Sky above a horizon at 55 %, grass below with a little texture,
            // a face-like ellipse with soft shading, a red ball, a grey shadow.
            double r, g, b;
            if (v < 0.55) {
                r = 0.45 + 0.45 * v;
                g = 0.62 + 0.3 * v;
                b = 0.92 - 0.05 * v;
            } else {
                const double t = 0.06 * (texture(x / 3, y / 2) - 0.5);
                r = 0.25 + 0.2 * (v - 0.55) + t;
                g = 0.45 + 0.15 * (1 - v) + t;
                b = 0.15 + t / 2;
            }
            const double fx = (u - 0.32) / 0.13, fy = (v - 0.45) / 0.25;
            const double face = 1 - smooth(0.9, 1.0, std::sqrt(fx * fx + fy * fy));
            const double shade =
                0.75 +
                0.25 * std::clamp(1 - 0.6 * (fx + 0.4) * (fx + 0.4) - 0.3 * fy * fy, 0.0, 1.0);
            r = r * (1 - face) + face * 0.93 * shade;
            g = g * (1 - face) + face * 0.72 * shade;
            b = b * (1 - face) + face * 0.60 * shade;
            const double bx = (u - 0.72) / 0.09, by = (v - 0.68) / 0.12;
            const double bd = std::sqrt(bx * bx + by * by);
            const double ball = 1 - smooth(0.92, 1.0, bd);
            const double light =
                0.35 + 0.65 * std::clamp(1 - 0.7 * std::hypot(bx + 0.35, by + 0.35), 0.0, 1.0);
            r = r * (1 - ball) + ball * 0.85 * light;
            g = g * (1 - ball) + ball * 0.12 * light;
            b = b * (1 - ball) + ball * 0.10 * light;
            const double sx = (u - 0.76) / 0.12, sy = (v - 0.82) / 0.03;
            const double shadow =
                0.5 * (1 - smooth(0.5, 1.0, std::sqrt(sx * sx + sy * sy))) * (1 - ball);
            r *= 1 - shadow;
            g *= 1 - shadow;
            b *= 1 - shadow;
            uint8_t* px = p.at(x, y);
            px[0] = static_cast<uint8_t>(std::lround(255 * std::clamp(r, 0.0, 1.0)));
            px[1] = static_cast<uint8_t>(std::lround(255 * std::clamp(g, 0.0, 1.0)));
            px[2] = static_cast<uint8_t>(std::lround(255 * std::clamp(b, 0.0, 1.0)));
        }
    return p;
}

Targets make_targets() {
    Targets t;
    add_patches(&t);
    add_ramps(&t);
    const int32_t patchRows =
        static_cast<int32_t>((t.patches.size() + kPatchesARow - 1) / kPatchesARow);
    const int32_t width =
        std::max(kPatchesARow * kPatchSize, std::max(kRampSteps * kStepWidth, kPhotoWidth));
    int32_t y = patchRows * kPatchSize, inkY = 0;
    for (Ramp& r : t.ramps) {
        int32_t& top = r.ink ? inkY : y;
        for (int s = 0; s < kRampSteps; ++s)
            r.places.push_back({s * kStepWidth, top, kStepWidth, kRampHeight});
        top += kRampHeight;
    }
    t.photo = {0, y, kPhotoWidth, kPhotoHeight};
    t.colour = {width, y + kPhotoHeight, 3,
                std::vector<uint8_t>(
                    static_cast<size_t>(width) * static_cast<size_t>(y + kPhotoHeight) * 3, 255)};
    t.inks = {width, inkY, 4,
              std::vector<uint8_t>(static_cast<size_t>(width) * static_cast<size_t>(inkY) * 4, 0)};
    for (const Patch& p : t.patches)
        for (int32_t py = 0; py < p.place.height; ++py)
            for (int32_t px = 0; px < p.place.width; ++px)
                std::copy(p.srgb.begin(), p.srgb.end(),
                          t.colour.at(p.place.x + px, p.place.y + py));
    for (const Ramp& r : t.ramps) {
        Picture& pic = r.ink ? t.inks : t.colour;
        for (size_t s = 0; s < r.steps.size(); ++s)
            for (int32_t py = 0; py < r.places[s].height; ++py)
                for (int32_t px = 0; px < r.places[s].width; ++px)
                    std::copy(r.steps[s].begin(), r.steps[s].begin() + pic.channels,
                              pic.at(r.places[s].x + px, r.places[s].y + py));
    }
    const Picture photo = make_photograph(kPhotoWidth, kPhotoHeight);
    for (int32_t py = 0; py < kPhotoHeight; ++py)
        std::copy(photo.at(0, py), photo.at(0, py) + kPhotoWidth * 3,
                  t.colour.at(t.photo.x, t.photo.y + py));
    return t;
}

Rect printer_area(const Rect& target, int32_t margin) {
    const int32_t down = margin / 2;
    return {target.x * kScaleX + margin, target.y * kScaleY + down,
            target.width * kScaleX - 2 * margin, target.height * kScaleY - 2 * down};
}

}  // namespace vrelo_bench
