// Seeded generators of colour rows with the shapes that exercise PackBits:
// runs of a chosen length, bytes unequal to their neighbours and pairs.
// Rows as a driver's halftoning makes them: diffused_pages.hpp.
#ifndef VRELO_TEST_ROW_SHAPES_HPP
#define VRELO_TEST_ROW_SHAPES_HPP

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "bytes.hpp"

namespace vrelo_test {

using Rng = std::mt19937;

// A number drawn evenly from low to high, both included.
int uniform(Rng& rng, int low, int high);

// Uniformly random bytes.
Bytes random_row(Rng& rng, size_t size);
// Runs of exactly runLength equal bytes (the last one may be cut short);
// neighbouring runs differ.
Bytes runs_row(Rng& rng, size_t size, size_t runLength);
// No byte equals its neighbour: every byte is a run of one.
Bytes distinct_neighbours_row(Rng& rng, size_t size);
// pairs runs of exactly two equal bytes.
Bytes pairs_row(Rng& rng, size_t pairs);
// literal bytes unequal to their neighbours, then pairs runs of two.
Bytes literal_then_pairs_row(Rng& rng, size_t literal, size_t pairs);
// Runs of random lengths, mostly short, sometimes past 128.
Bytes mixed_runs_row(Rng& rng, size_t size);
// Runs of lengths drawn evenly from 1 to longest: record boundaries no
// encoder can foresee.
Bytes short_runs_row(Rng& rng, size_t size, size_t longest);

}  // namespace vrelo_test

#endif
