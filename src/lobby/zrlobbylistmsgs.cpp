#include "lobby/zrlobbylistmsgs.h"

#include "core/zrmisc.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbylists.h"

namespace pk::lobbymsgs {

namespace {

void JoinPartLine(const std::string& name, const char* what) {
    if (Settings.lobby.showjoinsparts && !Ignored(name)) {
        AddLobbyChat(S("20") + "*** " + S("12") + S("01") + name + E() + what);
    }
}

}  // namespace

void OnJoinedRoom(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::int32_t roomId = f.NumOr(1, 0);
    const std::int32_t privilege = f.Num(2);
    const std::int32_t status = f.Num(3);
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
    const std::string name = f.Str(1);
    const std::int32_t privilege = f.Num(2);
    const std::int32_t status = f.Num(3);
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
        const std::int32_t privilege = f.Num(2);
        const std::int32_t status = f.Num(3);
        if (!f.ok()) {
            break;
        }
        tSbUser& user = NewRoomUser(f.Str(1));
        user.privilege = static_cast<std::uint8_t>(privilege);
        user.status = static_cast<std::uint8_t>(status);
    }
    RebuildUserList();
}

void OnUserChanged(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::int32_t privilege = f.Num(2);
    const std::int32_t status = f.Num(3);
    tSbUser* user = FindRoomUser(f.Str(1));
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
    const tSbUser* user = FindRoomUser(f.Str(1));
    if (!user) {
        return;
    }
    const std::string name = user->name;
    const std::uint32_t uid = user->uid;
    JoinPartLine(f.Str(1), " has left the room");
    DisposeRoomUser(name);
    RemoveRoomUserRow(uid);
}

void OnRoomProperties(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    SetRoomProperties(f.Str(1), f.Str(2), f.NumOr(3, 0));
}

void OnRoomAdded(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::int32_t id = f.NumOr(1, 0);
    const bool known = FindRoom(id) != nullptr;
    tSbRoom& room = NewRoom(id);
    room.name = f.Str(2);
    room.count = 1;
    room.flag = 0;
    known ? LobbyView().UpdateRoomRow(id) : LobbyView().AddRoomRow(id);
}

void OnRooms(const std::string& payload) {
    const TLobbyFields records(payload, LobbyRecordSep);
    LobbyView().BeginRoomUpdate();
    for (int i = 1; i <= records.Count(); ++i) {
        TLobbyFields f(records.View(i), LobbyFieldSep);
        const std::int32_t id = f.NumOr(1, 0);
        const bool known = FindRoom(id) != nullptr;
        tSbRoom& room = NewRoom(id);
        room.flag = f.View(2) == "1" ? 1 : 0;
        room.count = f.NumOr(3, 1);
        room.name = f.Str(4);
        known ? LobbyView().UpdateRoomRow(id) : LobbyView().AddRoomRow(id);
    }
    LobbyView().EndRoomUpdate();
}

void OnRoomChanged(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    tSbRoom* room = FindRoom(f.NumOr(1, 0));
    if (!room) {
        return;
    }
    room->flag = f.View(2) == "1" ? 1 : 0;
    room->count = f.NumOr(3, 1);
    LobbyView().UpdateRoomRow(room->id);
}

void OnRoomRemoved(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const tSbRoom* room = FindRoom(f.NumOr(1, 0));
    if (!room) {
        return;
    }
    const std::int32_t id = room->id;
    LobbyView().RemoveRoomRow(id);
    DisposeRoom(id);
}

void OnGameAdded(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const std::int32_t id = f.NumOr(1, -1);
    const bool known = FindGame(id) != nullptr;
    tSbGame& game = NewGame(id);
    game.defaultSet = static_cast<std::uint8_t>(f.NumOr(2, 0));
    game.maxPlayers = f.NumOr(3, 0);
    game.maxSpectators = f.NumOr(4, 0);
    game.creator = f.Str(5);
    game.name = f.Str(6);
    game.region = f.Str(7);
    known ? LobbyView().UpdateGameRow(id) : LobbyView().AddGameRow(id);
}

void OnGames(const std::string& payload) {
    const TLobbyFields records(payload, LobbyRecordSep);
    LobbyView().BeginGameUpdate();
    for (int i = 1; i <= records.Count(); ++i) {
        TLobbyFields f(records.View(i), LobbyFieldSep);
        const std::int32_t id = f.NumOr(1, -1);
        const bool known = FindGame(id) != nullptr;
        tSbGame& game = NewGame(id);
        game.defaultSet = static_cast<std::uint8_t>(f.NumOr(2, 0));
        game.maxPlayers = f.NumOr(3, 0);
        game.maxSpectators = f.NumOr(4, 0);
        game.players = f.NumOr(5, 0);
        game.spectators = f.NumOr(6, 0);
        game.creator = f.Str(7);
        game.name = f.Str(8);
        game.region = f.Str(9);
        game.status = static_cast<std::uint8_t>(f.NumOr(10, 1));
        known ? LobbyView().UpdateGameRow(id) : LobbyView().AddGameRow(id);
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
    TLobbyFields f(payload, LobbyFieldSep);
    tSbGame* game = FindGame(f.NumOr(1, 0));
    if (!game) {
        return;
    }
    game->defaultSet = static_cast<std::uint8_t>(f.NumOr(2, 0));
    game->maxPlayers = f.NumOr(3, 0);
    game->maxSpectators = f.NumOr(4, 0);
    game->players = f.NumOr(5, 0);
    game->spectators = f.NumOr(6, 0);
    game->name = f.Str(7);
    game->status = static_cast<std::uint8_t>(f.NumOr(8, 1));
    LobbyView().UpdateGameRow(game->id);
}

void OnGameRemoved(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const tSbGame* game = FindGame(f.NumOr(1, 0));
    if (!game) {
        return;
    }
    const std::int32_t id = game->id;
    LobbyView().RemoveGameRow(id);
    DisposeGame(id);
}

void OnJoinGameNow(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    tSbGame* game = FindGame(f.NumOr(1, 0));
    if (!game) {
        return;
    }
    JoinGameNow(*game, f.Str(2), f.NumOr(3, 1));
}

void OnGameSet(const std::string& payload) {
    TLobbyFields f(payload, LobbyFieldSep);
    const tSbGame* game = FindGame(f.NumOr(1, 0));
    if (!game) {
        return;
    }
    LobbyHost& host = LobbyShell();
    if (Sb().PendingAction == paJoinGame && !host.GameSetWindowVisible()) {
        host.OpenGameSetView(game->id, game->name, f.Rest(2));
    }
}

}  // namespace pk::lobbymsgs
