#include "game/zrlog.h"

#include <mutex>

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
