// CUPS raster input through libcups (see raster_input.hpp).
#include "raster_input.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files.hpp"

namespace vrelo_tools {

RasterInput::RasterInput(int fd, std::vector<uint8_t> prefix)
    : fd_(fd), prefix_(std::move(prefix)) {
    raster_ = cupsRasterOpenIO(read_bytes, this, CUPS_RASTER_READ);
}

RasterInput::~RasterInput() {
    if (raster_ != nullptr) cupsRasterClose(raster_);
}

ssize_t RasterInput::read_bytes(void* context, unsigned char* buffer, size_t length) {
    RasterInput* input = static_cast<RasterInput*>(context);
    input->lastRequest_ = length;
    if (input->prefixUsed_ < input->prefix_.size()) {
        const size_t n = std::min(length, input->prefix_.size() - input->prefixUsed_);
        std::memcpy(buffer, input->prefix_.data() + input->prefixUsed_, n);
        input->prefixUsed_ += n;
        input->delivered_ += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t got;
    do {
        got = read(input->fd_, buffer, length);
    } while (got < 0 && errno == EINTR && !(input->cancel_ != nullptr && *input->cancel_ != 0));
    if (got > 0) input->delivered_ += static_cast<uint64_t>(got);
    if (got < 0 && errno != EINTR) input->readError_ = errno;
    return got;
}

RasterInput::Next RasterInput::next_page(RasterFormat* format, std::string* error) {
    const uint64_t before = delivered_;
    lastRequest_ = sizeof header_;
    const int next = page_ + 1;
    if (!cupsRasterReadHeader2(raster_, &header_)) {
        // libcups reports a clean end and a cut header alike. At a clean
        // end it asked for a whole header and got nothing; a part of a
        // header shows as bytes delivered or a smaller request for the rest.
        if (readError_ == 0 && delivered_ == before && lastRequest_ >= sizeof header_)
            return Next::kEnd;
        *error = stopped(next, "the raster ends inside the page header");
        return Next::kError;
    }
    page_ = next;
    linesRead_ = 0;
    const std::string fault = check_raster_header(header_, &format_);
    if (!fault.empty()) {
        *error = "page " + std::to_string(page_) + ": " + fault;
        return Next::kError;
    }
    *format = format_;
    return Next::kPage;
}

bool RasterInput::read_line(uint8_t* line, std::string* error) {
    if (linesRead_ < format_.height &&
        cupsRasterReadPixels(raster_, line, format_.bytesPerLine) == format_.bytesPerLine) {
        ++linesRead_;
        return true;
    }
    *error = stopped(page_, "the raster ends after line " + std::to_string(linesRead_) + " of " +
                                std::to_string(format_.height));
    return false;
}

std::string RasterInput::not_raster(const std::string& name) const {
    if (readError_ == 0) return name + " is not a CUPS raster stream";
    errno = readError_;
    return file_error("read", name);
}

std::string RasterInput::stopped(int page, const std::string& cut) const {
    return "page " + std::to_string(page) + ": " +
           (readError_ != 0 ? std::string("cannot read the raster: ") + std::strerror(readError_)
                            : cut);
}

RasterFile::RasterFile(const std::string& path, std::string* error) {
    fd_ = path == "-" ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        *error = file_error("open", path);
        return;
    }
    input_ = std::make_unique<RasterInput>(fd_);
    if (input_->opened()) return;
    *error = input_->not_raster(input_name(path));
    input_.reset();
}

RasterFile::~RasterFile() {
    input_.reset();
    if (fd_ > STDIN_FILENO) close(fd_);
}

}  // namespace vrelo_tools
