// vrelo-printer-app: the printer as an IPP Everywhere printer application.
// `vrelo-printer-app server` runs it; the other sub-commands (add, submit,
// status ...) talk to the running server through its local socket, and
// start one of their own when none runs.
#include <cstdio>
#include <cstring>

#include "app_system.hpp"
#include "drivers.hpp"
#include "local_socket.hpp"
#include "program.hpp"
#include "server_settings.hpp"
#include "vrelo417.h"  // VRELO_VERSION_STRING

namespace {

void print_usage(void*) {
    std::printf(
        "Usage: %s SUB-COMMAND [OPTIONS] [FILE]\n"
        "\n"
        "Sub-commands:\n"
        "  server           Run the server (IPP and web pages on this machine only, by default).\n"
        "  add              Add a printer: -d PRINTER -m DRIVER -v DEVICE-URI (file:, usb:,\n"
        "                   socket:).\n"
        "  delete           Delete a printer (-d PRINTER).\n"
        "  default          Show or set (-d PRINTER) the default printer.\n"
        "  devices          List the USB and network printers found (needs avahi-daemon).\n"
        "  autoadd          Add every printer of this kind found.\n"
        "  drivers          List the drivers.\n"
        "  modify           Change a printer's settings (-d PRINTER -o NAME-default=VALUE).\n"
        "  options          List a printer's options.\n"
        "  pause, resume    Stop and start printing on a printer.\n"
        "  printers         List the printers.\n"
        "  jobs             List the jobs of a printer.\n"
        "  status           Show the server's, a printer's or a job's state.\n"
        "  submit FILE      Print a file: PDF, JPEG, PNG, PWG or Apple raster, or the printer's\n"
        "                   own stream (-o document-format=application/vnd.vrelo417).\n"
        "  cancel           Cancel a job (-j JOB-ID) or all jobs (-a).\n"
        "  shutdown         Stop the running server.\n"
        "\n"
        "Options:\n"
        "  -d PRINTER       The printer.\n"
        "  -j JOB-ID        The job (cancel).\n"
        "  -m DRIVER        The driver (add, modify).\n"
        "  -n COPIES        Copies (submit).\n"
        "  -o NAME=VALUE    An option (add, modify, server, submit), for example\n"
        "                   print-quality=draft|normal|high, media=iso_a4_210x297mm,\n"
        "                   media-type=stationery|photographic, vrelo417-join-pages=true.\n"
        "  -u URI           An ipp: printer or server URI instead of the local server.\n"
        "  -v DEVICE-URI    The device (add, modify).\n"
        "  --help, --version\n"
        "\n"
        "Server options:\n%s"
        "\n"
        "Exit status:\n"
        "  %d  on success\n"
        "  %d  when the sub-command fails or the command line is wrong (PAPPL\n"
        "     reads the command line and gives %d for both)\n",
        vrelo_app::kAppName, vrelo_app::server_settings_help(), vrelo_tools::kExitSuccess,
        vrelo_tools::kExitFailure, vrelo_tools::kExitFailure);
}

}  // namespace

int main(int argc, char** argv) {
    // PAPPL's own --version says the number alone.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        vrelo_tools::print_version(vrelo_app::kAppName);
        return vrelo_tools::kExitSuccess;
    }
    vrelo_app::place_local_socket();
    vrelo_app::AppContext app;
    app.serverRun = vrelo_app::runs_server(argc, argv);
    int count = 0;
    pappl_pr_driver_t* drivers = vrelo_app::driver_list(&count);
    return papplMainloop(argc, argv, VRELO_VERSION_STRING, vrelo_app::footer_html(), count, drivers,
                         vrelo_app::driver_for_device, vrelo_app::fill_driver, nullptr, nullptr,
                         vrelo_app::create_system, print_usage, &app);
}
