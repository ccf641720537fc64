// The renderer's second thread (see line_worker.hpp).
#include "line_worker.hpp"

#include <utility>

namespace vrelo_inks {
namespace {

// Checks of a progress before a waiting thread gives up its core.
constexpr int kSpins = 64;

}  // namespace

void Progress::wait_for(int32_t done) const {
    for (int spin = 0; done_.load(std::memory_order_acquire) < done; ++spin)
        if (spin >= kSpins) std::this_thread::yield();
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
        busy_ = true;
    }
    changed_.notify_all();
}

void LineWorker::wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
}

void LineWorker::serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || stopping_; });
        if (stopping_) return;
        lock.unlock();
        job_();
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace vrelo_inks
