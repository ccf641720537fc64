// Jobs already in the printer's own stream (application/vnd.vrelo417, as
// vrelo-print and the CUPS filter write it) go to the device unchanged.
#ifndef VRELO_PRINTER_APP_RAW_STREAM_HPP
#define VRELO_PRINTER_APP_RAW_STREAM_HPP

#include <pappl/pappl.h>

namespace vrelo_app {

// pappl_pr_printfile_cb_t: copies the job's file to the device.
bool print_stream_file(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

}  // namespace vrelo_app

#endif
