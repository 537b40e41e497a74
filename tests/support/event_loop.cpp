#include "support/event_loop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

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
