// PDF jobs: Ghostscript renders each page at the job's resolution, media
// and colour mode to raster lines, and the app's raster callbacks print
// them as they print any other raster job.
#ifndef VRELO_PRINTER_APP_PDF_FILTER_HPP
#define VRELO_PRINTER_APP_PDF_FILTER_HPP

#include <pappl/pappl.h>

namespace vrelo_app {

constexpr const char* kPdfFormat = "application/pdf";

// pappl_mime_filter_cb_t for application/pdf.
bool print_pdf(pappl_job_t* job, pappl_device_t* device, void* context);

}  // namespace vrelo_app

#endif
