#pragma once
// A polite end on SIGINT and SIGTERM (Ctrl+C in a terminal, a session ending): the program
// hears of it on the main thread, from its event loop, and can close its windows as if the
// user had closed them, so that nothing is lost.
#include <functional>

namespace pk {

// Installs the handlers of both signals; `handler` runs on the main thread from the event
// loop, once per signal received. Call once, on the main thread, with an application object.
// False when the signals could not be hooked.
bool OnTerminationSignal(std::function<void()> handler);

}  // namespace pk
