// A progress line on a terminal: pages, lines and the rate, redrawn at
// most a few times a second; nothing at all when stderr is not a terminal
// or the user asked for quiet.
#ifndef VRELO_TOOLS_PROGRESS_HPP
#define VRELO_TOOLS_PROGRESS_HPP

#include <chrono>
#include <cstdint>
#include <string>

namespace vrelo_tools {

class Progress {
  public:
    Progress(const std::string& program, bool quiet);
    void page(int page, uint32_t lines);
    void line(uint32_t line);
    // Clears the line; the terminal is left as it was.
    void done();

  private:
    void draw(bool force);

    std::string program_;
    bool shown_;
    int page_ = 0;
    uint32_t lines_ = 0, line_ = 0;
    uint64_t linesDone_ = 0;
    std::chrono::steady_clock::time_point start_, lastDrawn_;
};

}  // namespace vrelo_tools

#endif
