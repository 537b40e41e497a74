#pragma once
// The room's chat line: slash commands carried out here or sent to the game server, plain
// lines sent as chat, and the completion key that turns a line into a private message.
#include <cstdint>
#include <string>
#include <vector>

namespace pk {

// Senders of recent private messages, lower-cased, newest first. Filled by the server texts,
// read by the completion key of the room, game and lobby chat lines.
extern std::vector<std::string> RecentPrivateNames;

inline constexpr uint8_t MsgGameChat = 0x14;
inline constexpr uint8_t MsgMovePlayer = 0x1f;
// The command byte of a plain chat line.
inline constexpr char PlainChatCommand = '\x1e';

// Payload of a chat message: one byte of place bits (bit 7 room window, bit 6 game window),
// the command word, 0x02, the text.
std::string GameChatPayload(bool fromRoom, bool fromGame, const std::string& command,
                            const std::string& text);
void SendGameChat(bool fromRoom, bool fromGame, const std::string& command,
                  const std::string& text);

// A line typed into the room window (fromRoom) or the game window (fromGame).
void RoomChatCommand(bool fromRoom, bool fromGame, const std::string& text);

// The line rewritten as a private message to the next of the recent senders; repeated use
// cycles through them and then back to the plain line.
std::string CompletePrivateNick(const std::string& text, const std::vector<std::string>& recent);

}  // namespace pk
