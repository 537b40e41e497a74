#pragma once
// The game room's life as the game server tells it: games start, pause, resume and end,
// players lose and are put out, move between slots and the watchers, and per-slot values
// arrive. Everything runs on the main thread; lines go to the installed room host.
#include <cstdint>
#include <string>
#include <string_view>

namespace pk {

// Lines shown by the room events, also used by the tests that drive a whole room.
const std::string& GameChatHint();

// Handlers, as the room dispatcher hands over the decoded message fields.
void startgame(const std::string& tokens, int32_t seedA, int32_t seedB,
               const std::string& stackData);
void ingame(int32_t elapsed);
void PauseGame();
void UnpauseGame();
void endgame(const std::string& winner);
void playerlose();
void PlayerOut(int slot);
void MoveSlot(const std::string& name, int newSlot);
void SetSlotValues(const std::string& data);
// Called by the room window's team button: sets and announces the own team.
void SetOwnTeam(const std::string& team);

// The starting stack of the own field: `rows` bottom rows read from the stack data, 4 bits a
// cell. Always exactly FieldWidth x FieldHeight cells.
std::string StackField(const std::string& stackData, int rows);
// The same into `field`, which keeps its room.
void FillStackField(std::string& field, std::string_view stackData, int rows);

// Entry points of the room dispatcher: one per message type, taking the raw payload.
void RoomMsgStartGame(const std::string& payload);   // 0x17
void RoomMsgInGame(const std::string& payload);      // 0x0b
void RoomMsgPause(const std::string& payload);       // 0x0c
void RoomMsgEndGame(const std::string& payload);     // 0x0f
void RoomMsgPlayerLost(const std::string& payload);  // 0x1b
void RoomMsgPlayerOut(const std::string& payload);   // 0x09
void RoomMsgMoveSlot(const std::string& payload);    // 0x24
void RoomMsgSlotValues(const std::string& payload);  // 0x04

inline constexpr uint8_t MsgOwnTeam = 0x0e;

}  // namespace pk
