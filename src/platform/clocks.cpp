#include "platform/clocks.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <atomic>
#include <chrono>
#include <mutex>

#include "platform/cp1252.h"

namespace pk {
namespace {

std::mutex tickSourceMutex;
std::function<std::uint32_t()> tickSource;
std::atomic<bool> highResUnavailable{false};

std::int64_t SteadyNanoseconds() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::uint32_t TickCount32() {
    {
        std::lock_guard lock(tickSourceMutex);
        if (tickSource) {
            return tickSource();
        }
    }
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(SteadyNanoseconds() / 1000000));
}

std::optional<std::int64_t> HighResCounter() {
    if (highResUnavailable.load()) {
        return std::nullopt;
    }
    return SteadyNanoseconds();
}

std::optional<std::int64_t> HighResFrequency() {
    if (highResUnavailable.load()) {
        return std::nullopt;
    }
    return std::int64_t{1000000000};
}

void SetTickSourceForTest(std::function<std::uint32_t()> source) {
    std::lock_guard lock(tickSourceMutex);
    tickSource = std::move(source);
}

void SetHighResUnavailableForTest(bool unavailable) {
    highResUnavailable.store(unavailable);
}

std::string LocalShortTime() {
    return QStringToCp1252(QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat));
}

std::string LocalShortDate() {
    return QStringToCp1252(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
}

}  // namespace pk
