// Player slots: the six playing places of a room, and the state of the player in one. Shared by
// the game records and the special-block units, which see the slots only through their
// environment.
#pragma once

#include <cstdint>

namespace pk {

// Playing slots are numbered 1..MaxSlots; slot 0 stands for a watcher.
inline constexpr int MaxSlots = 6;

constexpr bool ValidSlot(int slot) {
    return slot >= 1 && slot <= MaxSlots;
}

// `PlayerState` of the player in a slot (tplr). A field reset (every game start) sets
// psPlaying; a loss sets psLost; the end of a game sets each player to one of the first three.
enum PlayerStateId : uint8_t {
    psTeamWon = 0,  // the player's team won
    psWon = 1,      // the player won alone
    psLost = 2,     // lost, put out, or beaten at the end of a game
    psPlaying = 3,
};

}  // namespace pk
