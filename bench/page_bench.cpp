// Whole A4 pages at 1440 x 720 dpi, six colours, through the public calls:
// photo and text content error-diffused at 1 and 2 bits per pixel, in
// direct and in delayed mode, with packbits' own choice of encoder and with
// the portable encoder as the baseline; a delayed line far after the
// previous one against one near it; and the heap a delayed page needs.
// Every page's stream is read back and checked before anything is timed.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "encode/packbits.hpp"
#include "goal_table.hpp"
#include "page_job.hpp"
#include "rounds.hpp"

namespace {

using vrelo_bench::Target;
using vrelo_test::PageContent;

const int kQuickLines = 120;

struct Page {
    std::string name;
    bool photo;
    vrelo_test::DiffusedRows rows;
};

// The preferred variant, the one packbits chooses for this processor.
const char* chosen_variant() {
    for (int32_t i = vrelo::kPackBitsVariantCount - 1; i > 0; --i)
        if (vrelo::kPackBitsVariants[i].runs_here()) return vrelo::kPackBitsVariants[i].name;
    return vrelo::kPackBitsVariants[0].name;
}

std::string case_name(const char* mode, const Page& page, const char* variant) {
    return std::string(mode) + "/" + page.name + "/" + variant;
}

struct Bench {
    vrelo_bench::RunOptions options;
    int lines;
    std::vector<Page> pages;
    std::vector<std::unique_ptr<vrelo_bench::PageJob>> jobs;
    vrelo_bench::Rounds rounds{options};

    // A job printing the page, checked once first.
    void add_page_case(const char* mode, const Page& page, const char* variant) {
        vrelo::force_packbits_variant(variant);
        jobs.push_back(
            std::make_unique<vrelo_bench::PageJob>(std::string(mode) == "delayed", page.rows));
        vrelo_bench::PageJob* job = jobs.back().get();
        job->check(lines);
        const int pageLines = lines;
        rounds.add(case_name(mode, page, variant), [job, variant, pageLines] {
            vrelo::force_packbits_variant(variant);
            job->print(pageLines);
        });
    }

    void add_gap_case(int32_t gap) {
        jobs.push_back(std::make_unique<vrelo_bench::PageJob>(true, pages[0].rows));
        vrelo_bench::PageJob* job = jobs.back().get();
        rounds.add("gap/" + std::to_string(gap), [job, gap] { job->gap(gap); });
    }
};

std::string milliseconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
    return text;
}

void report(Bench& b) {
    const char* chosen = chosen_variant();
    vrelo_bench::GoalTable table("A4 pages at 1440x720, six colours, " + std::to_string(b.lines) +
                                 " lines; medians of " + std::to_string(b.options.rounds) +
                                 " interleaved rounds");
    for (const Page& page : b.pages) {
        const double chosenSeconds = b.rounds.seconds(case_name("direct", page, chosen));
        const double portable = b.rounds.seconds(case_name("direct", page, "portable"));
        const vrelo_bench::Goal goal = !page.photo ? vrelo_bench::no_goal()
                                       : page.rows.bitsPerPixel == 1
                                           ? vrelo_bench::at_least(18, Target::kX8664)
                                           : vrelo_bench::at_least(6.5, Target::kX8664);
        char beside[64];
        std::snprintf(beside, sizeof beside, "portable encoder %.2f pages/s", 1 / portable);
        table.add("direct pages/s, " + page.name, 1 / chosenSeconds, " pages/s", beside, goal);
    }
    for (const Page& page : b.pages) {
        const std::string delayed = case_name("delayed", page, chosen);
        const std::string direct = case_name("direct", page, chosen);
        table.add("delayed / direct, " + page.name, b.rounds.ratio(delayed, direct), "x",
                  milliseconds(b.rounds.seconds(delayed)) + " vs " +
                      milliseconds(b.rounds.seconds(direct)),
                  vrelo_bench::at_most(page.photo ? 1.15 : 1.2));
    }
    table.add("gap 1000000 / gap 512 (delayed)", b.rounds.ratio("gap/1000000", "gap/512"), "x",
              milliseconds(b.rounds.seconds("gap/1000000")) + " vs " +
                  milliseconds(b.rounds.seconds("gap/512")),
              vrelo_bench::at_most(1.5));
    for (const Page& page : b.pages) {
        vrelo_bench::PageJob job(true, page.rows);
        table.add("peak heap of a delayed page, " + page.name,
                  static_cast<double>(job.peak_heap(b.lines)) / 1024, " KiB", "",
                  vrelo_bench::no_goal());
    }
    table.print();
}

}  // namespace

int main(int argc, char** argv) {
    Bench b{vrelo_bench::parse_options(argc, argv), 0, {}, {}};
    b.lines = b.options.lines > 0 ? std::min(b.options.lines, vrelo_test::kA4Lines)
              : b.options.quick   ? kQuickLines
                                  : vrelo_test::kA4Lines;
    for (PageContent content : {PageContent::kPhoto, PageContent::kText})
        for (int bits : {1, 2}) {
            const bool photo = content == PageContent::kPhoto;
            b.pages.push_back(
                {std::string(photo ? "photo" : "text") + (bits == 1 ? " 1 bit" : " 2 bits"), photo,
                 vrelo_test::diffused_rows(content, bits, 0, b.lines, 23)});
        }
    const char* chosen = chosen_variant();
    for (const Page& page : b.pages) {
        b.add_page_case("direct", page, chosen);
        b.add_page_case("direct", page, "portable");
        b.add_page_case("delayed", page, chosen);
    }
    b.add_gap_case(512);
    b.add_gap_case(1000000);
    b.rounds.run_all();
    vrelo::force_packbits_variant(chosen);
    report(b);
    return 0;
}
