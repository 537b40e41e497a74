#pragma once
// Room messages of the scripted game server: what a game server sends to drive a room
// (players arriving and leaving, teams, the start vote, game start, pause, losses, the end,
// slot moves, server texts, the room's game set). Payloads are built here from their fields,
// independently of the client's handlers.
#include <cstdint>
#include <string>
#include <vector>

#include "peers/game_server.h"

namespace pk::peers {

// Four-bit cell values packed MSB first, two to a byte, as the game start carries a stack.
std::string PackStack(const std::vector<int>& cells);

void SendGameSettings(GameServerSession& s, bool show, const std::string& name,
                      const std::string& compressedSet);  // 0x22
// The room message (shown when `show`) and the ban list.
void SendRoomMessage(GameServerSession& s, bool show, const std::string& text);  // 0x19
void SendBanList(GameServerSession& s, const std::string& text);                 // 0x1d
void SendPresent(GameServerSession& s, int slot, const std::string& name,
                 const std::string& team);  // 0x07
void SendArrival(GameServerSession& s, int slot, const std::string& name,
                 const std::string& team);                                              // 0x0d
void SendTeam(GameServerSession& s, const std::string& name, const std::string& team);  // 0x0e
void SendCountdown(GameServerSession& s, int seconds);                                  // 0x23
void SendGameStart(GameServerSession& s, const std::vector<std::string>& tokens, int32_t seedA,
                   int32_t seedB, const std::string& stack);        // 0x17
void SendPause(GameServerSession& s, bool paused);                  // 0x0c
void SendPlayerOut(GameServerSession& s, int slot);                 // 0x09
void SendOwnLoss(GameServerSession& s);                             // 0x1b
void SendGameEnd(GameServerSession& s, const std::string& winner);  // 0x0f
void SendLeave(GameServerSession& s, const std::string& name, const std::string& kicker,
               const std::string& message);                                  // 0x18
void SendMoveSlot(GameServerSession& s, const std::string& name, int slot);  // 0x24
// A numbered server text: kind, template code, the three place bits, arguments.
void SendServerText(GameServerSession& s, char kind, int code, bool lobby, bool room, bool inGame,
                    const std::vector<std::string>& args);  // 0x03

}  // namespace pk::peers
