// PackBits on rows: the library's encoder (as packbits chose it for this
// processor) and each of its variants, beside a plain encoder and, where
// the build has it, libtiff's PackBits, on error-diffused photo rows at 1
// and 2 bits per pixel, text rows, short mixed runs and random rows. Every
// encoder's output is decoded and checked before anything is timed.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "diffused_pages.hpp"
#include "encode/packbits.hpp"
#include "goal_table.hpp"
#include "packbits_decode.hpp"
#include "reference_packbits.hpp"
#include "rounds.hpp"
#include "row_shapes.hpp"
#include "vrelo417.h"
#ifdef VRELO_BENCH_LIBTIFF
#include "libtiff_packbits.hpp"
#endif

namespace {

using vrelo_bench::Goal;
using vrelo_bench::Target;
using vrelo_test::Bytes;
using vrelo_test::PageContent;

// Rows of one kind, all of one length, encoded one after the other.
struct DataSet {
    std::string name;
    int bitsPerPixel;
    std::vector<Bytes> rows;
    Bytes joined;  // the rows back to back, as libtiff takes a strip
};

const int kBands = 8;         // places down the page the rows come from
const int kLinesPerBand = 4;  // kept per band, after the diffusion settles
const int kSettle = 4;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "row_bench: %s\n", what.c_str());
    std::exit(1);
}

// The inked part of error-diffused page rows: the photo without its paper
// margins, the text between its margins on lines that carry ink.
std::vector<Bytes> page_rows(PageContent content, int bits, int bands) {
    std::vector<Bytes> rows;
    for (int band = 0; band < bands; ++band) {
        // Text starts some way down the page.
        const int first = 600 + band * (vrelo_test::kA4Lines - 1200) / bands;
        const int lines = content == PageContent::kText ? 60 : kSettle + kLinesPerBand;
        const vrelo_test::DiffusedRows d =
            vrelo_test::diffused_rows(content, bits, first, lines, 17);
        const int margin =
            (content == PageContent::kText ? d.width / 10 : d.width / 60 + 8) * bits / 8;
        for (const std::vector<Bytes>& colour : d.rows)
            for (size_t y = kSettle; y < colour.size(); ++y) {
                const Bytes& row = colour[y];
                const Bytes inner(row.begin() + margin, row.end() - margin);
                bool ink = false;
                for (uint8_t b : inner) ink = ink || b != 0;
                if (ink) rows.push_back(inner);
            }
    }
    return rows;
}

std::vector<DataSet> make_data_sets(bool quick) {
    const int bands = quick ? 1 : kBands;
    const size_t count = quick ? 4 : 64;
    const size_t width = 1488;  // an A4 row at 1 bit per pixel
    std::vector<DataSet> sets = {
        {"photo 1 bit", 1, page_rows(PageContent::kPhoto, 1, bands), {}},
        {"photo 2 bits", 2, page_rows(PageContent::kPhoto, 2, bands), {}},
        {"text 1 bit", 1, page_rows(PageContent::kText, 1, bands), {}},
        {"short mixed runs", 1, {}, {}},
        {"random", 1, {}, {}},
    };
    vrelo_test::Rng rng(3);
    for (size_t i = 0; i < count; ++i) {
        sets[3].rows.push_back(vrelo_test::short_runs_row(rng, width, 6));
        sets[4].rows.push_back(vrelo_test::random_row(rng, width));
    }
    for (DataSet& set : sets) {
        if (set.rows.empty()) fail("no rows of " + set.name);
        for (const Bytes& row : set.rows)
            set.joined.insert(set.joined.end(), row.begin(), row.end());
    }
    return sets;
}

// The encoders are checked once on every row: each stream must decode to
// its row, and every variant must write the portable encoder's bytes.
void check_encoder(const std::string& name, vrelo::PackBitsEncoder encode, const DataSet& set) {
    Bytes out(set.rows.front().size() * 2);
    Bytes portable(out.size());
    for (const Bytes& row : set.rows) {
        const int32_t n = static_cast<int32_t>(row.size());
        const int32_t written = encode(out.data(), row.data(), n);
        const int32_t expected = vrelo::packbits_portable(portable.data(), row.data(), n);
        if (written != expected ||
            !std::equal(out.begin(), out.begin() + written, portable.begin()))
            fail(name + " differs from the portable encoder on " + set.name);
        if (vrelo_test::packbits_decode(out.data(), static_cast<size_t>(written)).bytes != row)
            fail(name + " does not decode on " + set.name);
    }
}

int32_t exported_packbits(uint8_t* destination, const uint8_t* source, int32_t n) {
    return packbits(destination, source, n);
}

void add_encoder_case(vrelo_bench::Rounds& rounds, const std::string& name,
                      vrelo::PackBitsEncoder encode, const DataSet& set) {
    check_encoder(name, encode, set);
    rounds.add(name + "/" + set.name, [encode, &set] {
        static Bytes out(2 * 8192);
        for (const Bytes& row : set.rows)
            encode(out.data(), row.data(), static_cast<int32_t>(row.size()));
    });
}

#ifdef VRELO_BENCH_LIBTIFF
void add_libtiff_case(vrelo_bench::Rounds& rounds, const DataSet& set,
                      std::vector<std::unique_ptr<vrelo_bench::LibtiffStrip>>& strips) {
    strips.push_back(std::make_unique<vrelo_bench::LibtiffStrip>(
        static_cast<int32_t>(set.rows.front().size()), static_cast<int32_t>(set.rows.size()),
        set.bitsPerPixel));
    vrelo_bench::LibtiffStrip* strip = strips.back().get();
    if (vrelo_test::packbits_decode(strip->encode(set.joined.data())).bytes != set.joined)
        fail("libtiff's strip does not decode on " + set.name);
    rounds.add("libtiff/" + set.name, [strip, &set] {
        if (!strip->encode_only(set.joined.data())) fail("libtiff failed");
    });
}
#endif

// packbits against a baseline on one data set, as a speed-up.
void add_speedup(vrelo_bench::GoalTable& table, const vrelo_bench::Rounds& rounds,
                 const DataSet& set, const std::string& baseline, const Goal& goal) {
    const double speedup = rounds.ratio(baseline + "/" + set.name, "packbits/" + set.name);
    const double bytes = static_cast<double>(set.joined.size());
    table.add("packbits / " + baseline + ", " + set.name, speedup, "x",
              vrelo_bench::rate_text(bytes / rounds.seconds("packbits/" + set.name)) + " vs " +
                  vrelo_bench::rate_text(bytes / rounds.seconds(baseline + "/" + set.name)),
              goal);
}

}  // namespace

int main(int argc, char** argv) {
    const vrelo_bench::RunOptions options = vrelo_bench::parse_options(argc, argv);
    const std::vector<DataSet> sets = make_data_sets(options.quick);
    vrelo_bench::Rounds rounds(options);
#ifdef VRELO_BENCH_LIBTIFF
    std::vector<std::unique_ptr<vrelo_bench::LibtiffStrip>> strips;
#endif
    for (const DataSet& set : sets) {
        add_encoder_case(rounds, "packbits", exported_packbits, set);
        add_encoder_case(rounds, "plain", vrelo_test::reference_packbits, set);
        for (int32_t i = 0; i < vrelo::kPackBitsVariantCount; ++i) {
            const vrelo::PackBitsVariant& variant = vrelo::kPackBitsVariants[i];
            if (variant.runs_here()) add_encoder_case(rounds, variant.name, variant.encode, set);
        }
#ifdef VRELO_BENCH_LIBTIFF
        add_libtiff_case(rounds, set, strips);
#endif
    }
    rounds.run_all();

    const DataSet& photo1 = sets[0];
    const DataSet& photo2 = sets[1];
    const DataSet& text = sets[2];
    const DataSet& mixed = sets[3];
    const DataSet& random = sets[4];
    vrelo_bench::GoalTable table("PackBits on rows, medians of " + std::to_string(options.rounds) +
                                 " interleaved rounds");
#ifdef VRELO_BENCH_LIBTIFF
    add_speedup(table, rounds, photo1, "libtiff", vrelo_bench::at_least(3, Target::kX8664));
    add_speedup(table, rounds, photo2, "libtiff", vrelo_bench::at_least(3, Target::kX8664));
    add_speedup(table, rounds, random, "libtiff", vrelo_bench::at_least(15, Target::kX8664));
    add_speedup(table, rounds, text, "libtiff", vrelo_bench::no_goal());
    add_speedup(table, rounds, mixed, "libtiff", vrelo_bench::no_goal());
#endif
    // The portable encoder is the encoder as it was before the variants.
    for (const DataSet* set : {&text, &mixed})
        add_speedup(table, rounds, *set, "portable", vrelo_bench::at_least(1));
    for (const DataSet* set : {&photo1, &photo2, &random})
        add_speedup(table, rounds, *set, "portable", vrelo_bench::no_goal());
    add_speedup(table, rounds, photo1, "plain", vrelo_bench::at_least(2.5, Target::kI386));
    add_speedup(table, rounds, photo2, "plain", vrelo_bench::at_least(2, Target::kI386));
    for (const DataSet* set : {&text, &mixed, &random})
        add_speedup(table, rounds, *set, "plain", vrelo_bench::no_goal());
    table.print();
    return 0;
}
