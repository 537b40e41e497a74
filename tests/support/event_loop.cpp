#include "support/event_loop.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "support/widgetapp.h"

namespace pk::test {

void EnsureEventLoop() {
    EnsureWidgetApp();
}

bool RunUntil(const std::function<bool()>& done, int limitMs) {
    EnsureEventLoop();
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

void DrainEvents() {
    EnsureEventLoop();
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace pk::test

namespace pk::test {

namespace {

// "/proc/thread-self/schedstat" holds the thread's time on a processor, its time waiting for
// one and its time slices, in nanoseconds. Kept open, it goes on naming the thread that opened
// it and is read afresh from its start.
class SchedStat {
public:
    SchedStat() : fd_(::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC)) {}
    ~SchedStat() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SchedStat(const SchedStat&) = delete;
    SchedStat& operator=(const SchedStat&) = delete;

    // The thread's time waiting, runnable, for a processor.
    double WaitNs() const {
        char text[128];
        const ssize_t n = fd_ < 0 ? -1 : ::pread(fd_, text, sizeof text - 1, 0);
        if (n <= 0)
            return 0;
        text[n] = '\0';
        unsigned long long onCpu = 0;
        unsigned long long waiting = 0;
        return std::sscanf(text, "%llu %llu", &onCpu, &waiting) == 2 ? static_cast<double>(waiting)
                                                                     : 0.0;
    }

private:
    int fd_;
};

}  // namespace

double RunQueueWaitNs() {
    return SchedStat().WaitNs();
}

double ThreadCpuNs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

struct EventLoopGaps::State {
    QTimer timer;
    SchedStat sched;
    double lastCpu = 0;
    double firstWait = 0;
    double longest = 0;
    long turns = 0;
};

EventLoopGaps::EventLoopGaps() : state_(new State) {
    EnsureEventLoop();
    State& s = *state_;
    s.lastCpu = ThreadCpuNs();
    s.firstWait = s.sched.WaitNs();
    s.timer.setTimerType(Qt::PreciseTimer);
    s.timer.setInterval(0);  // at every turn of the loop
    QObject::connect(&s.timer, &QTimer::timeout, [&s] {
        const double now = ThreadCpuNs();
        s.longest = std::max(s.longest, now - s.lastCpu);
        s.lastCpu = now;
        ++s.turns;
    });
    s.timer.start();
}

EventLoopGaps::~EventLoopGaps() {
    delete state_;
}

double EventLoopGaps::LongestMs() const {
    return state_->longest / 1e6;
}

double EventLoopGaps::WaitedMs() const {
    return (state_->sched.WaitNs() - state_->firstWait) / 1e6;
}

long EventLoopGaps::Turns() const {
    return state_->turns;
}

}  // namespace pk::test
