#pragma once
// The system time sources the game's clocks are built on: a 32-bit
// millisecond tick count that wraps after about 49.7 days, and a
// high-resolution counter with its frequency. Also the local time and date as
// the user's locale writes them short.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pk {

// Milliseconds since an arbitrary start, truncated to 32 bits.
std::uint32_t TickCount32();

// Counts of the high-resolution counter, or nothing when it cannot be read.
std::optional<std::int64_t> HighResCounter();
std::optional<std::int64_t> HighResFrequency();

// Tests replace the tick source to reach the 32-bit wrap; an empty function
// restores the real one.
void SetTickSourceForTest(std::function<std::uint32_t()> source);

// Makes the high-resolution counter unavailable (true) or available (false).
void SetHighResUnavailableForTest(bool unavailable);

std::string LocalShortTime();
// Appends LocalShortTime() to out without a string of its own (every log line carries it).
void AppendLocalShortTime(std::string& out);
std::string LocalShortDate();
// The same for LocalShortDate().
void AppendLocalShortDate(std::string& out);

// Milliseconds since local midnight.
std::int32_t LocalMillisecondsOfDay();

}  // namespace pk
