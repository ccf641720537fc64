// The print qualities and media the tools offer, by name, and what each
// asks of the renderer.
#ifndef VRELO_TOOLS_PRINT_QUALITY_HPP
#define VRELO_TOOLS_PRINT_QUALITY_HPP

#include "vrelo417_inks.h"

namespace vrelo_tools {

// Draft: fast dots (in the CUPS chain, Ghostscript's own); Normal: one dot
// size by error diffusion; High: three dot sizes by error diffusion.
enum class Quality { kDraft, kNormal, kHigh };

// "draft", "normal", "high" (any case); false for anything else.
bool parse_quality(const char* name, Quality* quality);
// "plain", "photo" (any case) as VRELO_INKS_PLAIN or VRELO_INKS_PHOTO.
bool parse_media(const char* name, int* media);

// The renderer's dots for a quality: bits and halftone.
void apply_quality(Quality quality, VreloInksOptions* options);

}  // namespace vrelo_tools

#endif
