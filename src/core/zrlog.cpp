#include "core/zrlog.h"

#include <mutex>
#include <utility>

#include "core/zrconst.h"
#include "platform/clocks.h"

namespace pk {
namespace {

std::mutex logMutex;
// The log is logText from logStart on: dropping lines from the front only
// moves logStart, and the dropped bytes are erased once they outweigh the
// rest. A full log then costs no move of the whole text per line.
std::string logText;
std::size_t logStart = 0;

std::mutex reporterMutex;
std::function<void(std::exception_ptr)> reporter;

}  // namespace

// Stamps go straight into the text they begin: a log line or an event line is
// built in one string.
void AppendTimeStamp(std::string& out) {
    out += '[';
    AppendLocalShortTime(out);
    out += "] ";
}

void AppendDateStamp(std::string& out) {
    out += '(';
    AppendLocalShortDate(out);
    out += ')';
}

std::string TimeStamp() {
    std::string stamp;
    AppendTimeStamp(stamp);
    return stamp;
}

std::string DateStamp() {
    std::string stamp;
    AppendDateStamp(stamp);
    return stamp;
}

void AddLogLine(std::string_view text) {
    std::lock_guard lock(logMutex);
    AppendTimeStamp(logText);
    logText += text;
    logText += "\r\n";
    const std::size_t size = logText.size() - logStart;
    if (size > MaxClientLogSize) {
        // Drop whole lines from the front; a single line longer than the cap
        // keeps its tail.
        const std::size_t cut = size - MaxClientLogSize;
        const std::size_t lineEnd = logText.find("\r\n", logStart + cut);
        const bool lastLine = lineEnd == std::string::npos || lineEnd + 2 >= logText.size();
        logStart = lastLine ? logStart + cut : lineEnd + 2;
        if (logStart >= logText.size() - logStart) {
            logText.erase(0, logStart);
            logStart = 0;
        }
    }
}

std::string ClientLog() {
    std::lock_guard lock(logMutex);
    return logText.substr(logStart);
}

void ClearClientLog() {
    std::lock_guard lock(logMutex);
    logText.clear();
    logStart = 0;
}

std::optional<std::string> ErrorMessage(std::exception_ptr error) {
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return std::string(e.what());
    } catch (...) {
    }
    return std::nullopt;
}

void SetErrorReporter(std::function<void(std::exception_ptr)> handler) {
    std::lock_guard lock(reporterMutex);
    reporter = std::move(handler);
}

void ReportError(std::string_view where, std::exception_ptr error) noexcept {
    try {
        // A copy: the handler may show a message box, and a window closed meanwhile may
        // install another.
        std::function<void(std::exception_ptr)> handler;
        {
            std::lock_guard lock(reporterMutex);
            handler = reporter;
        }
        if (handler) {
            handler(error);
        } else {
            AddLogLine("Error in " + std::string(where));
        }
    } catch (...) {
    }
}

std::string FailureText(std::string_view routine, std::exception_ptr error) {
    std::string text(routine);
    if (const std::optional<std::string> message = ErrorMessage(error)) {
        text += ": ";
        text += *message;
    }
    return text;
}

void LogFailure(std::string_view routine, std::exception_ptr error) noexcept {
    try {
        AddLogLine("Error in " + FailureText(routine, error));
    } catch (...) {
    }
}

}  // namespace pk
