// Continuous ink tones (0: no ink, 1: full ink) of the six colours along
// the raster lines of a page, as a driver's colour stage would hand them to
// halftoning: a photograph or a page of text.
#ifndef VRELO_TEST_PAGE_TONES_HPP
#define VRELO_TEST_PAGE_TONES_HPP

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "vrelo417.h"

namespace vrelo_test {

// An A4 page at 1440 x 720 dpi: 210 mm x 297 mm.
const int kA4Pixels = 11904;
const int kA4Lines = 8418;

enum class PageContent { kPhoto, kText };

using ToneRow = std::vector<float>;
using LineTones = std::array<ToneRow, VRELO_COLOURS>;

// The tones of one page, line by line from the top; each call fills every
// colour's row with `width` tones.
class PageTones {
  public:
    virtual ~PageTones() = default;
    virtual void line(int y, LineTones* tones) = 0;
};

// Photo: smooth fields of colour with detail at several scales and film
// grain, separated into K Y M C m c with light inks under the dark ones.
// Text: lines of glyph strokes with soft edges, mostly black, some
// headings in colour, between wide white margins.
std::unique_ptr<PageTones> page_tones(PageContent content, int width, uint32_t seed);

}  // namespace vrelo_test

#endif
