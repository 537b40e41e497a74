#include "lobby/zrlobbymodel.h"

#include "lobby/zrlobbyhost.h"

namespace pk {

namespace {

std::string UserKey(const tSbUser& user) {
    return LowerCase(user.name);
}
std::int32_t RoomKey(const tSbRoom& room) {
    return room.id;
}
std::int32_t GameKey(const tSbGame& game) {
    return game.id;
}

std::unique_ptr<tSbUser> MakeUser(const std::string& name) {
    auto user = std::make_unique<tSbUser>();
    user->name = name;
    user->uid = LobbyModel.nextUid++;
    return user;
}

tSbUser& AddUser(TUserList& list, const std::string& name) {
    if (tSbUser* known = list.Find(LowerCase(name))) {
        return *known;
    }
    return list.Append(MakeUser(name));
}

void DisposeUser(TUserList& list, const std::string& name) {
    list.Take(list.Find(LowerCase(name)));
}

}  // namespace

tsbaroom::tsbaroom() : users(UserKey), games(GameKey) {}

TLobbyModel::TLobbyModel() : rooms(RoomKey), friends(UserKey), ignored(UserKey) {}

TLobbyModel LobbyModel;
std::vector<tsbregion> SbRegions;

void ResetLobbyModel() {
    if (ClientState.game.JoinedGame != nullptr) {
        ClientState.game.JoinedGame = nullptr;
    }
    LobbyModel.currentRoom.reset();
    LobbyModel.rooms.Clear();
    LobbyModel.friends.Clear();
    LobbyModel.ignored.Clear();
    LobbyModel.roomListMade = false;
    LobbyModel.ownUser = 0;
    LobbyModel.pendingGame.reset();
    LobbyModel.retainedJoinedGame.reset();
    LobbyModel.joinedServer.clear();
    LobbyModel.userRows.clear();
    LobbyModel.chatHistory.clear();
    SbRegions.clear();
}

tSbRoom* FindRoom(std::int32_t id) {
    return LobbyModel.rooms.Find(id);
}

tSbUser* FindRoomUser(const std::string& name) {
    return LobbyModel.currentRoom ? LobbyModel.currentRoom->users.Find(LowerCase(name)) : nullptr;
}

tSbGame* FindGame(std::int32_t id) {
    return LobbyModel.currentRoom ? LobbyModel.currentRoom->games.Find(id) : nullptr;
}

tSbUser* FindFriend(const std::string& name) {
    return LobbyModel.friends.Find(LowerCase(name));
}

tSbUser* FindIgnored(const std::string& name) {
    return LobbyModel.ignored.Find(LowerCase(name));
}

tSbUser* FindUserByUid(std::uint32_t uid) {
    if (uid == 0) {
        return nullptr;
    }
    if (LobbyModel.currentRoom) {
        if (tSbUser* user = LobbyModel.currentRoom->users.FindUid(uid)) {
            return user;
        }
    }
    if (tSbUser* user = LobbyModel.friends.FindUid(uid)) {
        return user;
    }
    return LobbyModel.ignored.FindUid(uid);
}

tsbregion* FindRegion(const std::string& name) {
    for (tsbregion& region : SbRegions) {
        if (SameText(region.name, name)) {
            return &region;
        }
    }
    return nullptr;
}

tsbregion* FindRegionBySocket(std::int32_t socket) {
    if (socket == 0) {
        return nullptr;
    }
    for (tsbregion& region : SbRegions) {
        if (region.socket == socket) {
            return &region;
        }
    }
    return nullptr;
}

tSbUser* OwnUser() {
    if (!LobbyModel.currentRoom || LobbyModel.ownUser == 0) {
        return nullptr;
    }
    return LobbyModel.currentRoom->users.FindUid(LobbyModel.ownUser);
}

tSbRoom* CurrentRoomRecord() {
    return LobbyModel.currentRoom ? FindRoom(LobbyModel.currentRoom->roomId) : nullptr;
}

tSbGame* PendingGame() {
    return LobbyModel.pendingGame ? FindGame(*LobbyModel.pendingGame) : nullptr;
}

tSbRoom& NewRoom(std::int32_t id) {
    LobbyModel.roomListMade = true;
    if (tSbRoom* known = LobbyModel.rooms.Find(id)) {
        return *known;
    }
    auto room = std::make_unique<tSbRoom>();
    room->id = id;
    return LobbyModel.rooms.Append(std::move(room));
}

void DisposeRoom(std::int32_t id) {
    LobbyModel.rooms.Take(LobbyModel.rooms.Find(id));
}

tSbUser& NewRoomUser(const std::string& name) {
    if (!LobbyModel.currentRoom) {
        NewCurrentRoom(0);
    }
    tSbUser& user = AddUser(LobbyModel.currentRoom->users, name);
    user.present = 1;
    return user;
}

void DisposeRoomUser(const std::string& name) {
    if (LobbyModel.currentRoom) {
        DisposeUser(LobbyModel.currentRoom->users, name);
    }
}

tSbUser& NewFriend(const std::string& name) {
    tSbUser& user = AddUser(LobbyModel.friends, name);
    user.friendRecord = 1;
    return user;
}

void DisposeFriend(const std::string& name) {
    DisposeUser(LobbyModel.friends, name);
}

tSbUser& NewIgnored(const std::string& name) {
    tSbUser& user = AddUser(LobbyModel.ignored, name);
    user.ignoreRecord = 1;
    return user;
}

void DisposeIgnored(const std::string& name) {
    DisposeUser(LobbyModel.ignored, name);
}

tSbGame& NewGame(std::int32_t id) {
    if (!LobbyModel.currentRoom) {
        NewCurrentRoom(0);
    }
    if (tSbGame* known = LobbyModel.currentRoom->games.Find(id)) {
        return *known;
    }
    auto game = std::make_unique<tSbGame>();
    game->id = id;
    return LobbyModel.currentRoom->games.Append(std::move(game));
}

void DisposeGame(std::int32_t id) {
    if (!LobbyModel.currentRoom) {
        return;
    }
    std::unique_ptr<tSbGame> game = LobbyModel.currentRoom->games.Take(FindGame(id));
    if (game && game.get() == ClientState.game.JoinedGame) {
        LobbyModel.retainedJoinedGame = std::move(game);
    }
    if (LobbyModel.pendingGame && *LobbyModel.pendingGame == id) {
        LobbyModel.pendingGame.reset();
    }
}

void NewCurrentRoom(std::int32_t roomId) {
    ClearCurrentRoom();
    LobbyModel.currentRoom = std::make_unique<tsbaroom>();
    LobbyModel.currentRoom->roomId = roomId;
}

void ClearCurrentRoom() {
    if (!LobbyModel.currentRoom) {
        return;
    }
    // The games go one by one, so that the joined game is kept aside.
    std::vector<std::int32_t> ids;
    for (const auto& game : LobbyModel.currentRoom->games.Items()) {
        ids.push_back(game->id);
    }
    for (std::int32_t id : ids) {
        DisposeGame(id);
    }
    LobbyModel.currentRoom.reset();
    LobbyModel.ownUser = 0;
    LobbyModel.pendingGame.reset();
    LobbyModel.userRows.clear();
    LobbyView().UserListRebuilt();
    LobbyView().GameRowsCleared();
}

void FreeRoomList() {
    LobbyModel.rooms.Clear();
    LobbyModel.roomListMade = false;
    LobbyView().RoomRowsCleared();
}

tsbregion& NewRegion(const std::string& name, std::int32_t id, std::int32_t games,
                     std::int32_t people, const std::string& host, std::int32_t port) {
    tsbregion region;
    region.name = name;
    region.id = id;
    region.games = games;
    region.people = people;
    region.host = host;
    region.port = port;
    SbRegions.push_back(std::move(region));
    return SbRegions.back();
}

void DisposeRegion(const tsbregion* region) {
    std::erase_if(SbRegions, [region](const tsbregion& r) { return &r == region; });
}

void ReleaseJoinedGame() {
    ClientState.game.JoinedGame = nullptr;
    LobbyModel.retainedJoinedGame.reset();
    LobbyModel.joinedServer.clear();
}

}  // namespace pk
