// The README's picture of the dots: a few of the targets' patches, a small
// piece of each magnified (each printer pixel 4 x 8 picture pixels, so the
// paper's proportions hold), the target colour first and then each way of
// printing it side by side, one patch a row.
#ifndef VRELO_BENCH_QUALITY_PICTURE_HPP
#define VRELO_BENCH_QUALITY_PICTURE_HPP

#include <string>
#include <vector>

#include "dot_pages.hpp"
#include "quality_targets.hpp"

namespace vrelo_bench {

// The patches drawn, by name, and the paths drawn: all but the blue-noise
// one.
bool write_quality_picture(const Targets& targets, const std::vector<PrintedPath>& paths,
                           const std::string& path, std::string* error);

}  // namespace vrelo_bench

#endif
