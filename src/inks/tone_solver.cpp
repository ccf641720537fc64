// Colour to tones by Newton steps on the inks' densities, and the gamut
// mapping in front of it (see tone_solver.hpp).
#include "tone_solver.hpp"

#include <algorithm>
#include <cmath>

namespace vrelo_inks {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Points along each edge of the gamut's hexagon of primaries and
// secondaries, for the cusps.
constexpr int kEdgeSteps = 48;
// Shadows: below kShadowKnee L* above the darkest ink, lightness is
// compressed linearly onto what the inks reach.
constexpr double kShadowKnee = 14;
// A colour counts as reached within this ΔE.
constexpr double kReached = 0.25;
constexpr int kSteps = 40;
// Past this weighted error from the hint, other starting points are tried.
constexpr double kRestart = 1.5;
constexpr double kProgress = 1e-3;
constexpr double kHueWeight = 3;
constexpr double kLightnessWeight = 6;

// Solves m x = b; false when m is singular.
bool solve3(const double m[3][3], const double b[3], double x[3]) {
    const auto det = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double whole = det(m);
    if (std::fabs(whole) < 1e-18) return false;
    for (int j = 0; j < 3; ++j) {
        double c[3][3];
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k) c[i][k] = k == j ? b[i] : m[i][k];
        x[j] = det(c) / whole;
    }
    return true;
}

Lab from_lch(double l, double c, double h) {
    return {l, c * std::cos(h), c * std::sin(h)};
}

double wrap(double angle) {
    while (angle > kPi) angle -= 2 * kPi;
    while (angle <= -kPi) angle += 2 * kPi;
    return angle;
}

// The six edges of a cube's hexagon of primaries and secondaries, each
// point given to visit(a, b, c) as the cube's coordinates.
template <typename Visit>
void hexagon(Visit visit) {
    for (int edge = 0; edge < 6; ++edge)
        for (int s = 0; s < kEdgeSteps; ++s) {
            const double t = static_cast<double>(s) / kEdgeSteps;
            // Around the ring: one coordinate full, one rising or falling.
            double p[3];
            const int full = edge / 2, other = (full + 1 + edge % 2) % 3;
            p[full] = 1;
            p[other] = edge % 2 == 0 ? t : 1 - t;
            p[3 - full - other] = 0;
            visit(p[0], p[1], p[2]);
        }
}

}  // namespace

ToneSolver::ToneSolver(const InkRecipe& recipe) : recipe_(recipe) {
    hexagon([&](double c, double m, double y) {
        const Lab lab = look({c, m, y});
        printerRing_.push_back({hue_angle(lab), lab[0], chroma(lab)});
    });
    hexagon([&](double r, double g, double b) {
        const Lab lab = linear_to_lab(srgb_to_linear(r), srgb_to_linear(g), srgb_to_linear(b));
        srgbRing_.push_back({hue_angle(lab), lab[0], chroma(lab)});
    });
    for (auto* ring : {&printerRing_, &srgbRing_})
        std::sort(ring->begin(), ring->end(),
                  [](const Cusp& a, const Cusp& b) { return a.hue < b.hue; });
    darkest_ = 100;
    for (double g = 0.6; g <= 1.0001; g += 0.01) darkest_ = std::min(darkest_, look({g, g, g})[0]);
}

Lab ToneSolver::look(const Tones& tones) const {
    const Rgb r = recipe_.look(recipe_.inks(tones));
    return linear_to_lab(r[0], r[1], r[2]);
}

ToneSolver::Cusp ToneSolver::cusp_at(const std::vector<Cusp>& ring, double hue) {
    // The neighbours by hue, the ring closed across -pi..pi.
    size_t after = 0;
    while (after < ring.size() && ring[after].hue < hue) ++after;
    const Cusp& a = ring[(after + ring.size() - 1) % ring.size()];
    const Cusp& b = ring[after % ring.size()];
    const double span = wrap(b.hue - a.hue);
    const double t = span > 1e-9 ? std::clamp(wrap(hue - a.hue) / span, 0.0, 1.0) : 0;
    return {hue, a.lightness + t * (b.lightness - a.lightness),
            a.chroma + t * (b.chroma - a.chroma)};
}

Lab ToneSolver::mapped(const Lab& target) const {
    double l = target[0];
    const double c = chroma(target), h = hue_angle(target);
    // Lightness moves with chroma from the sRGB cusp towards the printer's.
    if (c > 1e-6) {
        const Cusp s = cusp_at(srgbRing_, h), p = cusp_at(printerRing_, h);
        l += (p.lightness - s.lightness) * std::min(1.0, c / s.chroma);
    }
    const double knee = darkest_ + kShadowKnee;
    if (l < knee) l = darkest_ + kShadowKnee * std::max(0.0, l) / knee;
    return from_lch(std::min(l, 100.0), c, h);
}

// The weighted error of a printed colour against the aim: chroma as it
// is, hue three times over and lightness six, so that a colour beyond the
// gamut gives up chroma before hue or lightness. A ramp from a full
// primary to black then darkens as evenly as its colours do, where
// holding chroma would keep it at the gamut's edge for some steps and
// then drop it steeply.
void ToneSolver::error(const Tones& tones, const Lab& aim, double out[3]) const {
    const Lab got = look(tones);
    const double h = hue_angle(aim);
    const double da = got[1] - aim[1], db = got[2] - aim[2];
    const double radial = da * std::cos(h) + db * std::sin(h);
    const double across = -da * std::sin(h) + db * std::cos(h);
    out[0] = kLightnessWeight * (got[0] - aim[0]);
    out[1] = radial;
    out[2] = kHueWeight * across;
}

double ToneSolver::descend(const Lab& aim, Tones* tones) const {
    double x[3] = {tones->cyan, tones->magenta, tones->yellow};
    const auto at = [&](const double* v, double out[3]) { error({v[0], v[1], v[2]}, aim, out); };
    const auto norm = [](const double* r) { return r[0] * r[0] + r[1] * r[1] + r[2] * r[2]; };
    double r[3];
    at(x, r);
    double cost = norm(r), lambda = 1e-3;
    for (int step = 0; step < kSteps && cost > kReached * kReached / 4; ++step) {
        double jacobian[3][3];
        for (int j = 0; j < 3; ++j) {
            double moved[3] = {x[0], x[1], x[2]};
            const double h = moved[j] > 0.5 ? -1e-5 : 1e-5;
            moved[j] += h;
            double rm[3];
            at(moved, rm);
            for (int i = 0; i < 3; ++i) jacobian[i][j] = (rm[i] - r[i]) / h;
        }
        // (JtJ + lambda diag) dx = -Jt r, solved by Cramer's rule.
        double a[3][3], g[3];
        for (int i = 0; i < 3; ++i) {
            g[i] = 0;
            for (int k = 0; k < 3; ++k) g[i] -= jacobian[k][i] * r[k];
            for (int j = 0; j < 3; ++j) {
                a[i][j] = 0;
                for (int k = 0; k < 3; ++k) a[i][j] += jacobian[k][i] * jacobian[k][j];
            }
        }
        bool improved = false;
        for (int tries = 0; tries < 8 && !improved; ++tries) {
            double m[3][3];
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    m[i][j] = a[i][j] + (i == j ? lambda * (a[i][i] + 1e-9) : 0);
            double dx[3];
            if (!solve3(m, g, dx)) {
                lambda *= 10;
                continue;
            }
            double trial[3], rt[3];
            for (int j = 0; j < 3; ++j) trial[j] = std::clamp(x[j] + dx[j], 0.0, 1.0);
            at(trial, rt);
            const double c = norm(rt);
            if (c < cost) {
                for (int j = 0; j < 3; ++j) x[j] = trial[j];
                for (int i = 0; i < 3; ++i) r[i] = rt[i];
                // A step that barely helps ends the search: the colour is
                // as close as the inks come.
                if (cost - c < kProgress * cost) step = kSteps;
                cost = c;
                lambda = std::max(lambda / 4, 1e-7);
                improved = true;
            } else {
                lambda *= 8;
            }
        }
        if (!improved) break;
    }
    *tones = {x[0], x[1], x[2]};
    return std::sqrt(cost);
}

Tones ToneSolver::solve(const Lab& target, const Tones& hint) const {
    const Lab aim = mapped(target);
    // From the hint and from a few fixed points: the best local answer.
    const Tones starts[] = {
        {0.2, 0.2, 0.2}, {0.7, 0.7, 0.7}, {0.8, 0.1, 0.1}, {0.1, 0.8, 0.1}, {0.1, 0.1, 0.8}};
    Tones best = hint;
    double bestError = descend(aim, &best);
    if (bestError < kRestart) return best;
    for (const Tones& start : starts) {
        Tones tones = start;
        const double e = descend(aim, &tones);
        if (e < bestError) {
            bestError = e;
            best = tones;
        }
        if (bestError < kReached) break;
    }
    return best;
}

}  // namespace vrelo_inks
