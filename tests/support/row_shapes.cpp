#include "row_shapes.hpp"

#include <algorithm>

namespace vrelo_test {

int uniform(Rng& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

namespace {

uint8_t any_byte(Rng& rng) {
    return static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 255)(rng));
}

uint8_t byte_other_than(Rng& rng, uint8_t previous) {
    const int step = std::uniform_int_distribution<int>(1, 255)(rng);
    return static_cast<uint8_t>(previous + step);
}

// Appends count copies of a byte different from the row's last byte.
void append_run(Rng& rng, Bytes& row, size_t count) {
    const uint8_t value =
        row.empty() ? any_byte(rng) : byte_other_than(rng, row.back());
    row.insert(row.end(), count, value);
}

}  // namespace

Bytes random_row(Rng& rng, size_t size) {
    Bytes row(size);
    for (uint8_t& byte : row) byte = any_byte(rng);
    return row;
}

Bytes runs_row(Rng& rng, size_t size, size_t run_length) {
    Bytes row;
    while (row.size() < size)
        append_run(rng, row, std::min(run_length, size - row.size()));
    return row;
}

Bytes distinct_neighbours_row(Rng& rng, size_t size) {
    return runs_row(rng, size, 1);
}

Bytes pairs_row(Rng& rng, size_t pairs) { return runs_row(rng, 2 * pairs, 2); }

Bytes literal_then_pairs_row(Rng& rng, size_t literal, size_t pairs) {
    Bytes row = distinct_neighbours_row(rng, literal);
    for (size_t i = 0; i < pairs; ++i) append_run(rng, row, 2);
    return row;
}

Bytes mixed_runs_row(Rng& rng, size_t size) {
    std::geometric_distribution<size_t> short_run(0.45);
    std::uniform_int_distribution<size_t> long_run(100, 400);
    std::bernoulli_distribution goes_long(0.05);
    Bytes row;
    while (row.size() < size) {
        const size_t wanted = goes_long(rng) ? long_run(rng) : 1 + short_run(rng);
        append_run(rng, row, std::min(wanted, size - row.size()));
    }
    return row;
}

Bytes short_runs_row(Rng& rng, size_t size, size_t longest) {
    std::uniform_int_distribution<size_t> length(1, longest);
    Bytes row;
    while (row.size() < size)
        append_run(rng, row, std::min(length(rng), size - row.size()));
    return row;
}

std::vector<Bytes> halftone_rows(size_t bytes_per_row, size_t rows,
                               uint32_t seed) {
    const size_t width = bytes_per_row * 8;
    const size_t margin = width / 10;
    const double inked = double(width - 2 * margin);
    Rng rng(seed);
    // Grain of a scanned image on top of the smooth gradient, so the
    // dither does not settle into a fixed pattern.
    std::uniform_real_distribution<double> grain(-0.1, 0.1);
    // Floyd-Steinberg error of this line and the next, one cell of slack on
    // either side so the spreading needs no edge tests.
    std::vector<double> error(width + 2, 0.0), below(width + 2, 0.0);
    std::vector<Bytes> image;
    for (size_t y = 0; y < rows; ++y) {
        Bytes row(bytes_per_row, 0);
        for (size_t x = margin; x < width - margin; ++x) {
            const double tone =
                double(x - margin) / inked + grain(rng) + error[x + 1];
            const bool ink = tone >= 0.5;
            const double rest = tone - (ink ? 1.0 : 0.0);
            error[x + 2] += rest * 7 / 16;
            below[x] += rest * 3 / 16;
            below[x + 1] += rest * 5 / 16;
            below[x + 2] += rest * 1 / 16;
            if (ink) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        image.push_back(row);
        error.swap(below);
        std::fill(below.begin(), below.end(), 0.0);
    }
    return image;
}

}  // namespace vrelo_test
