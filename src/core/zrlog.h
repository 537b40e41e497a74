#pragma once
// The client log: time-stamped lines kept in memory (never written to disk)
// and carried by the error report. Any thread may add lines.
//
// Beside it the three error policies. No exception may cross the event loop, so
// every entry from it (socket, timer, input, paint, dialog and window handlers)
// runs its body through one of them:
// - report (`ReportErrors`): the exception goes to the application's exception
//   handler, which sends the error report and tells the player to restart;
// - log and rethrow (`LogErrors`, `LogErrorsWith`): game routines log
//   "Error in " + what the caller names (the routine and its arguments) and
//   throw on, so every caller up the chain adds its own line and the report
//   shows the whole path;
// - log and go on (`LogAndGoOn`, `LogAndGoOnWith`): the failure costs only
//   what was running (a message of a link, a redraw); its line is logged and
//   the caller carries on.
#include <exception>
#include <functional>
#include <optional>
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

// The message of a std::exception; nothing for any other exception.
std::optional<std::string> ErrorMessage(std::exception_ptr error);

// ---- Log and rethrow

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

// ---- Report

// The application's exception handler; the main window installs it for its lifetime (an empty
// function removes it).
void SetErrorReporter(std::function<void(std::exception_ptr)> reporter);
// Hands `error` to the installed handler; without one (the editor, a window made without the
// main window) it only logs "Error in " + where. Nothing escapes.
void ReportError(std::string_view where, std::exception_ptr error) noexcept;

// Runs `body`; an exception goes to ReportError, never further.
template <class Body>
void ReportErrors(std::string_view where, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        ReportError(where, std::current_exception());
    }
}

// ---- Log and go on

// `routine` + ": " + the exception's message, or `routine` alone for an exception without one.
std::string FailureText(std::string_view routine, std::exception_ptr error);
// Logs "Error in " + FailureText(routine, error). Nothing escapes.
void LogFailure(std::string_view routine, std::exception_ptr error) noexcept;
// Runs `body`; when it throws, logs as LogFailure and returns false. True when `body` finished.
template <class Body>
bool LogAndGoOn(std::string_view routine, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        LogFailure(routine, std::current_exception());
        return false;
    }
}

// As above, but the line is "Error in " + describe() and nothing more, built only when something
// was thrown (for texts with the routine's arguments or its phase). `describe` runs while the
// exception is handled, so it may read it through std::current_exception() (FailureText adds
// its message as LogAndGoOn does).
template <class Describe, class Body>
requires std::is_invocable_v<Describe>
bool LogAndGoOnWith(Describe&& describe, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        try {
            AddLogLine("Error in " + std::string(describe()));
        } catch (...) {
        }
        return false;
    }
}

}  // namespace pk
