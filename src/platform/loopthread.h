#pragma once
// A worker thread that runs one pass of a loop, sleeps its tick, and runs the
// next pass, until it is stopped.
//
// Pausing is a gate the loop waits at between passes, never an OS suspension
// (a thread suspended inside a lock or a call would hold it for ever). Sleeps
// and the gate wake at once on `requestStop`, so stopping never waits a tick.
// Priorities are hints: on Linux they are applied as far as the process may
// raise them again later, and silently skipped otherwise.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace pk {

class LoopThread {
public:
    enum class Priority { Lowest, Normal, Highest };

    // `pass` runs on the worker thread; it should return soon after
    // `stopRequested` becomes true.
    explicit LoopThread(std::function<void()> pass);
    ~LoopThread();  // stops and joins

    LoopThread(const LoopThread&) = delete;
    LoopThread& operator=(const LoopThread&) = delete;

    // Creates the thread. It waits at the gate until `resume`, like a thread
    // created suspended.
    void start();
    void pause();
    void resume();
    bool paused() const { return paused_.load(); }

    // A new tick also applies to the sleep in progress, so a thread idling at a long tick
    // picks up a short one at once.
    void setTick(std::chrono::milliseconds tick);
    std::chrono::milliseconds tick() const { return std::chrono::milliseconds(tickMs_.load()); }
    void setPriority(Priority priority) { priority_.store(priority); }
    Priority priority() const { return priority_.load(); }

    // Any thread. The loop ends after its current step; `join` waits for it.
    void requestStop();
    bool stopRequested() const { return stop_.load(); }
    void join();
    bool running() const { return thread_.joinable(); }

private:
    void run();
    void sleepTick();
    void applyPriority(Priority priority);

    std::function<void()> pass_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> paused_{true};
    std::atomic<long long> tickMs_{200};
    std::atomic<Priority> priority_{Priority::Normal};
    Priority applied_ = Priority::Normal;  // worker thread only
    std::mutex mutex_;
    std::condition_variable wake_;
};

}  // namespace pk
