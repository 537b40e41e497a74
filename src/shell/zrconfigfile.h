// Reading and writing the configuration files, "pelkorin.cfg" and "gamesets.cfg" beside it.
// Both are read once at start-up and written once at the close, each through the atomic file
// writer, so a crash or a kill during a save leaves the old file whole.
#pragma once

#include <filesystem>

namespace pk {

inline constexpr const char* GameSetFileName = "gamesets.cfg";

// Reads both files and applies every value: the model, the options, the key table, the game
// sets, the lobby's share, the theme and the window's place; ends with the skin event
// "onstart". A missing, empty or damaged file leaves every value at its default. False, after
// telling the player, when no theme could be loaded; the window's place is then not applied.
bool LoadConfig(const std::filesystem::path& file);
// Writes "gamesets.cfg" and then the configuration. A failure is logged, never shown.
bool SaveConfig(const std::filesystem::path& file);

// The window's place for a stored size of 0 x 0: centred on the screen at its own size, each
// half rounded toward zero.
int CentredPosition(int screen, int window);

}  // namespace pk
