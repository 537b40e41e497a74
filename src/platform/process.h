#pragma once
// Processes: our own identity, starting a program that outlives us, and
// telling whether another one still runs (the updater waits for the client).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pk {

std::int64_t CurrentProcessId();

// The running program's own file, with its links resolved; empty when the
// system cannot say.
std::string ExecutablePath();

// True while the process exists and has not ended (a process that ended but
// was not yet collected by its parent counts as ended).
bool ProcessAlive(std::int64_t pid);

// True when `program` is a regular file (after its links) that this process may execute:
// what can be known of a start before trying it.
bool CanRunProgram(const std::string& program);

// Starts `program` with `arguments` in `folder`, detached: it is nobody's
// child here and goes on after we exit. True when it started.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& folder, std::int64_t* pid = nullptr);

// Runs `work` from the event loop once control returns to it; exceptions
// from `work` are caught and dropped. Needs the application object.
void RunFromEventLoop(std::function<void()> work);

}  // namespace pk
