#include "room/zrroomchat.h"

#include <algorithm>

#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "room/zrroomhost.h"

namespace pk {

std::vector<std::string> RecentPrivateNames;

std::string GameChatPayload(bool fromRoom, bool fromGame, const std::string& command,
                            const std::string& text) {
    std::string bits;
    int pos = 0;
    WriteBits(bits, pos, fromRoom ? 1 : 0, 1);
    WriteBits(bits, pos, fromGame ? 1 : 0, 1);
    WriteBits(bits, pos, 0, 6);
    return bits + command + '\x02' + text;
}

void SendGameChat(bool fromRoom, bool fromGame, const std::string& command,
                  const std::string& text) {
    GameSender().SendGameMessage(MsgGameChat, GameChatPayload(fromRoom, fromGame, command, text));
}

namespace {

// "/move name [slot]": a named player of the room goes to the given slot, or without one a
// watcher to the first free slot and a player to the watchers. Anything else asks the server
// to move the own player.
void MoveCommand(const std::string& rest) {
    std::string name = WordAt(1, rest);
    tclient* player = IsValidName(name) ? FindPlayer(name) : nullptr;
    if (!player) {
        Room().ExecuteCommand("move");
        return;
    }
    std::string slotText = WordAt(2, rest);
    int slot = 0;
    if (slotText.empty()) {
        slot = player->slot == 0 ? FirstFreeSlot() : 0;
    } else {
        slot = ParseInt(slotText).value_or(0);
    }
    GameSender().SendGameMessage(MsgMovePlayer, name + '\x02' + std::to_string(slot));
}

void SlashCommand(bool fromRoom, bool fromGame, const std::string& text) {
    std::string word = LowerCase(WordAt(1, text).substr(1));
    std::string rest = RestFromWord(2, text);
    RoomHost& room = Room();
    if (word == "clear") {
        if (fromRoom)
            room.ClearRoomChat();
        if (fromGame)
            room.ClearGameChat();
    } else if (word == "r") {
        if (!RecentPrivateNames.empty())
            SendGameChat(fromRoom, fromGame, "p", RecentPrivateNames.front() + " " + rest);
    } else if (word == "ready" || word == "ok") {
        room.ExecuteCommand("toggleready");
    } else if (word == "start" || word == "go") {
        room.ExecuteCommand("startgame");
    } else if (word == "stop") {
        room.ExecuteCommand("stopgame");
    } else if (word == "pause") {
        room.ExecuteCommand("pausegame");
    } else if (word == "unpause") {
        room.ExecuteCommand("unpausegame");
    } else if (word == "team") {
        if (room.TeamUpdateEnabled()) {
            room.SetTeamNameText(rest);
            room.UpdateTeamClick();
        }
    } else if (word == "move") {
        MoveCommand(rest);
    } else if (word == "whois") {
        std::string name = WordAt(1, rest);
        if (IsValidName(name))
            room.RequestPlayerDetails(name);
    } else {
        SendGameChat(fromRoom, fromGame, word, rest);
    }
}

}  // namespace

void RoomChatCommand(bool fromRoom, bool fromGame, const std::string& text) {
    if (ClientState.game.GameLinkState != LinkInRoom || !IsValidText(text))
        return;
    if (text[0] == '/') {
        SlashCommand(fromRoom, fromGame, text);
    } else {
        SendGameChat(fromRoom, fromGame, std::string(1, PlainChatCommand), text);
    }
}

std::string CompletePrivateNick(const std::string& text, const std::vector<std::string>& recent) {
    if (LowerCase(WordAt(1, text)) == "/p") {
        std::string message = RestFromWord(3, text);
        auto it = std::find(recent.begin(), recent.end(), LowerCase(WordAt(2, text)));
        if (it != recent.end()) {
            if (it + 1 == recent.end())
                return message;
            return "/p " + *(it + 1) + " " + message;
        }
        if (recent.empty())
            return text;
        return "/p " + recent.front() + " " + message;
    }
    if (recent.empty())
        return text;
    return "/p " + recent.front() + " " + text;
}

}  // namespace pk
