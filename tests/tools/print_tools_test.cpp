// vrelo-print and rastertovrelo as their users run them: rasters of every
// kind the printer takes come back exactly from the stream they print;
// hostile rasters are refused by page and field with nothing of the broken
// page sent; SIGTERM ends the page in progress; a picture's dithered planes
// are exactly what the stream holds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "png_file.hpp"
#include "raster_fixture.hpp"
#include "stream_pages.hpp"
#include "tool_run.hpp"

namespace {

using vrelo_test::PlanePage;
using vrelo_test::ToolRun;

const std::string kPrint = VRELO_PRINT_PATH;
const std::string kFilter = VRELO_FILTER_PATH;

std::vector<PlanePage> pages_for(cups_cspace_t space, int bits, uint32_t seed, int count) {
    std::mt19937 rng(seed);
    std::vector<PlanePage> pages;
    for (int p = 0; p < count; ++p) {
        pages.push_back(vrelo_test::random_plane_page(rng, 150, 60 + 11 * p, bits));
        if (space == CUPS_CSPACE_CMYK || space == CUPS_CSPACE_KCMY)
            for (auto& line : pages.back().lines)
                for (int light : {4, 5}) std::fill(line[light].begin(), line[light].end(), 0);
    }
    return pages;
}

// The filter as CUPS runs it; its stream is the run's output.
ToolRun filter(const std::string& raster, bool carryOver) {
    return vrelo_test::run_command(
        kFilter + " 7 tester title 1 CarryOver=" + (carryOver ? "True " : "False ") + raster);
}

std::vector<uint8_t> bytes_of(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

struct Kind {
    const char* name;
    cups_cspace_t space;
    cups_order_t order;
    int bits;
    uint32_t res;
    bool carryOver;
};

class PrintedRasters : public ::testing::TestWithParam<Kind> {};

TEST_P(PrintedRasters, ComeBackExactlyFromTheirStream) {
    const Kind& k = GetParam();
    const std::string raster = vrelo_test::temp_path("in.ras");
    const std::string printed = vrelo_test::temp_path("print.prn");
    vrelo_test::write_raster(raster, pages_for(k.space, k.bits, 3, 4), k.space, k.order, k.res,
                             720);
    const ToolRun print =
        vrelo_test::run_command(kPrint + " --quiet " + (k.carryOver ? "--carry-over " : "") +
                                "-o " + printed + " " + raster);
    ASSERT_EQ(print.exitStatus, 0) << print.err;
    const ToolRun filtered = filter(raster, k.carryOver);
    ASSERT_EQ(filtered.exitStatus, 0);
    EXPECT_EQ(vrelo_test::read_file(printed), bytes_of(filtered.out));
    const ToolRun inspect =
        vrelo_test::run_inspect(std::string(k.res == 1440 ? "--delays 1440x720 " : "") +
                                "--compare " + raster + " " + printed);
    EXPECT_EQ(inspect.exitStatus, 0) << inspect.out << inspect.err;
    for (const std::string& path : {raster, printed}) std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PrintedRasters,
    ::testing::Values(
        Kind{"cmyk_2bit", CUPS_CSPACE_CMYK, CUPS_ORDER_CHUNKED, 2, 720, false},
        Kind{"cmyk_2bit_delayed_carry", CUPS_CSPACE_CMYK, CUPS_ORDER_CHUNKED, 2, 1440, true},
        Kind{"devicen_2bit_delayed", CUPS_CSPACE_DEVICE6, CUPS_ORDER_CHUNKED, 2, 1440, false},
        Kind{"devicen_1bit_banded_carry", CUPS_CSPACE_DEVICE6, CUPS_ORDER_BANDED, 1, 1440, true},
        Kind{"kcmy_1bit", CUPS_CSPACE_KCMY, CUPS_ORDER_CHUNKED, 1, 720, false}),
    [](const ::testing::TestParamInfo<Kind>& param) { return param.param.name; });

struct Hostile {
    const char* name;
    vrelo_test::HeaderChange change;  // to page 2's header
    long cutAfterPage1;               // bytes of page 2 kept; -1 keeps all
    const char* words;
};

// Bytes of one uncompressed page of the fixture: header and lines.
long page_bytes(const PlanePage& page) {
    const cups_page_header2_t h =
        vrelo_test::raster_header(page, CUPS_CSPACE_KCMYcm, CUPS_ORDER_CHUNKED, 720, 720);
    return static_cast<long>(sizeof(cups_page_header2_t)) +
           static_cast<long>(h.cupsBytesPerLine) * static_cast<long>(h.cupsHeight);
}

TEST(HostileRasters, AreRefusedByPageAndFieldWithNothingOfTheBrokenPage) {
    const std::vector<PlanePage> pages = pages_for(CUPS_CSPACE_KCMYcm, 1, 8, 2);
    const std::string good = vrelo_test::temp_path("good.ras");
    const std::string bad = vrelo_test::temp_path("bad.ras");
    const std::string out = vrelo_test::temp_path("out.prn");
    // What page 1 alone prints: all that a broken page 2 may leave.
    vrelo_test::write_raster(good, {pages[0]}, CUPS_CSPACE_KCMYcm, CUPS_ORDER_CHUNKED, 720, 720);
    ASSERT_EQ(vrelo_test::run_command(kPrint + " -o " + out + " " + good).exitStatus, 0);
    const std::vector<uint8_t> pageOne = vrelo_test::read_file(out);
    const long page1 = 4 + page_bytes(pages[0]);
    auto on_page2 = [](auto edit) {
        return [edit](size_t page, cups_page_header2_t* h) {
            if (page == 1) edit(h);
        };
    };
    const std::vector<Hostile> cases = {
        {"bytes per line", on_page2([](cups_page_header2_t* h) { h->cupsBytesPerLine += 1; }), -1,
         "page 2: cupsBytesPerLine is"},
        {"width", on_page2([](cups_page_header2_t* h) {
             h->cupsWidth = 40000;
             h->cupsBytesPerLine = 40000;
         }),
         -1, "page 2: cupsWidth is 40000"},
        {"colour space",
         on_page2([](cups_page_header2_t* h) { h->cupsColorSpace = CUPS_CSPACE_RGB; }), -1,
         "page 2: cupsColorSpace is 1"},
        {"depth", on_page2([](cups_page_header2_t* h) { h->cupsBitsPerColor = 4; }), -1,
         "page 2: cupsBitsPerColor is 4: must be 1 or 2 (dots), or 8 or 16 (contone)"},
        {"contone of dots' colours",
         on_page2([](cups_page_header2_t* h) { h->cupsBitsPerColor = 8; }), -1,
         "page 2: cupsColorSpace is 9: must be RGB (1), sRGB (19)"},
        {"resolution", on_page2([](cups_page_header2_t* h) { h->HWResolution[1] = 0; }), -1,
         "page 2: HWResolution is 0"},
        {"cut in the header", nullptr, 1000, "page 2: the raster ends inside the page header"},
        {"cut in the pixels", nullptr, static_cast<long>(sizeof(cups_page_header2_t)) + 500,
         "page 2: the raster ends after line"},
    };
    for (const Hostile& c : cases) {
        vrelo_test::write_raster(bad, pages, CUPS_CSPACE_KCMYcm, CUPS_ORDER_CHUNKED, 720, 720,
                                 c.change, false);
        if (c.cutAfterPage1 >= 0) {
            ASSERT_EQ(truncate(bad.c_str(), page1 + c.cutAfterPage1), 0);
        }
        const ToolRun print = vrelo_test::run_command(kPrint + " -o " + out + " " + bad);
        EXPECT_EQ(print.exitStatus, 1) << c.name;
        EXPECT_NE(print.err.find(c.words), std::string::npos) << c.name << ": " << print.err;
        EXPECT_EQ(vrelo_test::read_file(out), pageOne) << c.name;
        const ToolRun filtered = filter(bad, false);
        EXPECT_EQ(filtered.exitStatus, 1) << c.name;
        EXPECT_NE(filtered.err.find(std::string("ERROR: ") + c.words), std::string::npos)
            << c.name << ": " << filtered.err;
        EXPECT_EQ(bytes_of(filtered.out), pageOne) << c.name;
    }
    for (const std::string& path : {good, bad, out}) std::remove(path.c_str());
}

// The filter reads page 1 and half of page 2 from a pipe, then CUPS
// cancels the job.
TEST(FilterSignals, SigtermEndsThePageInProgress) {
    const std::vector<PlanePage> pages = pages_for(CUPS_CSPACE_KCMYcm, 1, 21, 2);
    const std::string raster = vrelo_test::temp_path("in.ras");
    const std::string out = vrelo_test::temp_path("out.prn");
    vrelo_test::write_raster(raster, pages, CUPS_CSPACE_KCMYcm, CUPS_ORDER_CHUNKED, 1440, 720,
                             nullptr, false);
    const std::vector<uint8_t> bytes = vrelo_test::read_file(raster);
    const uint32_t halfLines = static_cast<uint32_t>(pages[1].lines.size() / 2);
    const long bytesPerLine =
        (page_bytes(pages[1]) - static_cast<long>(sizeof(cups_page_header2_t))) /
        static_cast<long>(pages[1].lines.size());
    const size_t sent = static_cast<size_t>(4 + page_bytes(pages[0]) +
                                            static_cast<long>(sizeof(cups_page_header2_t)) +
                                            bytesPerLine * halfLines);
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(input[0], 0);
        close(input[1]);
        freopen(out.c_str(), "wb", stdout);
        freopen("/dev/null", "w", stderr);
        execl(kFilter.c_str(), "rastertovrelo", "9", "tester", "title", "1", "", nullptr);
        _exit(127);
    }
    close(input[0]);
    ASSERT_EQ(write(input[1], bytes.data(), sent), static_cast<ssize_t>(sent));
    usleep(500000);  // the filter takes what it was given and waits for more
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    close(input[1]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::vector<uint8_t> stream = vrelo_test::read_file(out);
    vrelo_inspect::DecodedStream decoded;
    vrelo_inspect::StreamFault fault;
    ASSERT_TRUE(vrelo_inspect::decode_stream(stream.data(), stream.size(),
                                             vrelo_inspect::kDelays1440x720, &decoded, &fault))
        << fault.what;
    ASSERT_EQ(decoded.pages.size(), 2u);
    EXPECT_EQ(decoded.totals.formFeeds, 2);
    EXPECT_EQ(stream.back(), 0x0C);
    // Every row of the lines it had read was drained onto page 2.
    for (int c = 0; c < 6; ++c)
        for (uint32_t y = 0; y < halfLines; ++y) {
            const auto& want = pages[1].lines[y][c];
            const bool ink = std::any_of(want.begin(), want.end(), [](uint8_t b) { return b; });
            EXPECT_EQ(decoded.pages[1].rows[c].count(y), ink ? 1u : 0u) << c << " " << y;
        }
    std::remove(raster.c_str());
    std::remove(out.c_str());
}

void write_picture(const std::string& path) {
    vrelo_tools::PngWriter png;
    std::string error;
    ASSERT_TRUE(png.open(path, 90, 30, vrelo_tools::PngWriter::Kind::kRgb, &error)) << error;
    std::vector<uint8_t> row(90 * 3);
    for (uint32_t y = 0; y < 30; ++y) {
        for (uint32_t x = 0; x < 90; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 255 / 89);
            row[3 * x + 1] = static_cast<uint8_t>(y * 255 / 29);
            row[3 * x + 2] = static_cast<uint8_t>((x + y) % 2 ? 40 : 220);
        }
        ASSERT_TRUE(png.write_row(row.data(), &error));
    }
    ASSERT_TRUE(png.close(&error));
}

TEST(PrintedPictures, TheirDitheredPlanesAreWhatTheStreamHolds) {
    const std::string picture = vrelo_test::temp_path("in.png");
    const std::string stream = vrelo_test::temp_path("out.prn");
    const std::string printedDir = vrelo_test::temp_path("printed");
    const std::string decodedDir = vrelo_test::temp_path("decoded");
    write_picture(picture);
    struct Setup {
        const char* arguments;
        const char* inspect;
    };
    for (const Setup& s : {Setup{"--resolution 720x720 --quality high --dpi 300", "--bits 2"},
                           Setup{"--resolution 1440x720 --quality draft --media photo --dpi 200",
                                 "--delays 1440x720"}}) {
        vrelo_test::run_command("rm -rf " + printedDir + " " + decodedDir + "; mkdir -p " +
                                printedDir + " " + decodedDir);
        const ToolRun print =
            vrelo_test::run_command(kPrint + " --quiet " + s.arguments + " --planes " + printedDir +
                                    " -o " + stream + " " + picture);
        ASSERT_EQ(print.exitStatus, 0) << print.err;
        const ToolRun inspect = vrelo_test::run_inspect(
            std::string(s.inspect) + " --scale 1 --planes " + decodedDir + " " + stream);
        ASSERT_EQ(inspect.exitStatus, 0) << inspect.err;
        for (const char* plane :
             {"black", "yellow", "magenta", "cyan", "light-magenta", "light-cyan"}) {
            const std::string name = std::string("/page-1-") + plane + ".png";
            const auto printed = vrelo_test::read_file(printedDir + name);
            EXPECT_FALSE(printed.empty()) << s.arguments << plane;
            EXPECT_EQ(printed, vrelo_test::read_file(decodedDir + name))
                << s.arguments << " " << plane;
        }
    }
    vrelo_test::run_command("rm -rf " + printedDir + " " + decodedDir + " " + picture + " " +
                            stream);
}

TEST(PrintedPictures, PrologueAndEpilogueFrameTheJob) {
    const std::string picture = vrelo_test::temp_path("in.png");
    const std::string plain = vrelo_test::temp_path("plain.prn");
    const std::string prologue = vrelo_test::temp_path("prologue");
    const std::string epilogue = vrelo_test::temp_path("epilogue");
    write_picture(picture);
    vrelo_test::write_file(prologue, {0x1B, '@'});
    vrelo_test::write_file(epilogue, {0x1B, '@', 0x00});
    ASSERT_EQ(vrelo_test::run_command(kPrint + " -o " + plain + " " + picture).exitStatus, 0);
    const ToolRun run = vrelo_test::run_command(kPrint + " --prologue " + prologue +
                                                " --epilogue " + epilogue + " - <" + picture);
    ASSERT_EQ(run.exitStatus, 0);
    std::vector<uint8_t> want = {0x1B, '@'};
    const std::vector<uint8_t> body = vrelo_test::read_file(plain);
    want.insert(want.end(), body.begin(), body.end());
    want.insert(want.end(), {0x1B, '@', 0x00});
    EXPECT_EQ(bytes_of(run.out), want);
    for (const std::string& path : {picture, plain, prologue, epilogue}) std::remove(path.c_str());
}

}  // namespace

namespace {

TEST(HostileInputs, BrokenPicturesAndShortInputsAreRefusedByName) {
    const std::string path = vrelo_test::temp_path("broken");
    struct Case {
        std::vector<uint8_t> bytes;
        const char* words;
    };
    const std::vector<Case> cases = {
        {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'X'},
         "not a readable PNG image"},
        {{0x89, 'P'}, "too short to be a raster or a picture"},
        {{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F'}, "not a readable JPEG image"},
        {{'h', 'e', 'l', 'l', 'o'}, "is not a CUPS raster stream"},
    };
    for (const Case& c : cases) {
        vrelo_test::write_file(path, c.bytes);
        const ToolRun run = vrelo_test::run_command(kPrint + " " + path);
        EXPECT_EQ(run.exitStatus, 1) << c.words;
        EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << c.words;
    }
    std::remove(path.c_str());
}

}  // namespace
