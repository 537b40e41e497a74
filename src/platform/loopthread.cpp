#include "platform/loopthread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace pk {

LoopThread::LoopThread(std::function<void()> pass) : pass_(std::move(pass)) {}

LoopThread::~LoopThread() {
    requestStop();
    join();
}

void LoopThread::start() {
    if (thread_.joinable())
        return;
    stop_.store(false);
    thread_ = std::thread([this] { run(); });
}

void LoopThread::pause() {
    std::lock_guard lock(mutex_);
    paused_.store(true);
}

void LoopThread::resume() {
    std::lock_guard lock(mutex_);
    paused_.store(false);
    wake_.notify_all();
}

void LoopThread::setTick(std::chrono::milliseconds tick) {
    std::lock_guard lock(mutex_);
    tickMs_.store(tick.count());
    wake_.notify_all();
}

void LoopThread::requestStop() {
    std::lock_guard lock(mutex_);
    stop_.store(true);
    wake_.notify_all();
}

void LoopThread::join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void LoopThread::sleepTick() {
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    for (;;) {
        const long long tick = tickMs_.load();
        const bool woken = wake_.wait_until(lock, start + std::chrono::milliseconds(tick),
                                            [&] { return stop_.load() || tickMs_.load() != tick; });
        // Woken by a new tick: sleep on to the end of that one, counted from the same start.
        if (!woken || stop_.load())
            return;
    }
}

void LoopThread::run() {
    while (!stop_.load()) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_.load() || !paused_.load(); });
        }
        if (stop_.load())
            break;
        Priority wanted = priority_.load();
        if (wanted != applied_)
            applyPriority(wanted);
        if (pass_)
            pass_();
        if (stop_.load())
            break;
        sleepTick();
    }
}

void LoopThread::applyPriority(Priority priority) {
    applied_ = priority;
    // Per-thread nice values. An unprivileged process may lower its priority
    // but raise it again only down to the nice floor its limit allows, so
    // "lowest" is taken only when "normal" can be restored afterwards.
    rlimit limit{};
    int floor = 20;  // nice values below this need privilege
    if (getrlimit(RLIMIT_NICE, &limit) == 0) {
        floor = limit.rlim_cur == RLIM_INFINITY ? -20 : 20 - static_cast<int>(limit.rlim_cur);
    }
    if (geteuid() == 0)
        floor = -20;
    int nice = 0;
    switch (priority) {
        case Priority::Lowest:
            nice = floor <= 0 ? 19 : 0;
            break;
        case Priority::Normal:
            nice = 0;
            break;
        case Priority::Highest:
            nice = floor < 0 ? std::max(floor, -10) : 0;
            break;
    }
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice);  // a hint; failure is fine
}

}  // namespace pk
