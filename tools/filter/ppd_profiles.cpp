// cupsICCProfile entries of a PPD (see ppd_profiles.hpp).
#include "ppd_profiles.hpp"

#include <strings.h>
#include <unistd.h>

#include <sstream>

namespace vrelo_filter {
namespace {

const char kKeyword[] = "*cupsICCProfile ";

std::vector<std::string> split_dots(const std::string& qualifiers) {
    std::vector<std::string> parts(3);
    size_t part = 0;
    for (const char c : qualifiers) {
        if (c == '.' && part < 2)
            ++part;
        else
            parts[part] += c;
    }
    return parts;
}

bool fits(const std::string& qualifier, const std::string& value) {
    return qualifier.empty() || strcasecmp(qualifier.c_str(), value.c_str()) == 0;
}

// The colour model of the printer's profiles: its six inks.
const char kInksModel[] = "KCMYcm";

}  // namespace

std::vector<ProfileEntry> ppd_profiles(const std::string& ppdText) {
    std::vector<ProfileEntry> entries;
    std::istringstream lines(ppdText);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, sizeof kKeyword - 1, kKeyword) != 0) continue;
        // *cupsICCProfile Model.Media.Resolution/Text: "file"
        const size_t qualifiersEnd = line.find_first_of("/:", sizeof kKeyword - 1);
        const size_t open = line.find('"'), close = line.rfind('"');
        if (qualifiersEnd == std::string::npos || open == std::string::npos || close <= open)
            continue;
        const std::vector<std::string> q =
            split_dots(line.substr(sizeof kKeyword - 1, qualifiersEnd - (sizeof kKeyword - 1)));
        entries.push_back({q[0], q[1], q[2], line.substr(open + 1, close - open - 1)});
    }
    return entries;
}

std::string profile_for(const std::vector<ProfileEntry>& entries,
                        const vrelo_tools::RasterFormat& page, const std::string& dataDir) {
    const std::string resolution = std::to_string(page.resX) +
                                   (page.resX == page.resY ? "" : "x" + std::to_string(page.resY)) +
                                   "dpi";
    for (const ProfileEntry& e : entries) {
        if (!fits(e.colourModel, kInksModel) || !fits(e.mediaType, page.mediaType) ||
            !fits(e.resolution, resolution))
            continue;
        const std::string path =
            e.file.find('/') == std::string::npos ? dataDir + "/profiles/" + e.file : e.file;
        if (access(path.c_str(), R_OK) == 0) return path;
    }
    return "";
}

}  // namespace vrelo_filter
