// Rasters and streams for the tools' tests: CUPS raster files written
// through libcups from planes the test chooses, and the stream the
// project's page printer makes of them.
#ifndef VRELO_TEST_RASTER_FIXTURE_HPP
#define VRELO_TEST_RASTER_FIXTURE_HPP

#include <cups/raster.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "raster_format.hpp"

namespace vrelo_test {

// A page as the library's planes, one PlaneRows per line.
struct PlanePage {
    uint32_t width = 0;  // pixels
    int bits = 1;
    std::vector<vrelo_tools::PlaneRows> lines;
};

// A page of random ink: rows of runs and noise, some lines and planes
// blank, ink up to the last line.
PlanePage random_plane_page(std::mt19937& rng, uint32_t width, uint32_t height, int bits);

// A page header for planes of this size in the given colour space and
// order (chunked or banded), at resX x resY.
cups_page_header2_t raster_header(const PlanePage& page, cups_cspace_t space, cups_order_t order,
                                  uint32_t resX, uint32_t resY);

// Changes a page's header before it is written (hostile rasters); lines
// are then cut or padded to the header's bytes per line.
using HeaderChange = std::function<void(size_t page, cups_page_header2_t* header)>;

// Writes the pages to path through libcups's raster writer, compressed or
// not. Planes that the colour space has no channel for must be blank.
void write_raster(const std::string& path, const std::vector<PlanePage>& pages, cups_cspace_t space,
                  cups_order_t order, uint32_t resX, uint32_t resY,
                  const HeaderChange& change = nullptr, bool compressed = true);

// The stream the page printer makes of the pages with this setup.
std::vector<uint8_t> print_pages(const std::vector<PlanePage>& pages, int resX, int resY,
                                 bool carryOver);

// A fresh file name under the test's temporary directory.
std::string temp_path(const std::string& name);

}  // namespace vrelo_test

#endif
