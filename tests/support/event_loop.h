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
// that fires at every turn of the loop notes the thread's time on a processor between its
// firings. A window stays answering for as long as this stays short. Only the thread's own work
// counts: the time it waited for a processor, for the disk or for a processor the machine lent
// elsewhere is the machine's gap, not the program's. (A freeze by waiting, such as a blocking
// lookup, needs its wall time measured instead.)
class EventLoopGaps {
public:
    EventLoopGaps();
    ~EventLoopGaps();
    EventLoopGaps(const EventLoopGaps&) = delete;
    EventLoopGaps& operator=(const EventLoopGaps&) = delete;

    double LongestMs() const;
    long Turns() const;
    // The whole time the thread waited for a processor meanwhile, for the figures.
    double WaitedMs() const;

private:
    struct State;
    State* state_;
};

// True in the builds that run the program several times slower than it ships: under a
// sanitizer, or without the optimiser.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || !defined(__OPTIMIZE__)
inline constexpr bool kSlowBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kSlowBuild = true;
#else
inline constexpr bool kSlowBuild = false;
#endif
#else
inline constexpr bool kSlowBuild = false;
#endif

// True where the compiler optimised the program. Without the optimiser (the sanitizer build)
// each message costs many times what it does in the program shipped, so the few kilobytes the
// client reads in one turn of the event loop already take half of a gap's bound, and twice that
// when other tests share the processors: there the flood tests check what the floods leave and
// print the gaps, and bound them only where the optimiser ran.
#if defined(__OPTIMIZE__)
inline constexpr bool kOptimisedBuild = true;
#else
inline constexpr bool kOptimisedBuild = false;
#endif

// How many messages a flood test sends: `shipped` where the program runs at its speed, a
// twentieth in a slow build, which is still enough for a list rebuilt at every message to stall
// the event loop for seconds there.
constexpr int FloodSize(int shipped) {
    return kSlowBuild ? shipped / 20 : shipped;
}

// Nanoseconds the calling thread has spent runnable but waiting for a processor, from the
// scheduler's own count; 0 where the system does not say.
double RunQueueWaitNs();
// Nanoseconds the calling thread has spent on a processor.
double ThreadCpuNs();

}  // namespace pk::test
