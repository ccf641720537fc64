// The inspector's reader and page placement against streams the library
// writes for random pages in both modes: every row comes back at its line,
// through the reader directly and through vrelo-inspect --json. Damaged
// streams never crash it, and every fault names its offset.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "job_driver.hpp"
#include "job_params.hpp"
#include "program.hpp"
#include "raster_fixture.hpp"
#include "stream_pages.hpp"
#include "tool_run.hpp"

namespace {

using vrelo_inspect::DecodedStream;
using vrelo_inspect::StreamFault;
using vrelo_test::Bytes;

struct ModeCase {
    bool delayed;
    int16_t pixelShift;
};

// Random lines with strictly rising numbers, as a host hands a page over.
vrelo_test::Page rising_page(std::mt19937& rng, int16_t pixelShift) {
    vrelo_test::PageShape shape;
    shape.pixelShift = pixelShift;
    shape.lines = 60;
    vrelo_test::Page page = vrelo_test::random_page(rng, shape);
    int32_t line = 0;
    for (vrelo_test::PageLine& l : page) {
        l.lineNumber = line;
        line += 1 + std::uniform_int_distribution<int>(0, 3)(rng) +
                (std::uniform_int_distribution<int>(0, 40)(rng) == 0 ? 40000 : 0);
    }
    return page;
}

struct Job {
    Bytes stream;
    std::vector<vrelo_test::Page> pages;
};

// Pages through the library, each drained and ended by a form feed.
Job run_job(std::mt19937& rng, const ModeCase& mode, int pages) {
    vrelo_test::JobShape shape;
    shape.delayed = mode.delayed;
    shape.pixelShift = mode.pixelShift;
    vrelo_test::Job job(vrelo_test::param_for(shape));
    Job run;
    for (int p = 0; p < pages; ++p) {
        run.pages.push_back(rising_page(rng, mode.pixelShift));
        const vrelo_test::PageEnd end = {{!mode.delayed, run.pages.back().back().lineNumber + 1}};
        const Bytes page = vrelo_test::run_page(job.handle(), run.pages.back(), end).stream;
        run.stream.insert(run.stream.end(), page.begin(), page.end());
        run.stream.push_back(0x0C);
        EXPECT_EQ(OutputInitPart(job.handle(), nullptr), VRELO_OK);
    }
    return run;
}

using LinesByColour = std::array<std::set<int64_t>, 6>;

LinesByColour expected_lines(const vrelo_test::Page& page, int16_t pixelShift) {
    LinesByColour lines;
    for (const vrelo_test::PageLine& line : page)
        for (int c = 0; c < 6; ++c)
            if (!vrelo_test::expected_row(line.planes[c], pixelShift, false).empty())
                lines[c].insert(line.lineNumber);
    return lines;
}

class InspectRoundTrip : public ::testing::TestWithParam<ModeCase> {};

TEST_P(InspectRoundTrip, EveryRowAtItsLine) {
    const ModeCase mode = GetParam();
    std::mt19937 rng(417 + mode.pixelShift + 10 * mode.delayed);
    const Job run = run_job(rng, mode, 3);
    DecodedStream decoded;
    StreamFault fault;
    const auto delays = mode.delayed ? vrelo_inspect::kDelays1440x720 : vrelo_inspect::kNoDelays;
    ASSERT_TRUE(decode_stream(run.stream.data(), run.stream.size(), delays, &decoded, &fault))
        << fault.offset << ": " << fault.what;
    ASSERT_EQ(decoded.pages.size(), run.pages.size());
    for (size_t p = 0; p < run.pages.size(); ++p) {
        const vrelo_inspect::PageRows& page = decoded.pages[p];
        EXPECT_TRUE(page.formFeed);
        size_t rows = 0;
        for (const vrelo_test::PageLine& line : run.pages[p]) {
            for (int c = 0; c < 6; ++c) {
                const Bytes want = vrelo_test::expected_row(line.planes[c], mode.pixelShift, false);
                if (want.empty()) continue;
                ++rows;
                const auto found = page.rows[c].find(line.lineNumber);
                ASSERT_NE(found, page.rows[c].end()) << "page " << p << " line " << line.lineNumber;
                EXPECT_EQ(found->second, want);
            }
        }
        size_t decodedRows = 0;
        for (const auto& colour : page.rows) decodedRows += colour.size();
        EXPECT_EQ(decodedRows, rows);
    }

    // The same lines through the program's JSON.
    const std::string path = vrelo_test::temp_path("stream.prn");
    vrelo_test::write_file(path, run.stream);
    const vrelo_test::ToolRun json = vrelo_test::run_inspect(
        std::string(mode.delayed ? "--delays 1440x720 " : "") + "--json " + path);
    ASSERT_EQ(json.exitStatus, 0) << json.err;
    const nlohmann::json report = nlohmann::json::parse(json.out);
    EXPECT_TRUE(report.at("valid").get<bool>());
    ASSERT_EQ(report.at("pageCount").get<size_t>(), run.pages.size());
    ASSERT_EQ(report.at("pages").size(), run.pages.size());
    for (size_t p = 0; p < run.pages.size(); ++p) {
        const nlohmann::json& page = report.at("pages").at(p);
        EXPECT_EQ(page.at("page").get<size_t>(), p + 1);
        EXPECT_TRUE(page.at("formFeed").get<bool>());
        const LinesByColour want = expected_lines(run.pages[p], mode.pixelShift);
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(page.at("rows")
                          .at(std::string(1, vrelo_inspect::kColourLetters[c]))
                          .get<std::set<int64_t>>(),
                      want[c])
                << "page " << p << " colour " << c;
    }
    EXPECT_EQ(report.at("rowBytes").get<int64_t>(), decoded.totals.rowBytes);
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Modes, InspectRoundTrip,
                         ::testing::Values(ModeCase{false, 3}, ModeCase{false, 2},
                                           ModeCase{true, 3}, ModeCase{true, 2}),
                         [](const ::testing::TestParamInfo<ModeCase>& param) {
                             return std::string(param.param.delayed ? "delayed" : "direct") +
                                    (param.param.pixelShift == 3 ? "_1bit" : "_2bit");
                         });

// Offsets at which a command of a sound stream starts.
std::set<size_t> command_starts(const Bytes& stream) {
    struct Starts : vrelo_inspect::StreamHandler {
        std::set<size_t> at;
        void skip(size_t o, int32_t) override { at.insert(o); }
        void row(size_t o, int, std::vector<uint8_t>&&, size_t) override { at.insert(o); }
        void carriage_return(size_t o) override { at.insert(o); }
        void form_feed(size_t o) override { at.insert(o); }
    } starts;
    StreamFault fault;
    EXPECT_TRUE(vrelo_inspect::read_stream(stream.data(), stream.size(), starts, &fault));
    starts.at.insert(stream.size());
    return starts.at;
}

Bytes small_stream() {
    std::mt19937 rng(9);
    const Job run = run_job(rng, ModeCase{true, 3}, 1);
    // The whole commands in the first 400 bytes or so.
    const std::set<size_t> starts = command_starts(run.stream);
    return Bytes(run.stream.begin(),
                 run.stream.begin() + static_cast<long>(*starts.lower_bound(400)));
}

TEST(InspectCorruption, TruncationsInsideACommandNameTheirOffset) {
    const Bytes stream = small_stream();
    const std::set<size_t> starts = command_starts(stream);
    for (size_t size = 0; size <= stream.size(); ++size) {
        DecodedStream decoded;
        StreamFault fault;
        const bool sound =
            decode_stream(stream.data(), size, vrelo_inspect::kNoDelays, &decoded, &fault);
        EXPECT_EQ(sound, starts.count(size) == 1) << "cut at " << size;
        if (!sound) {
            EXPECT_LE(fault.offset, size);
            EXPECT_FALSE(fault.what.empty());
        }
    }
}

TEST(InspectCorruption, RandomDamageNeverCrashes) {
    const Bytes stream = small_stream();
    std::mt19937 rng(5);
    int faults = 0;
    for (int round = 0; round < 4000; ++round) {
        Bytes damaged = stream;
        const int changes = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int i = 0; i < changes; ++i)
            damaged[std::uniform_int_distribution<size_t>(0, damaged.size() - 1)(rng)] =
                static_cast<uint8_t>(rng());
        DecodedStream decoded;
        StreamFault fault;
        if (!decode_stream(damaged.data(), damaged.size(), vrelo_inspect::kDelays1440x720, &decoded,
                           &fault)) {
            ++faults;
            EXPECT_LT(fault.offset, damaged.size());
        }
    }
    EXPECT_GT(faults, 1000);
}

// The fault's offset on standard error and in the JSON report alike.
TEST(InspectCorruption, TheProgramExitsOneWithAnOffset) {
    const Bytes stream = small_stream();
    const std::set<size_t> starts = command_starts(stream);
    const std::string path = vrelo_test::temp_path("cut.prn");
    // Cuts at about eight command starts, sound, and a few bytes into each
    // command, not: every kind of cut without a process for every size.
    std::vector<size_t> cuts;
    const size_t every = std::max<size_t>(1, starts.size() / 8);
    size_t n = 0;
    for (size_t start : starts) {
        if (n++ % every != 0) continue;
        if (start > 0 && start < stream.size()) cuts.push_back(start);
        if (start + 3 < stream.size()) cuts.push_back(start + 3);
    }
    int soundCuts = 0, brokenCuts = 0;
    for (size_t size : cuts) {
        vrelo_test::write_file(path,
                               Bytes(stream.begin(), stream.begin() + static_cast<long>(size)));
        const vrelo_test::ToolRun run = vrelo_test::run_inspect("--delays 1440x720 --json " + path);
        const bool sound = starts.count(size) == 1;
        ++(sound ? soundCuts : brokenCuts);
        ASSERT_EQ(run.exitStatus, sound ? vrelo_tools::kExitSuccess : vrelo_tools::kExitFailure)
            << "cut at " << size;
        const nlohmann::json report = nlohmann::json::parse(run.out);
        EXPECT_EQ(report.at("valid").get<bool>(), sound) << "cut at " << size;
        if (sound) continue;
        const size_t offset = report.at("offset").get<size_t>();
        EXPECT_LE(offset, size);
        EXPECT_FALSE(report.at("error").get<std::string>().empty());
        EXPECT_NE(run.err.find(path + ": offset " + std::to_string(offset) + ": " +
                               report.at("error").get<std::string>()),
                  std::string::npos)
            << run.err;
    }
    EXPECT_GT(soundCuts, 0);
    EXPECT_GT(brokenCuts, 0);
    std::remove(path.c_str());
}

struct FaultCase {
    const char* name;
    Bytes stream;
    size_t offset;
    const char* words;
};

TEST(InspectFaults, EachNamesWhatWasExpected) {
    const std::vector<FaultCase> cases = {
        {"unknown byte", {0x0D, 0x41}, 1, "expected ESC"},
        {"unknown command", {0x1B, 0x28, 0x7A}, 2, "'e' (raster skip)"},
        {"skip count 0", {0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, 0x00}, 5, "count of 1 to 32767"},
        {"skip length", {0x1B, 0x28, 0x65, 0x03, 0x00, 0x00, 0x01}, 3, "parameter length 2"},
        {"colour letter", {0x1B, 0x28, 0x41, 0x03, 0x00, 'k', 0x00, 0x01, 0x0D}, 5, "K Y M C m c"},
        {"no carriage return",
         {0x1B, 0x28, 0x41, 0x03, 0x00, 'K', 0x00, 0x01, 0x0C},
         8,
         "carriage return"},
        {"0x80", {0x1B, 0x28, 0x41, 0x03, 0x00, 'K', 0x80, 0x01, 0x0D}, 6, "other than 0x80"},
        {"literal past its command",
         {0x1B, 0x28, 0x41, 0x03, 0x00, 'Y', 0x01, 0x01, 0x0D},
         6,
         "runs past its command"},
        {"repeat past its command",
         {0x1B, 0x28, 0x41, 0x02, 0x00, 'Y', 0xFE, 0x0D},
         6,
         "runs past its command"},
        {"truncated header", {0x1B, 0x28, 0x41, 0x03}, 0, "truncated colour-raster header"},
    };
    for (const FaultCase& c : cases) {
        DecodedStream decoded;
        StreamFault fault;
        EXPECT_FALSE(decode_stream(c.stream.data(), c.stream.size(), vrelo_inspect::kNoDelays,
                                   &decoded, &fault))
            << c.name;
        EXPECT_EQ(fault.offset, c.offset) << c.name;
        EXPECT_NE(fault.what.find(c.words), std::string::npos) << c.name << ": " << fault.what;
    }
}

TEST(InspectDelays, ParsedFromTheirThreeForms) {
    vrelo_inspect::Delays delays;
    std::string error;
    ASSERT_TRUE(vrelo_inspect::parse_delays("1,2,3,4,5,6", &delays, &error));
    EXPECT_EQ(delays, (vrelo_inspect::Delays{1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(vrelo_inspect::parse_delays("1440x720", &delays, &error));
    EXPECT_EQ(delays, vrelo_inspect::kDelays1440x720);
    for (const char* bad : {"1,2,3", "1,2,3,4,5,6,7", "1,2,x,4,5,6", "-1,0,0,0,0,0", ""})
        EXPECT_FALSE(vrelo_inspect::parse_delays(bad, &delays, &error)) << bad;
}

}  // namespace
