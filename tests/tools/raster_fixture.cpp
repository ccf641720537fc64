// Rasters and streams for the tools' tests (see raster_fixture.hpp). The
// raster is packed here from the planes by the layout rules of the format,
// written independently of the tools' reader.
#include "raster_fixture.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "page_printer.hpp"
#include "temp_files.hpp"

namespace vrelo_test {
namespace {

using vrelo_tools::PlaneRows;

// Raster channel -> library plane (K Y M C m c = 0..5), per colour space.
std::vector<int> channels_of(cups_cspace_t space) {
    if (space == CUPS_CSPACE_CMYK) return {3, 2, 1, 0};
    if (space == CUPS_CSPACE_KCMY) return {0, 3, 2, 1};
    return {0, 3, 2, 1, 5, 4};  // KCMYcm and six-colour DeviceN
}

int pixel_of(const std::vector<uint8_t>& row, int bits, uint32_t x) {
    const uint32_t bit = x * static_cast<uint32_t>(bits);
    return row[bit / 8] >> (8 - bits - static_cast<int>(bit % 8)) & ((1 << bits) - 1);
}

int chunk_bits(size_t channels, int bits) {
    int pixelBits = 4;
    while (pixelBits < static_cast<int>(channels) * bits) pixelBits *= 2;
    return pixelBits;
}

std::vector<uint8_t> pack_line(const PlanePage& page, const PlaneRows& planes, cups_cspace_t space,
                               cups_order_t order) {
    const std::vector<int> channels = channels_of(space);
    std::vector<uint8_t> line;
    if (order == CUPS_ORDER_BANDED) {
        for (const int plane : channels)
            line.insert(line.end(), planes[plane].begin(), planes[plane].end());
        return line;
    }
    const int pixelBits = chunk_bits(channels.size(), page.bits);
    line.assign((static_cast<size_t>(page.width) * pixelBits + 7) / 8, 0);
    for (uint32_t x = 0; x < page.width; ++x) {
        uint32_t pixel = 0;
        for (const int plane : channels)
            pixel =
                pixel << page.bits | static_cast<uint32_t>(pixel_of(planes[plane], page.bits, x));
        const uint64_t bit = static_cast<uint64_t>(x) * pixelBits;
        if (pixelBits == 4) line[bit / 8] |= static_cast<uint8_t>(pixel << (4 - bit % 8));
        if (pixelBits >= 8)
            for (int i = 0; i < pixelBits / 8; ++i)
                line[bit / 8 + i] = static_cast<uint8_t>(pixel >> (pixelBits - 8 * (i + 1)));
    }
    return line;
}

int append_bytes(void* context, const uint8_t* data, size_t length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), data, data + length);
    return 0;
}

}  // namespace

PlanePage random_plane_page(std::mt19937& rng, uint32_t width, uint32_t height, int bits) {
    PlanePage page;
    page.width = width;
    page.bits = bits;
    const size_t planeBytes = (static_cast<size_t>(width) * bits + 7) / 8;
    const uint8_t tailMask = static_cast<uint8_t>(0xFF << ((8 - (width * bits) % 8) % 8));
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    page.lines.resize(height);
    for (uint32_t y = 0; y < height; ++y) {
        for (int colour = 0; colour < vrelo_tools::kPlanes; ++colour) {
            std::vector<uint8_t>& row = page.lines[y][colour];
            row.assign(planeBytes, 0);
            if (pick(3) == 0 && y + 1 < height) continue;
            const size_t from = static_cast<size_t>(pick(static_cast<int>(planeBytes)));
            const size_t to =
                from + static_cast<size_t>(pick(static_cast<int>(planeBytes - from))) + 1;
            for (size_t i = from; i < to; ++i)
                row[i] =
                    pick(4) == 0 ? static_cast<uint8_t>(pick(256)) : (i > from ? row[i - 1] : 0x5A);
            row[planeBytes - 1] &= tailMask;
        }
    }
    return page;
}

cups_page_header2_t raster_header(const PlanePage& page, cups_cspace_t space, cups_order_t order,
                                  uint32_t resX, uint32_t resY) {
    cups_page_header2_t h{};
    const size_t channels = channels_of(space).size();
    h.cupsWidth = page.width;
    h.cupsHeight = static_cast<uint32_t>(page.lines.size());
    h.cupsBitsPerColor = static_cast<uint32_t>(page.bits);
    h.cupsColorSpace = space;
    h.cupsColorOrder = order;
    h.cupsNumColors = static_cast<uint32_t>(channels);
    h.HWResolution[0] = resX;
    h.HWResolution[1] = resY;
    const size_t planeBytes = (static_cast<size_t>(page.width) * page.bits + 7) / 8;
    if (order == CUPS_ORDER_BANDED) {
        h.cupsBitsPerPixel = static_cast<uint32_t>(page.bits);
        h.cupsBytesPerLine = static_cast<uint32_t>(channels * planeBytes);
    } else {
        h.cupsBitsPerPixel = static_cast<uint32_t>(chunk_bits(channels, page.bits));
        h.cupsBytesPerLine =
            static_cast<uint32_t>((static_cast<size_t>(page.width) * h.cupsBitsPerPixel + 7) / 8);
    }
    return h;
}

void write_raster(const std::string& path, const std::vector<PlanePage>& pages, cups_cspace_t space,
                  cups_order_t order, uint32_t resX, uint32_t resY, const HeaderChange& change,
                  bool compressed) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    cups_raster_t* raster =
        cupsRasterOpen(fd, compressed ? CUPS_RASTER_WRITE_COMPRESSED : CUPS_RASTER_WRITE);
    ASSERT_NE(raster, nullptr);
    for (size_t p = 0; p < pages.size(); ++p) {
        const PlanePage& page = pages[p];
        cups_page_header2_t header = raster_header(page, space, order, resX, resY);
        if (change) change(p, &header);
        ASSERT_TRUE(cupsRasterWriteHeader2(raster, &header));
        for (const PlaneRows& planes : page.lines) {
            std::vector<uint8_t> line = pack_line(page, planes, space, order);
            line.resize(header.cupsBytesPerLine, 0);
            ASSERT_EQ(
                cupsRasterWritePixels(raster, line.data(), static_cast<unsigned>(line.size())),
                line.size());
        }
    }
    cupsRasterClose(raster);
    close(fd);
}

std::vector<uint8_t> print_pages(const std::vector<PlanePage>& pages, int resX, int resY,
                                 bool carryOver) {
    std::vector<uint8_t> stream;
    vrelo_tools::PagePrinter printer;
    vrelo_tools::PrintFault fault;
    for (size_t i = 0; i < pages.size(); ++i) {
        VreloJobSetup setup = vrelo_host_setup(resX, resY, pages[i].bits);
        setup.carryOver = carryOver ? 1 : 0;
        EXPECT_TRUE(printer.configure(setup, &fault)) << fault.what;
        printer.begin_page(static_cast<int>(i + 1));
        for (size_t y = 0; y < pages[i].lines.size(); ++y)
            EXPECT_TRUE(printer.print_line(static_cast<int32_t>(y), pages[i].lines[y],
                                           pages[i].width, &fault))
                << fault.what;
        EXPECT_TRUE(printer.end_page(static_cast<int32_t>(pages[i].lines.size()),
                                     i + 1 == pages.size(), &fault))
            << fault.what;
        append_bytes(&stream, printer.page_bytes().data(), printer.page_bytes().size());
    }
    return stream;
}

// In one directory of the test program's own, removed when it ends.
std::string temp_path(const std::string& name) {
    static const TempDir dir;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string testName = test->name();
    for (char& c : testName)
        if (c == '/') c = '-';
    return dir.file(testName + "-" + name);
}

}  // namespace vrelo_test
