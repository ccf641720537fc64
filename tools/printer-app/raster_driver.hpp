// The raster callbacks PAPPL calls for every raster job (PWG and Apple
// raster, JPEG, PNG, and the PDF filter's pages): each line is cropped to
// the printable area, rendered, and handed to the library; each page ends
// as the host contract says, with Join Pages carrying rows over, and its
// stream goes to the device once the page has ended.
#ifndef VRELO_PRINTER_APP_RASTER_DRIVER_HPP
#define VRELO_PRINTER_APP_RASTER_DRIVER_HPP

#include <pappl/pappl.h>

namespace vrelo_app {

bool start_raster_job(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
bool start_raster_page(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                       unsigned page);
bool write_raster_line(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                       unsigned y, const unsigned char* line);
bool end_raster_page(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                     unsigned page);
bool end_raster_job(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

// Between start_raster_job and end_raster_job: true when another thread
// printed this job already (see printer_turn.hpp), for filters that would
// otherwise render it again.
bool raster_job_printed_before(pappl_job_t* job);

}  // namespace vrelo_app

#endif
