#include "support/event_loop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

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

struct EventLoopGaps::State {
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    long turns = 0;
};

EventLoopGaps::EventLoopGaps() : state_(new State) {
    EnsureEventLoop();
    State& s = *state_;
    s.clock.start();
    s.timer.setTimerType(Qt::PreciseTimer);
    s.timer.setInterval(0);  // at every turn of the loop
    QObject::connect(&s.timer, &QTimer::timeout, [&s] {
        const qint64 now = s.clock.nsecsElapsed();
        s.longest = std::max(s.longest, now - s.last);
        s.last = now;
        ++s.turns;
    });
    s.timer.start();
}

EventLoopGaps::~EventLoopGaps() {
    delete state_;
}

double EventLoopGaps::LongestMs() const {
    return static_cast<double>(state_->longest) / 1e6;
}

long EventLoopGaps::Turns() const {
    return state_->turns;
}

}  // namespace pk::test
