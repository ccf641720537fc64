// Ghostscript as a child process that renders a document to CUPS raster on
// a pipe: always with -dSAFER (the document may come from anyone), its
// messages kept in a file for the job's log, and stopped when the job is.
#ifndef VRELO_PRINTER_APP_GHOSTSCRIPT_HPP
#define VRELO_PRINTER_APP_GHOSTSCRIPT_HPP

#include <sys/types.h>

#include <string>
#include <vector>

namespace vrelo_app {

class Ghostscript {
  public:
    Ghostscript() = default;
    ~Ghostscript();
    Ghostscript(const Ghostscript&) = delete;
    Ghostscript& operator=(const Ghostscript&) = delete;

    // Starts gs with these device arguments on the input file; its
    // messages go to messagesFile. False with *error when it cannot run.
    bool start(const std::vector<std::string>& deviceArguments, const std::string& input,
               const std::string& messagesFile, std::string* error);

    // The read end of the raster pipe.
    int raster_fd() const { return rasterFd_; }

    // Stops gs early (a cancelled job).
    void stop();

    // Waits for gs; true when it exited with status 0. *messages gets the
    // end of what it printed.
    bool finish(std::string* messages);

  private:
    pid_t pid_ = -1;
    int rasterFd_ = -1;
    std::string messagesFile_;
};

}  // namespace vrelo_app

#endif
