// The printer's drivers: one per configuration the printer family offers
// (1440 x 720 delayed with 720 x 720, or 720 x 720 alone; one or three dot
// sizes; six inks), what each tells PAPPL the printer can do, and the
// callbacks PAPPL asks for a driver's data and for a device's driver.
#ifndef VRELO_PRINTER_APP_DRIVERS_HPP
#define VRELO_PRINTER_APP_DRIVERS_HPP

#include <pappl/pappl.h>

namespace vrelo_app {

// What a driver's printer can do.
struct PrinterModel {
    const char* name;         // driver name, as `add -m NAME` takes it
    const char* description;  // make and model shown to users
    bool delayed;             // prints 1440 x 720 (the delayed configuration)
    bool threeDotSizes;       // prints 2 bits per pixel at High quality
};

// The printer-ready stream's MIME type: jobs in it pass through unchanged.
constexpr const char* kStreamFormat = "application/vnd.vrelo417";

// The vendor attribute that carries the rows still due at a page end over
// to the next page (Join Pages).
constexpr const char* kJoinPages = "vrelo417-join-pages";

// The drivers, for papplMainloop.
pappl_pr_driver_t* driver_list(int* count);

// The model of a driver name, or nullptr.
const PrinterModel* find_model(const char* driverName);

// pappl_pr_driver_cb_t: fills the driver data and attributes of a driver.
bool fill_driver(pappl_system_t* system, const char* driverName, const char* deviceUri,
                 const char* deviceId, pappl_pr_driver_data_t* data, ipp_t** attrs, void* context);

// pappl_pr_autoadd_cb_t: the driver for a device whose IEEE-1284 ID names
// this printer's command set, or nullptr.
const char* driver_for_device(const char* deviceInfo, const char* deviceUri, const char* deviceId,
                              void* context);

// pappl_pr_create_cb_t: what every new or loaded printer gets, its six
// supplies and its job limits.
void printer_created(pappl_printer_t* printer, void* context);

}  // namespace vrelo_app

#endif
