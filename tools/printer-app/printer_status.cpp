// Supplies and identification (see printer_status.hpp).
#include "printer_status.hpp"

namespace vrelo_app {
namespace {

// The Printer MIB's "unknown" level, which IPP's marker-levels and
// printer-supply carry on.
constexpr int kLevelUnknown = -2;

struct Ink {
    pappl_supply_color_t colour;
    const char* description;
};

// The library's plane order: K, Y, M, C, light magenta, light cyan. The
// level is unknown, and the description says so, since PAPPL's web page
// draws only a bar.
constexpr Ink kInks[] = {
    {PAPPL_SUPPLY_COLOR_BLACK, "Black ink (level unknown)"},
    {PAPPL_SUPPLY_COLOR_YELLOW, "Yellow ink (level unknown)"},
    {PAPPL_SUPPLY_COLOR_MAGENTA, "Magenta ink (level unknown)"},
    {PAPPL_SUPPLY_COLOR_CYAN, "Cyan ink (level unknown)"},
    {PAPPL_SUPPLY_COLOR_LIGHT_MAGENTA, "Light magenta ink (level unknown)"},
    {PAPPL_SUPPLY_COLOR_LIGHT_CYAN, "Light cyan ink (level unknown)"},
};
constexpr int kInkCount = static_cast<int>(sizeof kInks / sizeof kInks[0]);

}  // namespace

void report_supplies(pappl_printer_t* printer) {
    pappl_supply_t supplies[kInkCount] = {};
    for (int i = 0; i < kInkCount; ++i) {
        supplies[i].color = kInks[i].colour;
        papplCopyString(supplies[i].description, kInks[i].description,
                        sizeof supplies[i].description);
        supplies[i].is_consumed = true;
        supplies[i].level = kLevelUnknown;
        supplies[i].type = PAPPL_SUPPLY_TYPE_INK_CARTRIDGE;
    }
    papplPrinterSetSupplies(printer, kInkCount, supplies);
}

void identify_printer(pappl_printer_t* printer, pappl_identify_actions_t, const char* message) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "Identify-Printer: %s",
                    message != nullptr && *message ? message : "(no message)");
}

}  // namespace vrelo_app
