// The renderer's second thread (see line_worker.hpp).
#include "line_worker.hpp"

#include <utility>

namespace vrelo_inks {
namespace {

// Checks of a progress before a waiting thread gives up its core; then
// turns given up before a thread waiting for a part of a line sleeps. The
// second thread's part of a line is short and the line is long, and a
// thread spinning beside a busy one slows it where the two share a core:
// between lines the second thread sleeps after the checks alone, the
// first one waking it while it works on the line's first part itself.
constexpr int kSpins = 64;
constexpr int kYields = 256;

// Lets a sibling on the same core run while this one checks again.
inline void pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Returns once done() holds: a few checks, then giving up the core a
// number of times, and false if it still does not hold.
template <typename Done>
bool spin_for(Done done, int yields) {
    for (int spin = 0; spin < kSpins; ++spin) {
        if (done()) return true;
        pause();
    }
    for (int turn = 0; turn < yields; ++turn) {
        if (done()) return true;
        std::this_thread::yield();
    }
    return done();
}

}  // namespace

void Progress::wait_for(int32_t done) const {
    while (!spin_for([&] { return done_.load(std::memory_order_acquire) >= done; }, kYields)) {
    }
}

LineWorker::LineWorker(std::function<void()> job)
    : job_(std::move(job)), thread_([this] { serve(); }) {}

LineWorker::~LineWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void LineWorker::start() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        started_.fetch_add(1, std::memory_order_release);
    }
    changed_.notify_all();
}

void LineWorker::wait() {
    const uint32_t started = started_.load(std::memory_order_relaxed);
    const auto done = [&] { return finished_.load(std::memory_order_acquire) == started; };
    if (spin_for(done, kYields)) return;
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, done);
}

void LineWorker::serve() {
    uint32_t served = 0;
    for (;;) {
        const auto asked = [&] { return started_.load(std::memory_order_acquire) != served; };
        if (!spin_for(asked, 0)) {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return asked() || stopping_; });
            if (!asked()) return;  // stopping, nothing asked
        }
        job_();
        ++served;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_.store(served, std::memory_order_release);
        }
        changed_.notify_all();
    }
}

}  // namespace vrelo_inks
