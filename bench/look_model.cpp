// The look model's judgement of printed areas (see look_model.hpp).
#include "look_model.hpp"

#include <algorithm>
#include <cmath>

namespace vrelo_bench {
namespace {

// 0.1 mm in pixels at 1440 x 720 dpi.
constexpr double kSigmaX = 0.1 / 25.4 * 1440, kSigmaY = 0.1 / 25.4 * 720;

std::vector<double> gaussian(double sigma, int* reach) {
    *reach = static_cast<int>(std::ceil(3 * sigma));
    std::vector<double> k(static_cast<size_t>(2 * *reach + 1));
    double sum = 0;
    for (int i = -*reach; i <= *reach; ++i)
        sum += k[static_cast<size_t>(i + *reach)] = std::exp(-i * i / (2 * sigma * sigma));
    for (double& v : k) v /= sum;
    return k;
}

// Reflectance of a rectangle (clipped to the page), three planes.
std::array<std::vector<double>, 3> reflectance(const DotPage& page, const Rect& r) {
    std::array<std::vector<double>, 3> out;
    for (auto& o : out) o.assign(static_cast<size_t>(r.width) * static_cast<size_t>(r.height), 1.0);
    for (int32_t y = 0; y < r.height; ++y)
        for (int32_t x = 0; x < r.width; ++x) {
            const vrelo_inks::Rgb v = pixel_reflectance(page, r.x + x, r.y + y);
            for (int c = 0; c < 3; ++c)
                out[static_cast<size_t>(c)][static_cast<size_t>(y) * static_cast<size_t>(r.width) +
                                            static_cast<size_t>(x)] = v[static_cast<size_t>(c)];
        }
    return out;
}

// The blur of a rectangle's reflectance, only where it lies whole inside.
struct Blurred {
    int32_t width, height;  // of the valid part
    std::array<std::vector<double>, 3> rgb;
};
Blurred blur_valid(const std::array<std::vector<double>, 3>& in, int32_t w, int32_t h) {
    int rx, ry;
    const std::vector<double> kx = gaussian(kSigmaX, &rx), ky = gaussian(kSigmaY, &ry);
    Blurred b;
    b.width = std::max(0, w - 2 * rx);
    b.height = std::max(0, h - 2 * ry);
    for (int c = 0; c < 3; ++c) {
        std::vector<double> across(static_cast<size_t>(b.width) * static_cast<size_t>(h));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < b.width; ++x) {
                double s = 0;
                for (int i = 0; i <= 2 * rx; ++i)
                    s +=
                        kx[static_cast<size_t>(i)] *
                        in[static_cast<size_t>(c)][static_cast<size_t>(y) * static_cast<size_t>(w) +
                                                   static_cast<size_t>(x + i)];
                across[static_cast<size_t>(y) * static_cast<size_t>(b.width) +
                       static_cast<size_t>(x)] = s;
            }
        b.rgb[static_cast<size_t>(c)].assign(
            static_cast<size_t>(b.width) * static_cast<size_t>(b.height), 0);
        for (int32_t y = 0; y < b.height; ++y)
            for (int32_t x = 0; x < b.width; ++x) {
                double s = 0;
                for (int i = 0; i <= 2 * ry; ++i)
                    s += ky[static_cast<size_t>(i)] *
                         across[static_cast<size_t>(y + i) * static_cast<size_t>(b.width) +
                                static_cast<size_t>(x)];
                b.rgb[static_cast<size_t>(c)]
                     [static_cast<size_t>(y) * static_cast<size_t>(b.width) +
                      static_cast<size_t>(x)] = s;
            }
    }
    return b;
}

}  // namespace

void DotPage::resize(int32_t w, int32_t h, int levelsOfFullDot) {
    width = w;
    height = h;
    levels = levelsOfFullDot;
    for (auto& p : planes) p.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
}

vrelo_inks::Rgb pixel_reflectance(const DotPage& page, int32_t x, int32_t y) {
    vrelo_inks::Inks cover;
    for (int i = 0; i < kInks; ++i)
        cover[static_cast<size_t>(i)] =
            static_cast<float>(page.at(i, x, y)) / static_cast<float>(page.levels);
    return vrelo_inks::dot_reflectance(cover);
}

AreaLook judge_area(const DotPage& page, const Rect& area) {
    AreaLook look;
    const auto rgb = reflectance(page, area);
    const size_t n = rgb[0].size();
    double mean[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        for (const double v : rgb[static_cast<size_t>(c)]) mean[c] += v;
        mean[c] /= static_cast<double>(n);
    }
    look.mean = vrelo_inks::linear_to_lab(mean[0], mean[1], mean[2]);
    double dots[kInks] = {0, 0, 0, 0, 0, 0}, counted[kInks] = {0, 0, 0, 0, 0, 0};
    for (int32_t y = 0; y < area.height; ++y)
        for (int32_t x = 0; x < area.width; ++x)
            for (int i = 0; i < kInks; ++i) {
                const uint8_t level = page.at(i, area.x + x, area.y + y);
                dots[i] += level;
                counted[i] += level > 0;
            }
    for (int i = 0; i < kInks; ++i)
        look.coverage[static_cast<size_t>(i)] = dots[i] / (static_cast<double>(n) * page.levels);
    const auto share = [](double dark, double light) {
        return dark + light > 0 ? dark / (dark + light) : 0;
    };
    look.darkCyanShare = share(counted[vrelo_inks::kCyan], counted[vrelo_inks::kLightCyan]);
    look.darkMagentaShare =
        share(counted[vrelo_inks::kMagenta], counted[vrelo_inks::kLightMagenta]);
    const Blurred b = blur_valid(rgb, area.width, area.height);
    const size_t m = static_cast<size_t>(b.width) * static_cast<size_t>(b.height);
    if (m < 2) return look;
    double sum[3] = {0, 0, 0}, squares[3] = {0, 0, 0};
    for (size_t i = 0; i < m; ++i) {
        const Lab lab = vrelo_inks::linear_to_lab(b.rgb[0][i], b.rgb[1][i], b.rgb[2][i]);
        for (int c = 0; c < 3; ++c) {
            sum[c] += lab[static_cast<size_t>(c)];
            squares[c] += lab[static_cast<size_t>(c)] * lab[static_cast<size_t>(c)];
        }
    }
    double variance = 0;
    for (int c = 0; c < 3; ++c)
        variance += squares[c] / static_cast<double>(m) -
                    (sum[c] / static_cast<double>(m)) * (sum[c] / static_cast<double>(m));
    look.graininess = std::sqrt(std::max(0.0, variance));
    return look;
}

std::vector<Lab> blurred_lab(const DotPage& page, const Rect& area) {
    int rx, ry;
    gaussian(kSigmaX, &rx);
    gaussian(kSigmaY, &ry);
    Rect wide = {area.x - rx, area.y - ry, area.width + 2 * rx, area.height + 2 * ry};
    // Beyond the page: paper.
    std::array<std::vector<double>, 3> rgb;
    for (auto& o : rgb)
        o.assign(static_cast<size_t>(wide.width) * static_cast<size_t>(wide.height), 1.0);
    for (int32_t y = 0; y < wide.height; ++y)
        for (int32_t x = 0; x < wide.width; ++x) {
            const int32_t px = wide.x + x, py = wide.y + y;
            if (px < 0 || py < 0 || px >= page.width || py >= page.height) continue;
            const vrelo_inks::Rgb v = pixel_reflectance(page, px, py);
            for (int c = 0; c < 3; ++c)
                rgb[static_cast<size_t>(c)]
                   [static_cast<size_t>(y) * static_cast<size_t>(wide.width) +
                    static_cast<size_t>(x)] = v[static_cast<size_t>(c)];
        }
    const Blurred b = blur_valid(rgb, wide.width, wide.height);
    std::vector<Lab> out(static_cast<size_t>(b.width) * static_cast<size_t>(b.height));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = vrelo_inks::linear_to_lab(b.rgb[0][i], b.rgb[1][i], b.rgb[2][i]);
    return out;
}

}  // namespace vrelo_bench
