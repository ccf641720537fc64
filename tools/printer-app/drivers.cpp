// The drivers and what each tells PAPPL (see drivers.hpp).
#include "drivers.hpp"

#include <cstring>
#include <string>

#include "media.hpp"
#include "printer_status.hpp"
#include "raster_driver.hpp"
#include "raw_stream.hpp"
#include "server_settings.hpp"

namespace vrelo_app {
namespace {

constexpr PrinterModel kModels[] = {
    {"vrelo417_1440_3dots", "vrelo417 1440x720, three dot sizes, six inks", true, true},
    {"vrelo417_1440", "vrelo417 1440x720, one dot size, six inks", true, false},
    {"vrelo417_720_3dots", "vrelo417 720x720, three dot sizes, six inks", false, true},
    {"vrelo417_720", "vrelo417 720x720, one dot size, six inks", false, false},
};
constexpr int kModelCount = static_cast<int>(sizeof kModels / sizeof kModels[0]);

// The IEEE-1284 command set of this printer's stream.
constexpr const char* kCommandSet = "VRELO417";

pappl_pr_driver_t drivers[kModelCount];
std::string deviceIds[kModelCount];

// Resolutions in the order PAPPL reads print-quality from: draft the
// first, normal the middle, high the last. With 1440 x 720, Draft prints
// 720 x 720 and Normal and High 1440 x 720.
void fill_resolutions(const PrinterModel& model, pappl_pr_driver_data_t* data) {
    data->num_resolution = 0;
    const auto add = [data](int x, int y) {
        data->x_resolution[data->num_resolution] = x;
        data->y_resolution[data->num_resolution] = y;
        ++data->num_resolution;
    };
    add(720, 720);
    if (model.delayed) add(1440, 720);
    data->x_default = data->x_resolution[data->num_resolution - 1];
    data->y_default = data->y_resolution[data->num_resolution - 1];
}

void fill_callbacks(pappl_pr_driver_data_t* data) {
    data->rstartjob_cb = start_raster_job;
    data->rstartpage_cb = start_raster_page;
    data->rwriteline_cb = write_raster_line;
    data->rendpage_cb = end_raster_page;
    data->rendjob_cb = end_raster_job;
    data->printfile_cb = print_stream_file;
    data->identify_cb = identify_printer;
}

// A file: device writes where the server allows (any other device is
// the printer's own).
bool file_device_allowed(const ServerSettings& settings, const char* uri) {
    if (uri == nullptr || std::strncmp(uri, "file:", 5) != 0) return true;
    char scheme[32], user[256], host[256], resource[1024];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof scheme, user, sizeof user, host,
                        sizeof host, &port, resource, sizeof resource) < HTTP_URI_STATUS_OK)
        return false;
    std::string path = resource;
    path = path.substr(0, path.find('?'));  // ?ext=... names the files' extension
    return settings.fileDeviceAllowed(path);
}

// Join Pages: a printer option (its -default) and a job option.
void add_vendor_attributes(pappl_pr_driver_data_t* data, ipp_t* attrs) {
    data->num_vendor = 1;
    data->vendor[0] = kJoinPages;
    const std::string name = kJoinPages;
    ippAddBoolean(attrs, IPP_TAG_PRINTER, (name + "-supported").c_str(), 1);
    ippAddBoolean(attrs, IPP_TAG_PRINTER, (name + "-default").c_str(), 0);
}

// What an IPP Everywhere printer reports and PAPPL 1.3.1 leaves out for a
// printer like this one: the back side of a one-sided printer's sheets,
// the rendering intent the printer chooses itself, and no preferred values
// for Get-Printer-Attributes.
void add_everywhere_attributes(ipp_t* attrs) {
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_CONST_TAG(IPP_TAG_KEYWORD),
                 "pwg-raster-document-sheet-back", nullptr, "normal");
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_CONST_TAG(IPP_TAG_KEYWORD),
                 "print-rendering-intent-supported", nullptr, "auto");
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_CONST_TAG(IPP_TAG_KEYWORD),
                 "print-rendering-intent-default", nullptr, "auto");
    ippAddBoolean(attrs, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
}

}  // namespace

pappl_pr_driver_t* driver_list(int* count) {
    for (int i = 0; i < kModelCount; ++i) {
        drivers[i].name = kModels[i].name;
        drivers[i].description = kModels[i].description;
        deviceIds[i] =
            std::string("MFG:vrelo417;MDL:") + kModels[i].description + ";CMD:" + kCommandSet + ";";
        drivers[i].device_id = deviceIds[i].c_str();
        drivers[i].extension = nullptr;
    }
    *count = kModelCount;
    return drivers;
}

const PrinterModel* find_model(const char* driverName) {
    if (driverName == nullptr) return nullptr;
    for (const PrinterModel& model : kModels)
        if (std::strcmp(model.name, driverName) == 0) return &model;
    return nullptr;
}

bool fill_driver(pappl_system_t* system, const char* driverName, const char* deviceUri, const char*,
                 pappl_pr_driver_data_t* data, ipp_t** attrs, void* context) {
    const PrinterModel* model = find_model(driverName);
    if (model == nullptr) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "No driver named '%s'.", driverName);
        return false;
    }
    const ServerSettings* settings = static_cast<const ServerSettings*>(context);
    if (settings != nullptr && !file_device_allowed(*settings, deviceUri)) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR,
                 "The device %s is refused: file: devices of this server write only in %s "
                 "(file-directory).",
                 deviceUri, settings->fileDirectory.c_str());
        return false;
    }
    fill_callbacks(data);
    // The server's settings, for the jobs' limits.
    data->extension = context;
    data->format = kStreamFormat;
    papplCopyString(data->make_and_model, model->description, sizeof data->make_and_model);
    data->ppm = 5;
    data->ppm_color = 3;
    data->kind = PAPPL_KIND_DOCUMENT | PAPPL_KIND_PHOTO;
    data->has_supplies = true;
    // One of the four orientations, as IPP 2.0 asks of a default; a job
    // may still ask for none, which turns pictures to fit the page.
    data->orient_default = IPP_ORIENT_PORTRAIT;
    // Colour jobs arrive as 8-bit sRGB lines, grey ones as 8-bit grey.
    // Not black_1: PAPPL 1.3.1 hands a client's 1-bit raster over under
    // the job's 8-bit header, at a width and resolution the driver cannot
    // learn, so it could only print it as noise.
    data->raster_types = PAPPL_PWG_RASTER_TYPE_SRGB_8 | PAPPL_PWG_RASTER_TYPE_SGRAY_8;
    data->color_supported = PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_AUTO_MONOCHROME |
                            PAPPL_COLOR_MODE_COLOR | PAPPL_COLOR_MODE_MONOCHROME;
    data->color_default = PAPPL_COLOR_MODE_AUTO;
    data->content_default = PAPPL_CONTENT_AUTO;
    data->quality_default = IPP_QUALITY_NORMAL;
    data->scaling_default = PAPPL_SCALING_AUTO;
    data->duplex = PAPPL_DUPLEX_NONE;
    data->sides_supported = PAPPL_SIDES_ONE_SIDED;
    data->sides_default = PAPPL_SIDES_ONE_SIDED;
    // The printer shows an identification request as a message in its log
    // and on its web page (the printer-state-reasons PAPPL sets).
    data->identify_supported = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
    data->identify_default = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
    fill_resolutions(*model, data);
    fill_media(data);
    if (*attrs == nullptr) *attrs = ippNew();
    add_vendor_attributes(data, *attrs);
    add_everywhere_attributes(*attrs);
    return true;
}

const char* driver_for_device(const char*, const char*, const char* deviceId, void*) {
    if (deviceId == nullptr) return nullptr;
    cups_option_t* keys = nullptr;
    const int count = papplDeviceParseID(deviceId, &keys);
    const char* commands = cupsGetOption("COMMAND SET", count, keys);
    if (commands == nullptr) commands = cupsGetOption("CMD", count, keys);
    const char* driver = nullptr;
    if (commands != nullptr && std::strstr(commands, kCommandSet) != nullptr) {
        const char* modelName = cupsGetOption("MODEL", count, keys);
        if (modelName == nullptr) modelName = cupsGetOption("MDL", count, keys);
        driver = kModels[0].name;  // the whole family prints what it prints
        for (const PrinterModel& model : kModels)
            if (modelName != nullptr && std::strcmp(modelName, model.description) == 0)
                driver = model.name;
    }
    cupsFreeOptions(count, keys);
    return driver;
}

void printer_created(pappl_printer_t* printer, void* context) {
    const ServerSettings* settings = static_cast<const ServerSettings*>(context);
    report_supplies(printer);
    papplPrinterSetMaxActiveJobs(printer, settings->maxActiveJobs);
    papplPrinterSetMaxCompletedJobs(printer, settings->maxCompletedJobs);
}

}  // namespace vrelo_app
