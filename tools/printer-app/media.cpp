// Media sizes, types and margins of the printer (see media.hpp).
#include "media.hpp"

#include <cstring>

namespace vrelo_app {
namespace {

// Named sizes, then the custom range: from 3.5 x 5 in up to the widest
// sheet the head crosses (8.5 in, 12240 dots at 1440 dpi, well inside the
// library's 32767) and 44 in long.
constexpr const char* kSizes[] = {
    "iso_a4_210x297mm",      "na_letter_8.5x11in",       "iso_a5_148x210mm",
    "na_index-4x6_4x6in",    "om_small-photo_100x150mm", "custom_min_89x127mm",
    "custom_max_216x1118mm",
};

constexpr const char* kTypes[] = {kPlainPaper, kPhotoPaper};

pappl_media_col_t loaded_media(const char* sizeName) {
    pappl_media_col_t media;
    std::memset(&media, 0, sizeof media);
    const pwg_media_t* pwg = pwgMediaForPWG(sizeName);
    papplCopyString(media.size_name, sizeName, sizeof media.size_name);
    media.size_width = pwg->width;
    media.size_length = pwg->length;
    media.bottom_margin = media.top_margin = kMarginHundredthsMm;
    media.left_margin = media.right_margin = kMarginHundredthsMm;
    papplCopyString(media.source, kMediaSource, sizeof media.source);
    papplCopyString(media.type, kPlainPaper, sizeof media.type);
    return media;
}

}  // namespace

void fill_media(pappl_pr_driver_data_t* data) {
    data->num_media = static_cast<int>(sizeof kSizes / sizeof kSizes[0]);
    for (int i = 0; i < data->num_media; ++i) data->media[i] = kSizes[i];
    data->num_type = static_cast<int>(sizeof kTypes / sizeof kTypes[0]);
    for (int i = 0; i < data->num_type; ++i) data->type[i] = kTypes[i];
    data->num_source = 1;
    data->source[0] = kMediaSource;
    data->left_right = kMarginHundredthsMm;
    data->bottom_top = kMarginHundredthsMm;
    data->borderless = false;
    data->media_ready[0] = loaded_media(papplLocGetDefaultMediaSizeName());
    data->media_default = data->media_ready[0];
}

bool media_size_supported(const pappl_pr_driver_data_t& data, const pappl_media_col_t& media) {
    int minWidth = 0, minLength = 0, maxWidth = 0, maxLength = 0;
    for (int i = 0; i < data.num_media; ++i) {
        const pwg_media_t* pwg = pwgMediaForPWG(data.media[i]);
        if (pwg == nullptr) continue;
        if (std::strncmp(data.media[i], "custom_min_", 11) == 0) {
            minWidth = pwg->width;
            minLength = pwg->length;
        } else if (std::strncmp(data.media[i], "custom_max_", 11) == 0) {
            maxWidth = pwg->width;
            maxLength = pwg->length;
        } else if (std::strcmp(data.media[i], media.size_name) == 0) {
            return true;
        }
    }
    return media.size_width >= minWidth && media.size_width <= maxWidth &&
           media.size_length >= minLength && media.size_length <= maxLength &&
           media.size_width > 0 && media.size_length > 0;
}

bool media_type_supported(const pappl_pr_driver_data_t& data, const std::string& type) {
    for (int i = 0; i < data.num_type; ++i)
        if (type == data.type[i]) return true;
    return false;
}

bool is_photo_paper(const std::string& type) {
    // Glossy, matte and the other photographic-* types are photo paper too.
    return type.compare(0, std::strlen(kPhotoPaper), kPhotoPaper) == 0;
}

}  // namespace vrelo_app
