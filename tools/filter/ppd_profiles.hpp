// The printer profiles a PPD names in its cupsICCProfile entries, chosen
// for a page as CUPS chooses them: the first entry whose colour model
// (the printer's inks, KCMYcm), media type and resolution (empty: any)
// fit the page.
#ifndef VRELO_FILTER_PPD_PROFILES_HPP
#define VRELO_FILTER_PPD_PROFILES_HPP

#include <string>
#include <vector>

#include "raster_format.hpp"

namespace vrelo_filter {

struct ProfileEntry {
    std::string colourModel, mediaType, resolution;  // qualifiers; empty: any
    std::string file;
};

// The entries of a PPD's text, in order.
std::vector<ProfileEntry> ppd_profiles(const std::string& ppdText);

// The file of the first entry fitting the page, or empty. A name without
// a slash is in dataDir/profiles; a file that does not exist is passed
// over.
std::string profile_for(const std::vector<ProfileEntry>& entries,
                        const vrelo_tools::RasterFormat& page, const std::string& dataDir);

}  // namespace vrelo_filter

#endif
