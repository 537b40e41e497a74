#pragma once
// The game set of the room (message 0x22): its rule keys become the rules in force in
// Settings, and the room chat gets a summary of the major ones.
#include <string>

#include "game/zrgame.h"

namespace pk {

class TGameSet;

// The rules a game set lays down, as the rules record holds them. Touches no global: the client
// puts them in force in Settings, a game server keeps its own. The room message and the ban
// list, which arrive in messages of their own, stay empty.
tgamerules RulesFromGameSet(const TGameSet& set);

// Copies the rule keys of a compressed game set into Settings and keeps the blob as the
// room's current game set. False, with nothing changed, for a blob that is not a game set.
bool ApplyGameSettings(const std::string& blob);

// ", classic mode disabled, special blocks enabled, ..." as the room announces it.
std::string MajorSettingsSummary(const TGameSet& set);

// Message 0x22: show flag and game name, 0x02, compressed game set. Returns the game's name
// (the link keeps it); a broken game set changes nothing and returns nothing.
std::string GameSettingsMessage(const std::string& payload);

}  // namespace pk
