// Defaults that follow their driver (see driver_defaults.hpp). Each default
// is handled as text, the way the record holds it: a table says how to
// read it from driver data, write it back and tell whether a driver
// supports it; vendor defaults are read from the driver attributes.
#include "driver_defaults.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "drivers.hpp"
#include "media.hpp"

namespace vrelo_app {
namespace {

using Data = pappl_pr_driver_data_t;
using Defaults = std::map<std::string, std::string>;

constexpr const char* kRecordHeader =
    "# vrelo-printer-app: the defaults each driver gave when the state was saved";

std::string number(long value) {
    return std::to_string(value);
}
long to_number(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

// One bit of a bit field that a driver offers.
bool one_bit_of(long value, unsigned supported) {
    return value > 0 && (value & (value - 1)) == 0 &&
           (static_cast<unsigned>(value) & supported) != 0;
}

void set_media_size(Data* d, const std::string& name) {
    const pwg_media_t* pwg = pwgMediaForPWG(name.c_str());
    if (pwg == nullptr) return;
    papplCopyString(d->media_default.size_name, name.c_str(), sizeof d->media_default.size_name);
    d->media_default.size_width = pwg->width;
    d->media_default.size_length = pwg->length;
}

bool media_size_valid(const Data& d, const std::string& name) {
    const pwg_media_t* pwg = pwgMediaForPWG(name.c_str());
    if (pwg == nullptr) return false;
    pappl_media_col_t media = {};
    papplCopyString(media.size_name, name.c_str(), sizeof media.size_name);
    media.size_width = pwg->width;
    media.size_length = pwg->length;
    return media_size_supported(d, media);
}

std::string resolution(const Data& d) {
    return number(d.x_default) + "x" + number(d.y_default);
}

void set_resolution(Data* d, const std::string& text) {
    std::sscanf(text.c_str(), "%dx%d", &d->x_default, &d->y_default);
}

bool resolution_valid(const Data& d, const std::string& text) {
    for (int i = 0; i < d.num_resolution; ++i)
        if (text == number(d.x_resolution[i]) + "x" + number(d.y_resolution[i])) return true;
    return false;
}

struct Field {
    const char* name;
    std::string (*get)(const Data&);
    void (*set)(Data*, const std::string&);
    bool (*valid)(const Data& supported, const std::string&);
};

// Every content, scaling and orientation value PAPPL knows.
constexpr unsigned kContentValues = 0x1F;
constexpr unsigned kScalingValues = 0x1F;
constexpr long kFirstOrientation = IPP_ORIENT_PORTRAIT, kLastOrientation = IPP_ORIENT_NONE;

const Field kFields[] = {
    {"media-default", [](const Data& d) { return std::string(d.media_default.size_name); },
     set_media_size, media_size_valid},
    {"media-type-default", [](const Data& d) { return std::string(d.media_default.type); },
     [](Data* d, const std::string& v) {
         papplCopyString(d->media_default.type, v.c_str(), sizeof d->media_default.type);
     },
     [](const Data& d, const std::string& v) { return media_type_supported(d, v); }},
    {"media-source-default", [](const Data& d) { return std::string(d.media_default.source); },
     [](Data* d, const std::string& v) {
         papplCopyString(d->media_default.source, v.c_str(), sizeof d->media_default.source);
     },
     [](const Data& d, const std::string& v) {
         for (int i = 0; i < d.num_source; ++i)
             if (v == d.source[i]) return true;
         return false;
     }},
    {"print-quality-default", [](const Data& d) { return number(d.quality_default); },
     [](Data* d, const std::string& v) { d->quality_default = ipp_quality_t(to_number(v)); },
     [](const Data&, const std::string& v) {
         return to_number(v) >= IPP_QUALITY_DRAFT && to_number(v) <= IPP_QUALITY_HIGH;
     }},
    {"printer-resolution-default", resolution, set_resolution, resolution_valid},
    {"print-color-mode-default",
     [](const Data& d) { return number(static_cast<long>(d.color_default)); },
     [](Data* d, const std::string& v) { d->color_default = pappl_color_mode_t(to_number(v)); },
     [](const Data& d, const std::string& v) {
         return one_bit_of(to_number(v), d.color_supported);
     }},
    {"print-content-optimize-default",
     [](const Data& d) { return number(static_cast<long>(d.content_default)); },
     [](Data* d, const std::string& v) { d->content_default = pappl_content_t(to_number(v)); },
     [](const Data&, const std::string& v) { return one_bit_of(to_number(v), kContentValues); }},
    {"print-scaling-default",
     [](const Data& d) { return number(static_cast<long>(d.scaling_default)); },
     [](Data* d, const std::string& v) { d->scaling_default = pappl_scaling_t(to_number(v)); },
     [](const Data&, const std::string& v) { return one_bit_of(to_number(v), kScalingValues); }},
    {"sides-default", [](const Data& d) { return number(static_cast<long>(d.sides_default)); },
     [](Data* d, const std::string& v) { d->sides_default = pappl_sides_t(to_number(v)); },
     [](const Data& d, const std::string& v) {
         return one_bit_of(to_number(v), d.sides_supported);
     }},
    {"orientation-requested-default", [](const Data& d) { return number(d.orient_default); },
     [](Data* d, const std::string& v) { d->orient_default = ipp_orient_t(to_number(v)); },
     [](const Data&, const std::string& v) {
         return to_number(v) >= kFirstOrientation && to_number(v) <= kLastOrientation;
     }},
    {"identify-actions-default",
     [](const Data& d) { return number(static_cast<long>(d.identify_default)); },
     [](Data* d, const std::string& v) {
         d->identify_default = pappl_identify_actions_t(to_number(v));
     },
     [](const Data& d, const std::string& v) {
         return (to_number(v) & ~static_cast<long>(d.identify_supported)) == 0 && to_number(v) != 0;
     }},
};

const Field* find_field(const std::string& name) {
    for (const Field& field : kFields)
        if (name == field.name) return &field;
    return nullptr;
}

std::string vendor_default_name(const char* vendor) {
    return std::string(vendor) + "-default";
}

std::string attribute_text(ipp_t* attrs, const std::string& name) {
    ipp_attribute_t* attr = ippFindAttribute(attrs, name.c_str(), IPP_TAG_ZERO);
    if (attr == nullptr) return "";
    char text[1024];
    ippAttributeString(attr, text, sizeof text);
    return text;
}

// A vendor default the driver's -supported attribute allows.
bool vendor_value_valid(ipp_t* supportedAttrs, const char* vendor, const std::string& value) {
    const std::string name = std::string(vendor) + "-supported";
    ipp_attribute_t* supported = ippFindAttribute(supportedAttrs, name.c_str(), IPP_TAG_ZERO);
    if (supported == nullptr) return !value.empty();
    switch (ippGetValueTag(supported)) {
        case IPP_TAG_BOOLEAN:
            return value == "true" || value == "false";
        case IPP_TAG_KEYWORD:
            return ippContainsString(supported, value.c_str()) != 0;
        case IPP_TAG_INTEGER:
        case IPP_TAG_RANGE:
            return ippContainsInteger(supported, static_cast<int>(to_number(value))) != 0;
        default:
            return false;
    }
}

Defaults defaults_of(const Data& d, ipp_t* attrs) {
    Defaults defaults;
    for (const Field& field : kFields) defaults[field.name] = field.get(d);
    for (int i = 0; i < d.num_vendor; ++i)
        defaults[vendor_default_name(d.vendor[i])] =
            attribute_text(attrs, vendor_default_name(d.vendor[i]));
    return defaults;
}

// What the named driver gives now.
struct DriverNow {
    Data data{};
    std::unique_ptr<ipp_t, void (*)(ipp_t*)> attrs{nullptr, ippDelete};
    bool known = false;
};

void driver_now(pappl_system_t* system, const char* driverName, DriverNow* now) {
    ipp_t* attrs = nullptr;
    now->known = fill_driver(system, driverName, nullptr, nullptr, &now->data, &attrs, nullptr);
    now->attrs.reset(attrs);
}

std::map<std::string, Defaults> read_record(const std::string& path) {
    std::map<std::string, Defaults> record;
    std::ifstream in(path);
    std::string line, driver;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "Driver")
            driver = value;
        else if (!driver.empty())
            record[driver][key] = value;
    }
    return record;
}

struct Repair {
    pappl_system_t* system;
    std::map<std::string, Defaults> record;
    bool changed;
};

void repair_printer(pappl_printer_t* printer, void* context) {
    Repair& repair = *static_cast<Repair*>(context);
    const char* driverName = papplPrinterGetDriverName(printer);
    DriverNow now;
    driver_now(repair.system, driverName, &now);
    if (!now.known) return;
    Data data;
    papplPrinterGetDriverData(printer, &data);
    std::unique_ptr<ipp_t, void (*)(ipp_t*)> attrs(papplPrinterGetDriverAttributes(printer),
                                                   ippDelete);
    const Defaults loaded = defaults_of(data, attrs.get());
    const Defaults given = defaults_of(now.data, now.attrs.get());
    const auto recorded = repair.record.find(driverName);
    cups_option_t* vendor = nullptr;
    int vendorCount = 0;
    for (const auto& entry : given) {
        const std::string& name = entry.first;
        const std::string& value = loaded.at(name);
        const Field* field = find_field(name);
        const std::string vendorName = name.substr(0, name.size() - std::strlen("-default"));
        const bool valid = field != nullptr
                               ? field->valid(now.data, value)
                               : vendor_value_valid(now.attrs.get(), vendorName.c_str(), value);
        bool driverGaveIt = false;
        if (recorded != repair.record.end()) {
            const auto before = recorded->second.find(name);
            driverGaveIt = before != recorded->second.end() && before->second == value;
        }
        if (valid && (!driverGaveIt || value == entry.second)) continue;
        papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "%s: %s becomes the driver's %s (%s).",
                        name.c_str(), value.c_str(), entry.second.c_str(),
                        valid ? "the driver's default changed" : "the driver no longer offers it");
        if (field != nullptr)
            field->set(&data, entry.second);
        else
            vendorCount =
                cupsAddOption(vendorName.c_str(), entry.second.c_str(), vendorCount, &vendor);
    }
    if (loaded != defaults_of(data, attrs.get()) || vendorCount > 0) {
        papplPrinterSetDriverDefaults(printer, &data, vendorCount, vendor);
        repair.changed = true;
    }
    cupsFreeOptions(vendorCount, vendor);
    if (!media_size_supported(now.data, data.media_ready[0]) ||
        !media_type_supported(now.data, data.media_ready[0].type)) {
        papplPrinterSetReadyMedia(printer, 1, now.data.media_ready);
        repair.changed = true;
    }
}

struct Recording {
    pappl_system_t* system;
    std::set<std::string> drivers;
};

}  // namespace

bool record_driver_defaults(pappl_system_t* system, const std::string& path) {
    Recording recording{system, {}};
    papplSystemIteratePrinters(
        system,
        [](pappl_printer_t* printer, void* context) {
            static_cast<Recording*>(context)->drivers.insert(papplPrinterGetDriverName(printer));
        },
        &recording);
    std::ostringstream text;
    text << kRecordHeader << "\n";
    for (const std::string& driver : recording.drivers) {
        DriverNow now;
        driver_now(system, driver.c_str(), &now);
        if (!now.known) continue;
        text << "Driver " << driver << "\n";
        for (const auto& entry : defaults_of(now.data, now.attrs.get()))
            text << entry.first << " " << entry.second << "\n";
    }
    const std::string partial = path + ".new";
    std::ofstream out(partial, std::ios::trunc);
    out << text.str();
    out.close();
    return out && std::rename(partial.c_str(), path.c_str()) == 0;
}

bool repair_loaded_defaults(pappl_system_t* system, const std::string& path) {
    Repair repair{system, read_record(path), false};
    papplSystemIteratePrinters(system, repair_printer, &repair);
    return repair.changed;
}

}  // namespace vrelo_app
