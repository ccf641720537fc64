// One job at a time on a printer's device. PAPPL 1.3.1 starts a job's
// thread before it marks the printer busy, so a second job arriving in
// between starts the same job again (or, when the first was cancelled
// before it began, the next one) beside it; both write to the one device,
// and the first to finish closes it under the other. Each job of the app
// therefore takes the printer's turn while it writes, a job that another
// thread already printed is not printed again, and no thread returns to
// PAPPL (which would close the device) while another is still inside.
#ifndef VRELO_PRINTER_APP_PRINTER_TURN_HPP
#define VRELO_PRINTER_APP_PRINTER_TURN_HPP

#include <pappl/pappl.h>

namespace vrelo_app {

class PrinterTurn {
  public:
    // Waits for the turn of the job's printer.
    explicit PrinterTurn(pappl_job_t* job);
    // Gives the turn back, then waits until no other thread of the printer
    // is inside.
    ~PrinterTurn();
    PrinterTurn(const PrinterTurn&) = delete;
    PrinterTurn& operator=(const PrinterTurn&) = delete;

    // True when another thread has printed this very job.
    bool printed_before() const { return printedBefore_; }

  private:
    int printer_;
    int job_;
    bool printedBefore_ = false;
};

}  // namespace vrelo_app

#endif
