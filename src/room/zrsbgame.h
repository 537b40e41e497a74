// The special blocks and timed effects bound to the engine: the game records, the rules in
// force, the event queue, the installed display and room host (attack list, in-game chat, slot
// redraws). The option "showincsb" and the main window's 500 ms timer are reached through
// SpecialOutlets until the shell installs the real ones.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "game/zrsb.h"
#include "game/zrtimedsb.h"

namespace pk {

class SpecialOutlets {
public:
    virtual ~SpecialOutlets() = default;
    // The option "showincsb" (on by default).
    virtual bool ShowIncomingSpecials() const { return true; }
    // The main window's 500 ms timer; its handler calls TimedSpecialsTimer.
    virtual void SetTimedTimer(bool /*running*/) {}
};
// nullptr restores the do-nothing outlets.
void SetSpecialOutlets(SpecialOutlets* outlets);

// The special-block rules of the game set in force (Settings.rules).
SpecialRules RulesInForce();

// The environment of the special events over the engine's globals.
SpecialEnv& EngineSpecials();

// Creates the timed-effect list and installs the special blocks as the engine's effects and
// the player slots' hook for a leaving player's timed effects. Safe to call again.
void InstallSpecialBlocks();
void UninstallSpecialBlocks();

// The handler of the main window's 500 ms timer.
void TimedSpecialsTimer();

// Room message 0x11: letters, from-slot, to-slot, then the data (fields cut at 0x02).
void RoomMsgOtherSpecial(const std::string& payload);

}  // namespace pk
