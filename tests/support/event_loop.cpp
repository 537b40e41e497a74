#include "support/event_loop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

namespace pk::test {

void EnsureEventLoop() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "tests";
        static char* argv[] = {name, nullptr};
        // Never destroyed, like the other application objects of the tests: a key event of a
        // test leaves an input device under it, whose teardown among the static destructors
        // at exit crashes.
        static auto* app = new QCoreApplication(argc, argv);
        (void)app;
    }
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
