// The media the printer takes: sizes (named and custom within limits), the
// two media types and what they mean for the inks, and the margins the
// print head reaches. One home for each of these numbers.
#ifndef VRELO_PRINTER_APP_MEDIA_HPP
#define VRELO_PRINTER_APP_MEDIA_HPP

#include <pappl/pappl.h>

#include <string>

namespace vrelo_app {

// The head reaches to 3 mm of every edge (hundredths of millimetres, as
// IPP gives lengths).
constexpr int kMarginHundredthsMm = 300;

// The paper the printer feeds from.
constexpr const char* kMediaSource = "main";

// media-type keywords: plain paper and photo paper.
constexpr const char* kPlainPaper = "stationery";
constexpr const char* kPhotoPaper = "photographic";

// Fills the media of a driver: sizes, types, the source, what is loaded and
// the default (the locale's A4 or Letter on plain paper), and the margins.
void fill_media(pappl_pr_driver_data_t* data);

// True when the size lies among the named sizes or within the custom
// range; media-type keywords likewise.
bool media_size_supported(const pappl_pr_driver_data_t& data, const pappl_media_col_t& media);
bool media_type_supported(const pappl_pr_driver_data_t& data, const std::string& type);

// True for photo paper, false for plain paper and anything else.
bool is_photo_paper(const std::string& type);

}  // namespace vrelo_app

#endif
