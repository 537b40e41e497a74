#pragma once
// One Qt application object for a whole test program (Qt allows one per
// process). A GUI application on the offscreen platform, so key events and
// application state changes work without a display.
#include <QCoreApplication>

namespace pk::test {

QCoreApplication& EnsureQtApp();

// Runs the event loop until `done` returns true or `timeoutMs` passes;
// returns whether `done` became true.
template <typename Pred>
bool ProcessEventsUntil(Pred done, int timeoutMs = 10000);

}  // namespace pk::test

#include <QDeadlineTimer>
#include <QThread>

template <typename Pred>
bool pk::test::ProcessEventsUntil(Pred done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}
