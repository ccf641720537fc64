// One job at a time on a printer, and a device that stays open while the
// job writes. PAPPL 1.3.1 starts a job's thread before it marks the printer
// busy, so a job arriving in between starts the same job again beside it
// (and every finishing thread starts the next pending job, again and
// again); and it closes a file: device after every job, also the one the
// other threads are writing to. Each job of the app therefore takes the
// printer's turn before it writes, a job another thread has printed is not
// printed again, and a job to a file: device writes through a device of
// its own. usb: and socket: devices PAPPL keeps open while jobs are queued.
#ifndef VRELO_PRINTER_APP_PRINTER_TURN_HPP
#define VRELO_PRINTER_APP_PRINTER_TURN_HPP

#include <pappl/pappl.h>

namespace vrelo_app {

class PrinterTurn {
  public:
    // Waits for the turn of the job's printer.
    explicit PrinterTurn(pappl_job_t* job);
    // Closes the job's own device, if it opened one, and gives the turn
    // back.
    ~PrinterTurn();
    PrinterTurn(const PrinterTurn&) = delete;
    PrinterTurn& operator=(const PrinterTurn&) = delete;

    // True when another thread has printed this very job.
    bool printed_before() const { return printedBefore_; }

    // The device to write the job to: for a file: device one of the job's
    // own, opened on the first call (nullptr when it cannot be opened);
    // otherwise the one PAPPL gave.
    pappl_device_t* device(pappl_device_t* given);

  private:
    pappl_job_t* job_;
    int printer_;
    int jobId_;
    bool printedBefore_ = false;
    bool ownDevice_ = false;
    pappl_device_t* device_ = nullptr;
};

}  // namespace vrelo_app

#endif
