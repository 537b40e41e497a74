#pragma once
// Where the audio layer and the players above it say what went wrong. Audio
// faults are never shown to the player and never go into the client log that
// error reports carry: a missing sound card or a bad effect is no error of the
// game. By default the lines go to standard error; a program or a test may
// install its own sink. Any thread may log.
#include <functional>
#include <string>
#include <string_view>

namespace pk::audio {

using LogSink = std::function<void(const std::string& line)>;

// Installs the sink (an empty one restores standard error).
void SetLogSink(LogSink sink);
void Log(std::string_view line);

}  // namespace pk::audio
