// Contone pages and pictures as users print them: the filter renders a
// contone raster into exactly the stream the renderer and a job give for
// the same lines, at the quality and media its header asks; vrelo-print
// prints JPEG pictures as it prints PNG ones.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "png_file.hpp"
#include "raster_fixture.hpp"
#include "tool_run.hpp"
#include "vrelo417_inks.h"

namespace {

using vrelo_test::ToolRun;

const std::string kPrint = VRELO_PRINT_PATH;
const std::string kFilter = VRELO_FILTER_PATH;
constexpr uint32_t kWidth = 150, kLines = 48;

// A gradient page of sRGB pixels, line by line.
std::vector<std::vector<uint8_t>> gradient() {
    std::vector<std::vector<uint8_t>> lines(kLines, std::vector<uint8_t>(kWidth * 3));
    for (uint32_t y = 0; y < kLines; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) {
            uint8_t* p = &lines[y][x * 3];
            p[0] = static_cast<uint8_t>(x * 255 / (kWidth - 1));
            p[1] = static_cast<uint8_t>(y * 255 / (kLines - 1));
            p[2] = static_cast<uint8_t>(255 - (x + y) % 256);
        }
    return lines;
}

void write_contone_raster(const std::string& path, const std::vector<std::vector<uint8_t>>& lines,
                          unsigned compression, const char* mediaType) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_WRITE_COMPRESSED);
    cups_page_header2_t h;
    std::memset(&h, 0, sizeof h);
    h.cupsWidth = kWidth;
    h.cupsHeight = kLines;
    h.cupsBitsPerColor = 8;
    h.cupsBitsPerPixel = 24;
    h.cupsBytesPerLine = kWidth * 3;
    h.cupsColorSpace = CUPS_CSPACE_SRGB;
    h.cupsColorOrder = CUPS_ORDER_CHUNKED;
    h.HWResolution[0] = 1440;
    h.HWResolution[1] = 720;
    h.cupsCompression = compression;
    std::snprintf(h.MediaType, sizeof h.MediaType, "%s", mediaType);
    ASSERT_TRUE(cupsRasterWriteHeader2(raster, &h));
    for (const auto& line : lines)
        ASSERT_EQ(cupsRasterWritePixels(raster, const_cast<uint8_t*>(line.data()),
                                        static_cast<unsigned>(line.size())),
                  line.size());
    cupsRasterClose(raster);
    close(fd);
}

// The renderer's planes for the lines, as a page for the page printer.
vrelo_test::PlanePage rendered(const std::vector<std::vector<uint8_t>>& lines, int bits,
                               int media) {
    VreloInksOptions o;
    vrelo_inks_default_options(&o, kWidth);
    o.bits = bits;
    o.media = media;
    VreloInks* r = nullptr;
    char message[VRELO_INKS_MESSAGE_SIZE];
    EXPECT_EQ(vrelo_inks_new(&r, &o, message, sizeof message), VRELO_INKS_OK) << message;
    vrelo_test::PlanePage page;
    page.width = kWidth;
    page.bits = bits;
    vrelo_inks_start_page(r);
    const size_t bytes = (kWidth * static_cast<size_t>(bits) + 7) / 8;
    for (const auto& samples : lines) {
        RasterLine line;
        EXPECT_GE(vrelo_inks_render_line(r, samples.data(), &line), 0);
        vrelo_tools::PlaneRows rows;
        for (int c = 0; c < vrelo_tools::kPlanes; ++c)
            rows[static_cast<size_t>(c)] =
                line.planes[c].data
                    ? std::vector<uint8_t>(line.planes[c].data, line.planes[c].data + bytes)
                    : std::vector<uint8_t>(bytes, 0);
        page.lines.push_back(rows);
    }
    vrelo_inks_free(r);
    return page;
}

TEST(ContonePages, TheFilterRendersThemAsTheRendererAndAJobDo) {
    const auto lines = gradient();
    const std::string raster = vrelo_test::temp_path("contone.ras");
    struct Case {
        unsigned compression;
        const char* mediaType;
        int bits, media;
        const char* says;
    };
    for (const Case& c :
         {Case{1, "Plain", 1, VRELO_INKS_PLAIN, "1 bit, rendered for plain paper"},
          Case{2, "Photo Glossy", 2, VRELO_INKS_PHOTO, "2 bits, rendered for photo paper"},
          Case{0, "", 1, VRELO_INKS_PLAIN, "1 bit, rendered for plain paper"}}) {
        write_contone_raster(raster, lines, c.compression, c.mediaType);
        const ToolRun run = vrelo_test::run_command(kFilter + " 1 tester title 1 '' " + raster);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        const std::vector<uint8_t> want =
            vrelo_test::print_pages({rendered(lines, c.bits, c.media)}, 1440, 720, false);
        EXPECT_EQ(std::vector<uint8_t>(run.out.begin(), run.out.end()), want) << c.mediaType;
    }
    std::remove(raster.c_str());
}

void write_jpeg(const std::string& path, const std::vector<std::vector<uint8_t>>& lines) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = kWidth;
    info.image_height = kLines;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (const auto& line : lines) {
        JSAMPROW row = const_cast<JSAMPROW>(line.data());
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
}

TEST(ContonePages, JpegPicturesPrintAsPngOnesDo) {
    const auto lines = gradient();
    const std::string jpeg = vrelo_test::temp_path("in.jpg");
    const std::string stream = vrelo_test::temp_path("jpeg.prn");
    write_jpeg(jpeg, lines);
    for (const char* quality : {"normal", "high"}) {
        const ToolRun run = vrelo_test::run_command(kPrint + " --quiet --quality " + quality +
                                                    " -o " + stream + " " + jpeg);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const ToolRun inspect = vrelo_test::run_inspect(std::string("--delays 1440x720 --bits ") +
                                                        (quality[0] == 'h' ? "2 " : "1 ") + stream);
        ASSERT_EQ(inspect.exitStatus, 0) << inspect.err;
        EXPECT_NE(inspect.out.find("pages: 1, form feeds: 1"), std::string::npos) << inspect.out;
    }
    std::remove(jpeg.c_str());
    std::remove(stream.c_str());
}

}  // namespace
