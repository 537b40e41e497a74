#pragma once
// Driving the Qt event loop from tests: an application object for the whole
// test program and a bounded wait for a condition. Waits end on the condition,
// never on a measured time; the limit only keeps a broken test from hanging.
#include <functional>

namespace pk::test {

// Creates the QCoreApplication once (unless one exists).
void EnsureEventLoop();

// Runs the event loop until `done` returns true or `limitMs` passes.
// Returns the final value of `done`.
bool RunUntil(const std::function<bool()>& done, int limitMs = 10000);

// Runs the event loop for pending events only (a few rounds, no waiting).
void DrainEvents();

// The longest time the event loop went without coming round, while the meter lives: a timer
// that fires at every turn of the loop notes the time between its firings. A window stays
// answering for as long as this stays short. Time the thread spent runnable but waiting for a
// processor is not counted: on a loaded machine that is the machine's gap, not the program's.
class EventLoopGaps {
public:
    EventLoopGaps();
    ~EventLoopGaps();
    EventLoopGaps(const EventLoopGaps&) = delete;
    EventLoopGaps& operator=(const EventLoopGaps&) = delete;

    double LongestMs() const;
    long Turns() const;
    // The whole time waited for a processor meanwhile, for the figures.
    double WaitedMs() const;

private:
    struct State;
    State* state_;
};

// Nanoseconds the calling thread has spent runnable but waiting for a processor, from the
// scheduler's own count; 0 where the system does not say.
double RunQueueWaitNs();

}  // namespace pk::test
