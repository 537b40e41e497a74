#pragma once
// The servers status report (message 5) as chat lines.
#include <string>
#include <vector>

namespace pk {

// The lines of a report, in order. Payload: the seconds to the next update, a blank, then
// records separated by 0x01: "gs" and "us" open the game-server and update-server sections,
// the records after them describe one server each (fields separated by 0x02). A record whose
// load or capacity is not a number ends the report there; the lines before it stay.
std::vector<std::string> ServersStatusLines(const std::string& payload);

// A real number with two decimals ("12.50"), whatever the locale.
std::string TwoDecimals(double value);

}  // namespace pk
