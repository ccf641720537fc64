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
    const uint8_t value = row.empty() ? any_byte(rng) : byte_other_than(rng, row.back());
    row.insert(row.end(), count, value);
}

}  // namespace

Bytes random_row(Rng& rng, size_t size) {
    Bytes row(size);
    for (uint8_t& byte : row) byte = any_byte(rng);
    return row;
}

Bytes runs_row(Rng& rng, size_t size, size_t runLength) {
    Bytes row;
    while (row.size() < size) append_run(rng, row, std::min(runLength, size - row.size()));
    return row;
}

Bytes distinct_neighbours_row(Rng& rng, size_t size) {
    return runs_row(rng, size, 1);
}

Bytes pairs_row(Rng& rng, size_t pairs) {
    return runs_row(rng, 2 * pairs, 2);
}

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
    while (row.size() < size) append_run(rng, row, std::min(length(rng), size - row.size()));
    return row;
}

}  // namespace vrelo_test
