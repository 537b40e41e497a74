#include "core/zrlog.h"

#include <mutex>

#include "core/zrconst.h"
#include "platform/clocks.h"

namespace pk {
namespace {

std::mutex logMutex;
std::string logText;

}  // namespace

std::string TimeStamp() {
    return "[" + LocalShortTime() + "] ";
}

std::string DateStamp() {
    return "(" + LocalShortDate() + ")";
}

void AddLogLine(std::string_view text) {
    std::string line = TimeStamp();
    line += text;
    line += "\r\n";
    std::lock_guard lock(logMutex);
    logText += line;
    if (logText.size() > MaxClientLogSize) {
        // Drop whole lines from the front; a single line longer than the cap
        // keeps its tail.
        std::size_t cut = logText.size() - MaxClientLogSize;
        std::size_t lineEnd = logText.find("\r\n", cut);
        const bool lastLine = lineEnd == std::string::npos || lineEnd + 2 >= logText.size();
        logText.erase(0, lastLine ? cut : lineEnd + 2);
    }
}

std::string ClientLog() {
    std::lock_guard lock(logMutex);
    return logText;
}

void ClearClientLog() {
    std::lock_guard lock(logMutex);
    logText.clear();
}

}  // namespace pk
