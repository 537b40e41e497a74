#include "lobby/zrlobbydispatch.h"

#include <array>

#include "core/chatstyle.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrversion.h"
#include "game/zrgame.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbylayout.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbylistmsgs.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "lobby/zrlobbystatus.h"
#include "net/zrlobbykeys.h"
#include "room/zrroomchat.h"
#include "room/zrroomhost.h"
#include "room/zrservermsg.h"

namespace pk {

// The list handlers and what every handler shares (zrlobbylistmsgs.h).
using namespace lobbymsgs;
using namespace lobbylayout;

namespace {

// Where a server text from the master server may go: the lobby chat and, through the room
// host, the room chat and the in-game line; its dialogs through the lobby host.
class ServerTextOutlets final : public RoomChat, public RoomDialogs, public RoomLinks {
public:
    void PartylineAddLine(const std::string& line) override { LobbyShell().RoomChatLine(line); }
    void ShowGameMessage(const std::string& line) override { LobbyShell().InGameLine(line); }
    void LobbyChatLine(const std::string& line) override { AddLobbyChat(line); }
    void ShowMessage(const std::string& text) override { LobbyShell().ShowMessage(text); }
    bool LobbyConnected() const override { return Sb().LobbyLinkState == sbConnected; }
    void LobbyDisconnectWithoutRetry() override { LobbyDisconnect(false); }
    void GameDisconnect() override { LobbyShell().GameDisconnect(); }
    bool IsIgnored(const std::string& name) const override { return Ignored(name); }
};

// ---- One handler per code (the lists' in zrlobbylistmsgs.cpp). Each reads its numbers first,
// so that a bad number leaves the model as it was.

void OnPing(const std::string&) {
    LobbySend(LobbyMsgPong, "");
    Sb().LastServerPing = LobbyShell().Seconds();
}

void OnServersStatus(const std::string& payload) {
    for (const std::string& line : ServersStatusLines(payload)) {
        AddLobbyChat(line);
    }
}

void OnRegions(const std::string& payload) {
    tmesb& sb = Sb();
    LobbyHost& host = LobbyShell();
    if (payload.empty()) {
        sb.RegionsStale = 1;
        return;
    }
    if (host.GameSetWindowVisible() && !host.LocationDialogVisible()) {
        return;
    }
    SbRegions.clear();
    const TLobbyFields records(payload, LobbyRecordSep);
    for (int i = 1; i <= records.Count(); ++i) {
        TLobbyFields f(records.View(i), LobbyFieldSep);
        const std::int32_t id = f.Get(kRegions.id);
        if (id > 0) {
            NewRegion(f.Get(kRegions.name), id, f.Get(kRegions.games), f.Get(kRegions.people),
                      f.Get(kRegions.host), f.Get(kRegions.port));
        }
    }
    sb.RegionsStale = 0;
    if (!SbRegions.empty()) {
        switch (sb.PendingAction) {
            case 0:
            case paJoinGame:
                if (const tSbGame* game = PendingGame()) {
                    LobbySend(LobbyMsgJoinGame, std::to_string(game->id));
                }
                break;
            case paCreateGame:
                host.OpenGameSetCreate();
                break;
            default:
                break;
        }
    }
    if (host.LocationDialogVisible()) {
        host.FillRegionList();
    }
    host.StartRegionPings();
}

void OnFriendsOnline(const std::string& payload) {
    for (const auto& user : LobbyModel.friends.Items()) {
        user->present = 0;
        user->status = stActive;
        user->roomId = 0;
    }
    const TLobbyFields records(payload, LobbyRecordSep);
    for (int i = 1; i <= records.Count(); ++i) {
        TLobbyFields f(records.View(i), LobbyFieldSep);
        const std::int32_t status = f.Get(kFriendsOnline.status);
        const std::int32_t roomId = f.Get(kFriendsOnline.roomId);
        if (!f.ok()) {
            break;
        }
        if (tSbUser* user = FindFriend(f.Get(kFriendsOnline.name))) {
            user->status = static_cast<std::uint8_t>(status);
            user->present = 1;
            user->roomId = roomId;
        }
    }
    RebuildUserList();
    RepaintUserList();
}

void OnInvitation(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::string inviter = f.Get(kInvitation.inviter);
    if (Ignored(inviter)) {
        return;
    }
    const std::int32_t roomId = f.Get(kInvitation.roomId);
    const std::int32_t gameId = f.Get(kInvitation.gameId);
    const tSbGame* game = roomId == LobbyModel.currentRoom->roomId ? FindGame(gameId) : nullptr;
    if (game) {
        AddLobbyChat(
            InvitationLine(inviter, " has invited you to join the game ", game->name, ". Type "));
    } else if (const tSbRoom* room = FindRoom(roomId)) {
        AddLobbyChat(InvitationLine(inviter, " has invited you to join a game in room ", room->name,
                                    ". Type "));
    }
    tmesb& sb = Sb();
    sb.InviteRoomId = roomId;
    sb.InviteGameId = gameId;
    sb.Inviter = inviter;
}

void OnStatusList(const std::string& payload) {
    LobbyShell().ShowStatusList(payload);
}
void OnPlayerDetails(const std::string& payload) {
    LobbyShell().ShowPlayerDetails(payload);
}
void OnQuery(const std::string&) {
    LobbySend(LobbyMsgProfile, Sb().OwnProfile);
}
void OnPlayerStats(const std::string& payload) {
    LobbyShell().ShowPlayerStats(TLobbyFields(payload, LobbyFieldSep).Get(kPlayerStats.tables));
}
void OnUserDb(const std::string& payload) {
    LobbyShell().ShowUserDbReply(payload);
}
void OnServerText(const std::string& payload) {
    ServerTextOutlets outlets;
    ServerTextTargets to{outlets, outlets, outlets, RecentPrivateNames};
    ShowServerMessage(payload, to);
}

using Handler = void (*)(const std::string&);
struct Route {
    Handler handler = nullptr;
    bool needsRoom = false;  // ignored without a current room
};

// By code; codes without a handler are ignored.
const std::array<Route, 256>& Routes() {
    static const std::array<Route, 256> routes = [] {
        std::array<Route, 256> r{};
        r[LobbyMsgPing] = {OnPing, false};
        r[kJoinedRoom.code] = {OnJoinedRoom, false};
        r[kUserJoined.code] = {OnUserJoined, true};
        r[kRoomUsers.code] = {OnRoomUsers, true};
        r[kUserChanged.code] = {OnUserChanged, true};
        r[kUserLeft.code] = {OnUserLeft, true};
        r[kRoomProperties.code] = {OnRoomProperties, false};
        r[kRoomAdded.code] = {OnRoomAdded, false};
        r[kRooms.code] = {OnRooms, false};
        r[kRoomChanged.code] = {OnRoomChanged, false};
        r[kRoomRemoved.code] = {OnRoomRemoved, false};
        r[kGameAdded.code] = {OnGameAdded, true};
        r[kGames.code] = {OnGames, true};
        r[kGameChanged.code] = {OnGameChanged, true};
        r[kGameRemoved.code] = {OnGameRemoved, true};
        r[kJoinGameNow.code] = {OnJoinGameNow, true};
        r[kGameSet.code] = {OnGameSet, false};
        r[kServersStatus.code] = {OnServersStatus, false};
        r[kRegions.code] = {OnRegions, false};
        r[kStatusListEntry.code] = {OnStatusList, false};
        r[kFriendsOnline.code] = {OnFriendsOnline, false};
        r[kInvitation.code] = {OnInvitation, true};
        r[LobbyMsgPlayerDetails] = {OnPlayerDetails, false};
        r[LobbyMsgQuery] = {OnQuery, false};
        r[kPlayerStats.code] = {OnPlayerStats, false};
        r[LobbyMsgUserDb] = {OnUserDb, false};
        r[LobbyMsgServerText] = {OnServerText, false};
        return r;
    }();
    return routes;
}

}  // namespace

void LobbyWelcome(std::uint8_t code, const std::string& payload) {
    if (code != kWelcome.code) {
        AddLogLine("Master server sent message " + std::to_string(code) + " before its welcome");
        LobbyDisconnect(false);
        return;
    }
    TLobbyFields f(payload, LobbyFieldSep);
    const std::int32_t welcome = f.Get(kWelcome.welcome);
    const std::int32_t privilege = f.Get(kWelcome.privilege);
    const std::int32_t status = f.Get(kWelcome.status);
    const std::int32_t roomId = f.Get(kWelcome.roomId);
    const std::int32_t flag = f.Get(kWelcome.roomFlag);
    const std::int32_t count = f.Get(kWelcome.roomCount);
    const std::string roomName = f.Get(kWelcome.roomName);
    if (!f.ok()) {
        // The server mixes the welcome number into its key whether or not we can read the
        // rest; a link left half set up could only read garbage from here on.
        AddLogLine("Master server welcome unreadable");
        LobbyDisconnect(false);
        return;
    }
    tmesb& sb = Sb();
    const std::string& account = ClientState.account.AccountName;
    sb.TryCounter = 0;
    const bool known = FindRoom(roomId) != nullptr;
    tSbRoom& room = NewRoom(roomId);
    room.name = roomName;
    room.flag = static_cast<std::uint8_t>(flag);
    room.count = count;
    known ? LobbyView().UpdateRoomRow(roomId) : LobbyView().AddRoomRow(roomId);
    NewCurrentRoom(roomId);
    tSbUser& own = NewRoomUser(account);
    own.privilege = static_cast<std::uint8_t>(privilege);
    own.status = static_cast<std::uint8_t>(status);
    LobbyModel.ownUser = own.uid;
    ClientState.account.WelcomeNumber = welcome;
    MixLobbyKey(LobbyLink.recvKey, static_cast<std::uint32_t>(welcome));
    RebuildUserList();
    SendFriendsList();
    LobbySend(LobbyMsgAwayMessage, sb.AwayMessage);
    AddLobbyChat(S("01") + S("22") + "***" + E() + S("14") +
                 " Connected to Pelkorin Master Server!");
    AddLobbyChat(S("01") + "*** You have joined " + S("23") + roomName);
    LobbyView().SetRoomNameLabel(roomName);
    sb.LobbyLinkState = sbConnected;
    sb.RegionsStale = 1;
    LobbyShell().SetMainCaption(MainCaption(account));
    RefreshOwnStatusButtons();
    LobbyShell().SetUIState(uiLobbyLink, true);
    LobbyLink.transcript.clear();
}

void LobbyDispatch(std::uint8_t code, const std::string& payload) {
    const Route& route = Routes()[code];
    if (!route.handler || (route.needsRoom && !LobbyModel.currentRoom)) {
        return;
    }
    route.handler(payload);
}

void RequestPlayerDetails(const std::string& name, bool lobbyChat, bool roomChat, bool inGame) {
    const std::string line =
        S("15") + "Requesting player details for " + S("01") + name + E() + "...";
    if (lobbyChat) {
        AddLobbyChat(line);
    }
    if (roomChat) {
        LobbyShell().RoomChatLine(line);
    }
    if (inGame) {
        LobbyShell().InGameLine(line);
    }
    LobbySend(LobbyMsgAskDetails, name);
    LobbySend(LobbyMsgAskStats, name);
}

void SendFriendsList() {
    // Every entry is named, an empty name included: the server counts the separators.
    std::string names;
    bool first = true;
    for (const auto& user : LobbyModel.friends.Items()) {
        if (!first) {
            names += LobbyRecordSep;
        }
        first = false;
        names += user->name;
    }
    LobbySend(LobbyMsgFriends, names);
}

void SendRoomProperties(const std::string& topic, const std::string& key, std::uint8_t moderated) {
    LobbySend(LobbyMsgSetRoomProperties,
              topic + LobbyFieldSep + key + LobbyFieldSep + std::to_string(moderated));
}

void SetRoomProperties(const std::string& topic, const std::string& lockText,
                       std::int32_t moderated) {
    if (!LobbyModel.currentRoom) {
        return;
    }
    tsbaroom& room = *LobbyModel.currentRoom;
    room.topic = topic;
    room.lockText = lockText;
    room.moderated = static_cast<std::uint8_t>(moderated);
    LobbyView().ShowLockIcon(!lockText.empty());
    LobbyView().ShowModeratedIcon(room.moderated != 0);
}

void NoteActivity() {
    tmesb& sb = Sb();
    sb.LastActivity = LobbyShell().Seconds();
    if (sb.AutoStatus && sb.LobbyLinkState == sbConnected &&
        ClientState.game.GameLinkState == LinkDown) {
        LobbySend(LobbyMsgOwnStatus, "1");
    }
    sb.AutoStatus = 0;
    sb.AutoStatus2 = 0;
}

}  // namespace pk
