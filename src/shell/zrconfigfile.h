// Reading and writing the configuration files, "pelkorin.cfg" and "gamesets.cfg" beside it.
// Both are read once at start-up and written once at the close, each through the atomic file
// writer, so a crash or a kill during a save leaves the old file whole. Nothing the player had
// is lost on the way: a damaged game set is written back as it was, a file that cannot be read
// is kept aside, and a stored theme or window place that the start-up could not honour is kept.
#pragma once

#include <filesystem>

namespace pk {

inline constexpr const char* GameSetFileName = "gamesets.cfg";

// Reads both files and applies every value: the model, the options, the key table, the game
// sets, the lobby's share, the theme and the window's place; ends with the skin event
// "onstart". A missing or empty file leaves every value at its default. A file that cannot be
// read at all is kept as NAME.bad, and the player is told in one message; so is a
// "gamesets.cfg" of another version, which is then never written over. Temporaries of a save
// that was killed are removed first. False, after telling the player, when no theme could be
// loaded; the window's place is then not applied.
bool LoadConfig(const std::filesystem::path& file);
// Writes "gamesets.cfg" and then the configuration, each keeping its mode and links. A failure
// is logged and shown in one message.
bool SaveConfig(const std::filesystem::path& file);

// The window's place for a stored size of 0 x 0: centred on the screen at its own size, each
// half rounded toward zero.
int CentredPosition(int screen, int window);

}  // namespace pk
