// Pictures of a decoded page: a composite colour preview with the inks
// mixed subtractively, so that a person sees the page, and one grey
// picture per colour plane. Both shrink the page by averaging ink.
#ifndef VRELO_INSPECT_PAGE_PREVIEW_HPP
#define VRELO_INSPECT_PAGE_PREVIEW_HPP

#include <cstdint>
#include <string>

#include "stream_pages.hpp"

namespace vrelo_inspect {

struct PreviewSettings {
    int bits = 1;    // bits per pixel of the rows: 1 or 2
    int scale = 0;   // shrink factor; 0 keeps the longer side within
                     // kPreviewSide pixels
    int aspect = 1;  // horizontal dots per vertical dot (2 at 1440x720):
                     // the composite evens them out, the planes keep them
};

constexpr int64_t kPreviewSide = 2000;

// The page's extent in dots and lines: its widest row and its last line
// with a row.
struct PageExtent {
    int64_t dots = 1;
    int64_t lines = 1;
};
PageExtent page_extent(const PageRows& page, int bits);

// The shrink factor the settings give for a page of this extent.
int64_t preview_scale(const PageExtent& extent, const PreviewSettings& settings);

bool write_composite_png(const PageRows& page, const PreviewSettings& settings,
                         const std::string& path, std::string* error);

// DIR/page-N-black.png ... DIR/page-N-light-cyan.png; the folder is made
// where missing.
bool write_plane_pngs(const PageRows& page, const PreviewSettings& settings,
                      const std::string& directory, int pageNumber, std::string* error);

}  // namespace vrelo_inspect

#endif
