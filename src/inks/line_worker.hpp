// A second thread for the renderer: it runs its job (its part of a line)
// each time it is started, and says when the job is done. Which work goes
// where is the caller's: the parts are cut so that the dots do not depend
// on it.
#ifndef VRELO_INKS_LINE_WORKER_HPP
#define VRELO_INKS_LINE_WORKER_HPP

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace vrelo_inks {

// How far some work on a line has come, for a thread waiting on another
// within the line: short waits, so the waiter checks a few times before
// it gives up its core.
class Progress {
  public:
    void reset() { done_.store(0, std::memory_order_relaxed); }
    void publish(int32_t done) { done_.store(done, std::memory_order_release); }
    // Returns once at least done is published.
    void wait_for(int32_t done) const;

  private:
    std::atomic<int32_t> done_{0};
};

class LineWorker {
  public:
    explicit LineWorker(std::function<void()> job);
    ~LineWorker();
    LineWorker(const LineWorker&) = delete;
    LineWorker& operator=(const LineWorker&) = delete;

    // Runs the job once more; the run before must be done (wait()).
    void start();
    // Returns once the job started last is done.
    void wait();

  private:
    void serve();

    std::mutex mutex_;
    std::condition_variable changed_;
    const std::function<void()> job_;
    // Runs asked for and runs done; a thread waiting on either checks it
    // for a while before it sleeps on changed_.
    std::atomic<uint32_t> started_{0}, finished_{0};
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace vrelo_inks

#endif
