// The rendering step (see line_render.hpp): for now a plain separation
// into K, C, M and Y with full black generation and a 4 x 4 ordered
// pattern, until the six-ink renderer takes its place behind this class.
#include "line_render.hpp"

#include <algorithm>

namespace vrelo_app {
namespace {

enum Plane { K = 0, Y = 1, M = 2, C = 3 };

constexpr uint8_t kPattern[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// An ink amount, 0 to 255, as a dot level 0 to maxLevel at this cell.
int dot_level(int amount, int maxLevel, int threshold) {
    const int scaled = amount * maxLevel;
    const int level = scaled / 255;
    return level + ((scaled % 255) * 16 > (threshold * 2 + 1) * 255 / 2 ? 1 : 0);
}

void put_level(std::vector<uint8_t>* row, int bits, uint32_t x, int level) {
    if (level == 0) return;
    const uint32_t bit = x * uint32_t(bits);
    (*row)[bit / 8] |= uint8_t(level << (8 - bits - int(bit % 8)));
}

bool blank(const PageSettings& page, const uint8_t* line) {
    const uint32_t bytes = page.contone == Contone::kSrgb8 ? 3 : 1;
    const uint8_t* first = line + size_t(page.left) * bytes;
    return std::all_of(first, first + size_t(page.width) * bytes,
                       [](uint8_t v) { return v == 0xFF; });
}

}  // namespace

bool LineRenderer::start(const PageSettings& page, std::string*) {
    page_ = page;
    line_ = 0;
    return true;
}

bool LineRenderer::render(const uint8_t* line, vrelo_tools::PlaneRows* planes) {
    const uint32_t y = line_++;
    if (blank(page_, line)) return false;
    const int bits = page_.setup.bits;
    const int maxLevel = (1 << bits) - 1;
    for (auto& row : *planes) row.assign((size_t(page_.width) * bits + 7) / 8, 0);
    for (uint32_t i = 0; i < page_.width; ++i) {
        const uint32_t x = page_.left + i;
        const int threshold = kPattern[y % 4][i % 4];
        int ink[4] = {0, 0, 0, 0};
        if (page_.contone == Contone::kGrey8) {
            ink[K] = 255 - line[x];
        } else {
            const uint8_t* rgb = line + size_t(x) * 3;
            ink[C] = 255 - rgb[0];
            ink[M] = 255 - rgb[1];
            ink[Y] = 255 - rgb[2];
            ink[K] = std::min({ink[C], ink[M], ink[Y]});
            for (const int p : {C, M, Y}) ink[p] -= ink[K];
        }
        for (int p = 0; p < 4; ++p)
            put_level(&(*planes)[p], bits, i, dot_level(ink[p], maxLevel, threshold));
    }
    return true;
}

}  // namespace vrelo_app
