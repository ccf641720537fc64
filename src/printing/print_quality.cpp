// Qualities and media by name (see print_quality.hpp).
#include "print_quality.hpp"

#include <strings.h>

namespace vrelo_tools {

bool parse_quality(const char* name, Quality* quality) {
    if (strcasecmp(name, "draft") == 0)
        *quality = Quality::kDraft;
    else if (strcasecmp(name, "normal") == 0)
        *quality = Quality::kNormal;
    else if (strcasecmp(name, "high") == 0)
        *quality = Quality::kHigh;
    else
        return false;
    return true;
}

bool parse_media(const char* name, int* media) {
    if (strcasecmp(name, "plain") == 0)
        *media = VRELO_INKS_PLAIN;
    else if (strcasecmp(name, "photo") == 0)
        *media = VRELO_INKS_PHOTO;
    else
        return false;
    return true;
}

void apply_quality(Quality quality, VreloInksOptions* options) {
    options->bits = quality == Quality::kHigh ? 2 : 1;
    options->halftone = quality == Quality::kDraft ? VRELO_INKS_BLUE_NOISE : VRELO_INKS_DIFFUSION;
}

}  // namespace vrelo_tools
