#include "libtiff_packbits.hpp"

#include <tiffio.h>

#include <cstring>

namespace vrelo_bench {

// The TIFF file in memory: libtiff writes through these procedures. Each
// encoding rewrites strip 0; only the strip's bytes are of interest.
struct LibtiffStrip::File {
    std::vector<uint8_t> bytes;
    toff_t at = 0;
    toff_t stripStart = 0;
    TIFF* tiff = nullptr;

    static File* of(thandle_t handle) { return static_cast<File*>(handle); }
    static tmsize_t read(thandle_t, void*, tmsize_t) { return 0; }
    static tmsize_t write(thandle_t handle, void* data, tmsize_t size) {
        File* f = of(handle);
        if (f->at + toff_t(size) > f->bytes.size()) f->bytes.resize(f->at + toff_t(size));
        std::memcpy(f->bytes.data() + f->at, data, static_cast<size_t>(size));
        f->at += toff_t(size);
        return size;
    }
    static toff_t seek(thandle_t handle, toff_t offset, int whence) {
        File* f = of(handle);
        f->at = whence == SEEK_SET   ? offset
                : whence == SEEK_CUR ? f->at + offset
                                     : f->bytes.size() + offset;
        return f->at;
    }
    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t handle) { return of(handle)->bytes.size(); }
    static int map(thandle_t, void**, toff_t*) { return 0; }
    static void unmap(thandle_t, void*, toff_t) {}
};

LibtiffStrip::LibtiffStrip(int32_t rowBytes, int32_t rows, int bitsPerPixel)
    : file_(new File), bytes_(rowBytes * rows) {
    TIFF* tiff = TIFFClientOpen("rows", "w", file_.get(), File::read, File::write, File::seek,
                                File::close, File::size, File::map, File::unmap);
    file_->tiff = tiff;
    if (tiff == nullptr) return;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(rowBytes * 8 / bitsPerPixel));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(rows));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(bitsPerPixel));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(1));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(rows));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
}

LibtiffStrip::~LibtiffStrip() {
    if (file_->tiff != nullptr) TIFFClose(file_->tiff);
}

bool LibtiffStrip::encode_only(const uint8_t* rows) {
    if (file_->tiff == nullptr) return false;
    // The file grows by one strip per encoding otherwise.
    file_->bytes.clear();
    file_->at = 0;
    return TIFFWriteEncodedStrip(file_->tiff, 0, const_cast<uint8_t*>(rows), bytes_) == bytes_;
}

std::vector<uint8_t> LibtiffStrip::encode(const uint8_t* rows) {
    if (!encode_only(rows)) return {};
    // The strip is what the last encoding appended: its offset and size
    // are in the directory.
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    if (!TIFFGetField(file_->tiff, TIFFTAG_STRIPOFFSETS, &offsets) ||
        !TIFFGetField(file_->tiff, TIFFTAG_STRIPBYTECOUNTS, &counts))
        return {};
    const uint8_t* strip = file_->bytes.data() + offsets[0];
    return std::vector<uint8_t>(strip, strip + counts[0]);
}

}  // namespace vrelo_bench
