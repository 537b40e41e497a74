#pragma once
// The end on SIGINT and SIGTERM (Ctrl+C in a terminal, a session ending): the program hears of
// it on the main thread, from its event loop (a nested one too, such as a message box's), and
// closes in order. Should that not end the process within the grace time, or a second signal
// come, the process ends at once: a signal to end is never left unanswered.
#include <functional>

namespace pk {

// Installs the handlers of both signals; `handler` runs on the main thread from the event
// loop after the first signal. `graceSeconds` (at least 1) after the first signal the
// process ends whatever it is doing. Call once, on the main thread, with an application
// object. False when the signals could not be hooked.
bool OnTerminationSignal(std::function<void()> handler, unsigned graceSeconds);

}  // namespace pk
