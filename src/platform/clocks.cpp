#include "platform/clocks.h"

#include <time.h>

#include <QDate>
#include <QDateTime>
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

namespace {

// Every log line carries the time, and formatting it through the system locale
// costs far more than the line: each text is kept for the second it was made
// in (no short format shows less than a second). The second and the text come
// from one reading of the clock.
struct CachedStamp {
    qint64 second = -1;
    std::string text;
};

template <typename Format>
const std::string& StampOfThisSecond(CachedStamp& cached, Format format) {
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    const qint64 second = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    if (second != cached.second) {
        cached.text = QStringToCp1252(format(QDateTime::fromMSecsSinceEpoch(ms)));
        cached.second = second;
    }
    return cached.text;
}

const std::string& ShortTimeOfThisSecond() {
    thread_local CachedStamp cached;
    return StampOfThisSecond(cached, [](const QDateTime& now) {
        return QLocale::system().toString(now.time(), QLocale::ShortFormat);
    });
}

const std::string& ShortDateOfThisSecond() {
    thread_local CachedStamp cached;
    return StampOfThisSecond(cached, [](const QDateTime& now) {
        return QLocale::system().toString(now.date(), QLocale::ShortFormat);
    });
}

}  // namespace

std::string LocalShortTime() {
    return ShortTimeOfThisSecond();
}

std::string LocalShortDate() {
    return ShortDateOfThisSecond();
}

void AppendLocalShortTime(std::string& out) {
    out += ShortTimeOfThisSecond();
}

void AppendLocalShortDate(std::string& out) {
    out += ShortDateOfThisSecond();
}

std::int32_t LocalMillisecondsOfDay() {
    // localtime_r reads the zone once per process, where a reading through QTime checks the
    // zone file every time: a file system call per reading.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    const std::int32_t seconds = (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec;
    return seconds * 1000 + static_cast<std::int32_t>(now.tv_nsec / 1000000);
}

}  // namespace pk
