#pragma once
// Numbered server texts: both servers send a kind letter, a template code and three place bits
// instead of finished texts; the client fills the template and shows it.
#include <cstdint>
#include <string>
#include <vector>

#include "room/zrroomhost.h"

namespace pk {

// The decoded head of a server text message.
struct ServerText {
    char kind = 0;        // 'c' chat, 'i' information, 'd' dialog, 'D' dialog and disconnect
    int code = 0;         // 13-bit template code
    bool lobby = false;   // show in the lobby chat
    bool room = false;    // show in the room chat
    bool inGame = false;  // show in the in-game message line
    std::string args;     // arguments separated by 0x02
};

// The chat template ('c') that shows one line of the room's message.
inline constexpr int RoomMessageLineCode = 8;

// Decodes the payload (kind byte, 16 bits MSB first, arguments). Nothing for an empty payload.
bool ParseServerText(const std::string& payload, ServerText& out);

// The template of a kind and code, empty when the code has none.
std::string ServerTemplate(char kind, int code);

// Fills a template from up to ten 0x02-separated arguments; missing ones are empty.
std::string FillServerTemplate(const std::string& tmpl, const std::string& args);

// Moves a sender to the front of the recent private-message names (lower-cased, no repeats).
void NotePrivateSender(std::vector<std::string>& recent, const std::string& sender);

// Where a server text goes and what it may do to the links.
struct ServerTextTargets {
    RoomChat& chat;
    RoomDialogs& dialogs;
    RoomLinks& links;
    std::vector<std::string>& recentPrivateNames;
};

void ShowServerMessage(const std::string& payload, ServerTextTargets& to);
void FormatServerMessage(char kind, int code, bool lobby, const std::string& args, bool inGame,
                         bool room, ServerTextTargets& to);

}  // namespace pk
