#pragma once
// The client log: time-stamped lines kept in memory (never written to disk)
// and carried by the error report. Any thread may add lines.
//
// Game routines run their bodies through `LogErrors`: an exception is logged
// as "Error in " + what the caller names (the routine and its arguments) and
// then thrown on, so every caller up the chain adds its own line and the
// report shows the whole path.
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace pk {

// "[" + local time in the short format + "] ".
std::string TimeStamp();
// "(" + local date in the short format + ")".
std::string DateStamp();
// The same stamps appended to `out`.
void AppendTimeStamp(std::string& out);
void AppendDateStamp(std::string& out);

// Appends TimeStamp() + text + CR LF.
void AddLogLine(std::string_view text);
// A copy of the whole log.
std::string ClientLog();
void ClearClientLog();

// Runs `body`; when it throws, logs "Error in " + `routine` and rethrows.
template <class Body>
decltype(auto) LogErrors(std::string_view routine, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        AddLogLine("Error in " + std::string(routine));
        throw;
    }
}

// As above, but the routine's text (with its arguments) is only built when
// an exception is logged: `describe` returns it.
template <class Describe, class Body>
requires std::is_invocable_v<Describe>
decltype(auto) LogErrorsWith(Describe&& describe, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        AddLogLine("Error in " + std::string(describe()));
        throw;
    }
}

}  // namespace pk
