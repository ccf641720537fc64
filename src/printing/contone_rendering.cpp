// Contone raster through the renderer (see contone_rendering.hpp).
#include "contone_rendering.hpp"

#include <cstring>

namespace vrelo_tools {

ContoneRendering::~ContoneRendering() {
    vrelo_inks_free(renderer_);
}

bool ContoneRendering::start_page(const RasterFormat& f, int media,
                                  const std::string& printerProfile, std::string* error,
                                  int halftone) {
    VreloInksOptions o;
    vrelo_inks_default_options(&o, static_cast<int32_t>(f.width));
    o.input = f.input;
    o.sampleBits = f.sampleBits;
    o.bits = f.bits;
    o.media = media;
    o.halftone = halftone;
    o.threads = 2;  // the renderer's second thread: the same dots, sooner
    o.printerProfile = printerProfile.empty() ? nullptr : printerProfile.c_str();
    const bool same = renderer_ != nullptr && o.input == made_.input &&
                      o.sampleBits == made_.sampleBits && o.width == made_.width &&
                      o.bits == made_.bits && o.media == made_.media &&
                      o.halftone == made_.halftone && printerProfile == profile_;
    if (!same) {
        vrelo_inks_free(renderer_);
        renderer_ = nullptr;
        char message[VRELO_INKS_MESSAGE_SIZE];
        if (vrelo_inks_new(&renderer_, &o, message, sizeof message) != VRELO_INKS_OK) {
            *error = message;
            return false;
        }
        made_ = o;
        profile_ = printerProfile;
    }
    inkGrey_ = f.inkGrey;
    if (inkGrey_) inverted_.resize(f.bytesPerLine);
    vrelo_inks_start_page(renderer_);
    return true;
}

bool ContoneRendering::render(const uint8_t* raster, RasterLine* line, std::string* error) {
    if (inkGrey_) {
        // Black as ink (0 white) to grey as light (0 black): every bit flips,
        // at 8 bits as at 16.
        for (size_t i = 0; i < inverted_.size(); ++i)
            inverted_[i] = static_cast<uint8_t>(~raster[i]);
        raster = inverted_.data();
    }
    if (vrelo_inks_render_line(renderer_, raster, line) >= 0) return true;
    *error = vrelo_inks_message(renderer_);
    return false;
}

}  // namespace vrelo_tools
