#include "lobby/zrlobbylistmsgs.h"

#include "core/zrmisc.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbylayout.h"
#include "lobby/zrlobbylists.h"

namespace pk::lobbymsgs {

using namespace lobbylayout;

namespace {

// A field the message carries is stored; one it does not carry leaves the record's value.
template <class Field, class Value>
void Take(const TLobbyFields& f, Field field, Value& to) {
    if (field.at > 0) {
        to = static_cast<Value>(f.Get(field));
    }
}

// The one place a game record takes a game message's fields.
void ReadGame(tSbGame& game, const TLobbyFields& f, const GameLayout& layout) {
    Take(f, layout.defaultSet, game.defaultSet);
    Take(f, layout.maxPlayers, game.maxPlayers);
    Take(f, layout.maxSpectators, game.maxSpectators);
    Take(f, layout.players, game.players);
    Take(f, layout.spectators, game.spectators);
    Take(f, layout.creator, game.creator);
    Take(f, layout.name, game.name);
    Take(f, layout.region, game.region);
    Take(f, layout.status, game.status);
}

// A game message's game, made when it is new; its row is added or updated.
void AddOrUpdateGame(const TLobbyFields& f, const GameLayout& layout) {
    const std::int32_t id = f.Get(layout.id);
    const bool known = FindGame(id) != nullptr;
    ReadGame(NewGame(id), f, layout);
    known ? LobbyView().UpdateGameRow(id) : LobbyView().AddGameRow(id);
}

void JoinPartLine(const std::string& name, const char* what) {
    if (Settings.lobby.showjoinsparts && !Ignored(name)) {
        AddLobbyChat(S("20") + "*** " + S("12") + S("01") + name + E() + what);
    }
}

}  // namespace

void OnJoinedRoom(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::int32_t roomId = f.Get(kJoinedRoom.roomId);
    const std::int32_t privilege = f.Get(kJoinedRoom.privilege);
    const std::int32_t status = f.Get(kJoinedRoom.status);
    const tSbRoom* room = FindRoom(roomId);
    if (!f.ok() || !room) {
        return;
    }
    const std::string roomName = room->name;
    NewCurrentRoom(roomId);
    tSbUser& own = NewRoomUser(ClientState.account.AccountName);
    own.privilege = static_cast<std::uint8_t>(privilege);
    own.status = static_cast<std::uint8_t>(status);
    LobbyModel.ownUser = own.uid;
    RebuildUserList();
    AddLobbyChat(S("01") + S("17") + "***" + E() + " You have joined " + S("23") + roomName);
    LobbyView().SetRoomNameLabel(roomName);
    RefreshOwnStatusButtons();
    if (!SameText(roomName, Sb().RoomName)) {
        Sb().RoomName = roomName;
        Sb().RoomKey.clear();
    }
}

void OnUserJoined(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::string name = f.Get(kUserJoined.name);
    const std::int32_t privilege = f.Get(kUserJoined.privilege);
    const std::int32_t status = f.Get(kUserJoined.status);
    if (!f.ok()) {
        return;
    }
    tSbUser& user = NewRoomUser(name);
    user.privilege = static_cast<std::uint8_t>(privilege);
    user.status = static_cast<std::uint8_t>(status);
    // The joining user's row alone, where a rebuild would put it: rebuilding and sorting every
    // row for every join froze the window for minutes under a flood of joins.
    PlaceRoomUserRow(user);
    JoinPartLine(name, " has joined the room!");
}

void OnRoomUsers(const std::string& payload) {
    const TLobbyFields records(payload, LobbyRecordSep);
    for (int i = 1; i <= records.Count(); ++i) {
        TLobbyFields f(records.View(i), LobbyFieldSep);
        const std::int32_t privilege = f.Get(kRoomUsers.privilege);
        const std::int32_t status = f.Get(kRoomUsers.status);
        if (!f.ok()) {
            break;
        }
        tSbUser& user = NewRoomUser(f.Get(kRoomUsers.name));
        user.privilege = static_cast<std::uint8_t>(privilege);
        user.status = static_cast<std::uint8_t>(status);
    }
    RebuildUserList();
}

void OnUserChanged(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::int32_t privilege = f.Get(kUserChanged.privilege);
    const std::int32_t status = f.Get(kUserChanged.status);
    tSbUser* user = FindRoomUser(f.Get(kUserChanged.name));
    if (!f.ok() || !user) {
        return;
    }
    const bool moved = user->privilege != static_cast<std::uint8_t>(privilege);
    user->privilege = static_cast<std::uint8_t>(privilege);
    user->status = static_cast<std::uint8_t>(status);
    // A new privilege moves the row at once to where a rebuild would put it, so that the rows
    // stay in order and a join placed later finds its place among them.
    if (moved) {
        PlaceRoomUserRow(*user);
    }
    RepaintUserList();
    if (user == OwnUser()) {
        if (user->status != 0) {
            Sb().OwnSavedStatus = user->status;
        }
        RefreshOwnStatusButtons();
    }
}

void OnUserLeft(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::string leaving = f.Get(kUserLeft.name);
    const tSbUser* user = FindRoomUser(leaving);
    if (!user) {
        return;
    }
    const std::string name = user->name;
    const std::uint32_t uid = user->uid;
    JoinPartLine(leaving, " has left the room");
    DisposeRoomUser(name);
    RemoveRoomUserRow(uid);
}

void OnRoomProperties(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    SetRoomProperties(f.Get(kRoomProperties.topic), f.Get(kRoomProperties.lockText),
                      f.Get(kRoomProperties.moderated));
}

void OnRoomAdded(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::int32_t id = f.Get(kRoomAdded.id);
    const bool known = FindRoom(id) != nullptr;
    tSbRoom& room = NewRoom(id);
    room.name = f.Get(kRoomAdded.name);
    room.count = 1;
    room.flag = 0;
    known ? LobbyView().UpdateRoomRow(id) : LobbyView().AddRoomRow(id);
}

void OnRooms(const std::string& payload) {
    const TLobbyFields records(payload, LobbyRecordSep);
    LobbyView().BeginRoomUpdate();
    for (int i = 1; i <= records.Count(); ++i) {
        TLobbyFields f(records.View(i), LobbyFieldSep);
        const std::int32_t id = f.Get(kRooms.id);
        const bool known = FindRoom(id) != nullptr;
        tSbRoom& room = NewRoom(id);
        room.flag = f.Get(kRooms.flag) ? 1 : 0;
        room.count = f.Get(kRooms.count);
        room.name = f.Get(kRooms.name);
        known ? LobbyView().UpdateRoomRow(id) : LobbyView().AddRoomRow(id);
    }
    LobbyView().EndRoomUpdate();
}

void OnRoomChanged(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    tSbRoom* room = FindRoom(f.Get(kRoomChanged.id));
    if (!room) {
        return;
    }
    room->flag = f.Get(kRoomChanged.flag) ? 1 : 0;
    room->count = f.Get(kRoomChanged.count);
    LobbyView().UpdateRoomRow(room->id);
}

void OnRoomRemoved(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const tSbRoom* room = FindRoom(f.Get(kRoomRemoved.id));
    if (!room) {
        return;
    }
    const std::int32_t id = room->id;
    LobbyView().RemoveRoomRow(id);
    DisposeRoom(id);
}

void OnGameAdded(const std::string& payload) {
    AddOrUpdateGame(TLobbyFields(payload, LobbyFieldSep), kGameAdded);
}

void OnGames(const std::string& payload) {
    const TLobbyFields records(payload, LobbyRecordSep);
    LobbyView().BeginGameUpdate();
    for (int i = 1; i <= records.Count(); ++i) {
        AddOrUpdateGame(TLobbyFields(records.View(i), LobbyFieldSep), kGames);
    }
    LobbyView().EndGameUpdate();

    const tmesb& sb = Sb();
    const std::int32_t roomId = LobbyModel.currentRoom->roomId;
    // A room id of 0 would match the cleared fields: only a stored request counts.
    if (!sb.Inviter.empty() && roomId == sb.InviteRoomId) {
        if (const tSbGame* game = FindGame(sb.InviteGameId)) {
            AddLobbyChat(InvitationLine(sb.Inviter, " invited you to join the game ", game->name,
                                        " in this room.  Type "));
        }
    }
    if (!sb.DetailsPlayer.empty() && roomId == sb.DetailsRoomId) {
        RequestPlayerDetails(sb.DetailsPlayer, false, false, false);
    }
}

void OnGameChanged(const std::string& payload) {
    const TLobbyFields f(payload, LobbyFieldSep);
    tSbGame* game = FindGame(f.Get(kGameChanged.id));
    if (!game) {
        return;
    }
    ReadGame(*game, f, kGameChanged);
    LobbyView().UpdateGameRow(game->id);
}

void OnGameRemoved(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const tSbGame* game = FindGame(f.Get(kGameRemoved.id));
    if (!game) {
        return;
    }
    const std::int32_t id = game->id;
    LobbyView().RemoveGameRow(id);
    DisposeGame(id);
}

void OnJoinGameNow(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    tSbGame* game = FindGame(f.Get(kJoinGameNow.id));
    if (!game) {
        return;
    }
    JoinGameNow(*game, f.Get(kJoinGameNow.address), f.Get(kJoinGameNow.port));
}

void OnGameSet(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const tSbGame* game = FindGame(f.Get(kGameSet.id));
    if (!game) {
        return;
    }
    LobbyHost& host = LobbyShell();
    if (Sb().PendingAction == paJoinGame && !host.GameSetWindowVisible()) {
        host.OpenGameSetView(game->id, game->name, f.Get(kGameSet.rules));
    }
}

}  // namespace pk::lobbymsgs
