#include "lobby/zrlobbychat.h"

#include <cstdint>

#include "core/chatstyle.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "lobby/zrlobbywindow.h"
#include "room/zrroomchat.h"

namespace pk {

namespace {

constexpr int kVkTab = 9;
constexpr int kVkUp = 38;
constexpr int kVkDown = 40;
constexpr int kVkF8 = 119;
constexpr int kVkF12 = 123;

// A line from the chat box's own user is sent under this one-byte command name.
const std::string kRoomChatCommand(1, '\x1E');

tmesb& Sb() {
    return ClientState.lobby;
}

// Without an own user there are no rights.
int OwnPrivilege() {
    const tSbUser* own = OwnUser();
    return own ? static_cast<int>(own->privilege) : static_cast<int>(privNormal);
}

bool Moderator() {
    return Sb().LobbyLinkState == sbConnected && OwnPrivilege() < privVoice;
}

std::string Join(std::initializer_list<std::string> fields) {
    return JoinLobbyFields(fields);
}

void ClearInvitation() {
    Sb().InviteRoomId = 0;
    Sb().InviteGameId = 0;
    Sb().Inviter.clear();
}

void SendChat(const std::string& line) {
    const tsbaroom* room = LobbyModel.currentRoom.get();
    if (room && room->moderated && OwnPrivilege() >= privNormal) {
        AddLobbyChat(ModeratedRoomRefusal());
        return;
    }
    if (CurrentRoomRecord()) {
        SendLobbyCommand(kRoomChatCommand, line);
    }
}

// Ban by name ("2") or by address ("3"): an optional ban time in seconds as word 3.
void SendBan(const char* kind, const std::string& line) {
    const std::string word3 = WordAt(3, line);
    const std::int32_t seconds = ParseInt(word3).value_or(-1);
    if (seconds >= 0) {
        LobbySend(LobbyMsgModerate, Join({kind, WordAt(2, line), word3, RestFromWord(4, line)}));
    } else {
        LobbySend(LobbyMsgModerate, Join({kind, WordAt(2, line), "0", RestFromWord(3, line)}));
    }
}

// A command of the line; false when the word is not one of ours (it goes to the server).
bool LocalCommand(const std::string& command, const std::string& line) {
    const std::string name = WordAt(2, line);
    const bool validName = IsValidName(name);
    if (command == "clear") {
        LobbyShell().ClearLobbyChat();
    } else if (command == "managedb") {
        if (OwnPrivilege() == privAdministrator) {
            LobbyShell().ShowUserDbConsole();
        }
    } else if (command == "r") {
        if (!RecentPrivateNames.empty()) {
            SendLobbyCommand("p", RecentPrivateNames.front() + " " + RestFromWord(2, line));
        }
    } else if (command == "addfriend") {
        if (validName) {
            NewFriend(name);  // an existing entry is kept, not doubled
            RebuildUserList();
            SendFriendsList();
        }
    } else if (command == "ignore") {
        if (validName) {
            NewIgnored(name);
            RebuildUserList();
        }
    } else if (command == "whois") {
        if (validName) {
            RequestPlayerDetails(name, true, false, false);
        }
    } else if (command == "ok") {
        AcceptLobbyInvitation();
    } else if (command == "k") {
        if (Moderator() && validName) {
            LobbySend(LobbyMsgKick, Join({name, RestFromWord(3, line)}));
        }
    } else if (command == "b" || command == "bip") {
        if (Moderator()) {
            SendBan(command == "b" ? "2" : "3", line);
        }
    } else if (command == "allow" || command == "allowip") {
        if (Moderator()) {
            LobbySend(LobbyMsgModerate,
                      Join({command == "allow" ? "4" : "5", name, WordAt(3, line)}));
        }
    } else if (command == "normal") {
        if (Moderator() && validName) {
            LobbySend(LobbyMsgSetNormal, name);
        }
    } else if (command == "voice" || command == "op") {
        if (Moderator() && validName) {
            LobbySend(LobbyMsgModerate,
                      Join({command == "voice" ? "1" : "0", name, WordAt(3, line)}));
        }
    } else {
        return false;
    }
    return true;
}

void ShowHistoryEntry(TLobbyChatEdit& edit) {
    const auto& history = LobbyModel.chatHistory;
    edit.text =
        edit.itemIndex >= 0 ? history[static_cast<std::size_t>(edit.itemIndex)] : std::string();
}

}  // namespace

std::string ModeratedRoomRefusal() {
    return StyleCode("01") + StyleCode("14") +
           "The room is moderated, you do not have permission to speak at this time.";
}

void ProcessLobbyChatLine(const std::string& line) {
    if (!IsValidText(line)) {
        return;
    }
    NoteActivity();
    if (line.front() != '/') {
        SendChat(line);
        return;
    }
    const std::string command = LowerCase(WordAt(1, line).substr(1));
    if (!LocalCommand(command, line)) {
        SendLobbyCommand(command, RestFromWord(2, line));
    }
}

void AcceptLobbyInvitation() {
    tmesb& sb = Sb();
    if (sb.InviteRoomId <= 0 || sb.InviteGameId <= 0 || sb.Inviter.empty()) {
        return;
    }
    // Without the link the rooms are gone with it: the invitation cannot be followed any more.
    const bool linkUp = sb.LobbyLinkState == sbConnected;
    const tSbRoom* current = CurrentRoomRecord();
    if (linkUp && current && current->id == sb.InviteRoomId) {
        const std::int32_t gameId = sb.InviteGameId;
        ClearInvitation();
        if (FindGame(gameId)) {
            RequestJoinGame(gameId);
        } else {
            AddLobbyChat(StyleCode("15") + "That game does not exist any more.");
        }
        return;
    }
    const tSbRoom* room = linkUp ? FindRoom(sb.InviteRoomId) : nullptr;
    if (!room) {
        AddLobbyChat(StyleCode("15") + "That room does not exist any more.");
        ClearInvitation();
        return;
    }
    // The invitation stays: the room's game list repeats it and a second "/ok" joins.
    JoinRoomClicked(room->id);
}

void LobbyChatEnter(TLobbyChatEdit& edit) {
    const std::string line = edit.text;
    ProcessLobbyChatLine(line);
    LobbyModel.chatHistory.push_back(line);
    edit.itemIndex = -1;
    edit.text.clear();
}

bool LobbyChatKeyDown(TLobbyChatEdit& edit, int virtualKey) {
    const int count = static_cast<int>(LobbyModel.chatHistory.size());
    if (edit.itemIndex >= count) {
        edit.itemIndex = -1;  // the history was cleared under a shown entry
    }
    switch (virtualKey) {
        case kVkUp:
            edit.itemIndex = edit.itemIndex != -1 ? edit.itemIndex - 1 : count - 1;
            ShowHistoryEntry(edit);
            return true;
        case kVkDown:
            if (count == 0) {
                return true;
            }
            if (edit.itemIndex == -1) {
                edit.itemIndex = 0;
            } else if (edit.itemIndex == count - 1) {
                edit.itemIndex = -1;
            } else {
                ++edit.itemIndex;
            }
            ShowHistoryEntry(edit);
            return true;
        case kVkTab:
        case kVkF8:
        case kVkF12:
            edit.text = CompletePrivateNick(edit.text, RecentPrivateNames);
            edit.itemIndex = -1;
            return false;
        default:
            return false;
    }
}

}  // namespace pk
