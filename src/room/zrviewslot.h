// The watched slot: a watcher asks the game server to show another player in the big field
// (message 0x21 out), and the server's answer (message 0x21 in) makes that slot OwnSlot.
#pragma once

#include <string>

namespace pk {

// Sends game message 0x21 with the slot number in decimal.
void RequestViewedSlot(int slot);

// Stores the watched player's next piece token, hold token, level and line count where the
// display elements read them (ClientState.game: NextPieceToken, HoldToken, OwnLevel,
// LinesCleared). A slot other than OwnSlot becomes OwnSlot and every display element is
// refreshed; otherwise the next piece, level, line count and hold piece are. Slots outside
// 1..6 are ignored.
void SetViewedSlot(int slot, const std::string& nextPiece, const std::string& holdPiece, int level,
                   int lineCount);
// The form used when the watched player leaves, loses or a game starts: the same slot with no
// next or hold piece, level and line count kept.
void SetViewedSlot(int slot);

// Room message 0x21: tokens 1 slot, 2 level, 3 line count (integers), 4 next piece token,
// 5 hold piece token. Only a watcher's view changes; a playing client logs and ignores it.
void RoomMsgViewedSlot(const std::string& payload);

// Makes SetViewedSlot the player slots' hook. Safe to call again.
void InstallViewedSlot();

}  // namespace pk
