#pragma once
// The lobby model: what the master server has told the client. All rooms, the current room
// with its users and games, the friends and ignore lists, the regions, the own user and the
// pending and joined games.
//
// Every record is owned by exactly one list and referred to elsewhere by its id (rooms and
// games by the server's id, users by a serial number given at creation), so a reference to a
// record that has gone finds nothing instead of freed memory. The one exception is the game
// the game link has joined: the link points at it (ClientState.game.JoinedGame), so when the
// game list lets it go the model keeps it aside until the link lets it go too.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/zrmisc.h"
#include "game/zrgame.h"

namespace pk {

// Lobby privilege levels and user statuses.
enum LobbyPrivilege : std::uint8_t {
    privAdministrator = 0,
    privOperator = 1,
    privVoice = 2,
    privNormal = 3,
};
enum LobbyStatus : std::uint8_t {
    stActive = 1,
    stAway = 2,
    stBeRightBack = 3,
    stSleeping = 4,
};

// A lobby user: a user of the current room, a friends-list or an ignore-list entry.
struct tSbUser {
    std::string name;
    std::uint8_t status = stActive;       // LobbyStatus (0 and others as the server sends them)
    std::uint8_t privilege = privNormal;  // LobbyPrivilege
    std::uint8_t present = 0;             // room users: 1; friends: 1 while online
    std::uint8_t friendRecord = 0;
    std::int32_t roomId = 0;  // friends: the room the friend is in
    std::uint8_t ignoreRecord = 0;
    std::uint32_t uid = 0;  // serial number, never reused
};

struct tSbRoom {
    std::string name;
    std::uint8_t flag = 0;  // 1: entering needs the room's key
    std::int32_t count = 0;
    std::int32_t id = -1;
};

// A game of the current room.
struct tSbGame {
    std::string name;
    std::string creator;
    std::string region;
    std::int32_t maxPlayers = 1;
    std::int32_t maxSpectators = 0;
    std::int32_t players = 1;
    std::int32_t spectators = 0;
    std::uint8_t defaultSet = 0;
    std::uint8_t status = 1;  // 0 Playing, 1 Inactive
    std::int32_t id = -1;
};

// A game-server region (location), pinged by the region pinger.
struct tsbregion {
    std::string name;
    std::int32_t id = 0;
    std::int32_t socket = 0;  // ping connection; 0 while idle
    std::int32_t games = 0;
    std::int32_t people = 0;
    std::string host;
    std::int32_t port = 0;
    std::int32_t unused = 0;
    std::int64_t sendTime = 0;  // MilliClock when "PING" went out
    std::int32_t time = 9999;   // sum of the answer times, their average once measured
    std::int32_t answers = 0;
    std::int32_t tries = 0;    // pings tried, answered or not
    std::uint8_t givenUp = 0;  // done without an answer to every try
};

// An ordered list of records that owns them, with a lookup by key. Keys do not change while a
// record is in the list.
template <class T, class Key>
class TIndexedList {
public:
    using KeyOf = Key (*)(const T&);
    explicit TIndexedList(KeyOf keyOf) : keyOf_(keyOf) {}

    T* Find(const Key& key) const {
        const auto it = index_.find(key);
        return it == index_.end() ? nullptr : it->second;
    }
    // Appends a record whose key is not in the list yet.
    T& Append(std::unique_ptr<T> record) {
        T& added = *record;
        index_[keyOf_(added)] = &added;
        items_.push_back(std::move(record));
        return added;
    }
    // Takes a record out of the list and hands it over.
    std::unique_ptr<T> Take(const T* record) {
        const auto it = std::find_if(items_.begin(), items_.end(),
                                     [record](const auto& p) { return p.get() == record; });
        if (it == items_.end()) {
            return nullptr;
        }
        std::unique_ptr<T> taken = std::move(*it);
        items_.erase(it);
        index_.erase(keyOf_(*taken));
        return taken;
    }
    void Clear() {
        index_.clear();
        items_.clear();
    }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const std::vector<std::unique_ptr<T>>& Items() const { return items_; }

private:
    KeyOf keyOf_;
    std::vector<std::unique_ptr<T>> items_;
    std::unordered_map<Key, T*> index_;
};

// Users by lower-cased name, and by serial number too: the user list's rows name their users
// by serial number and are looked up at every paint and every placed row.
class TUserList : public TIndexedList<tSbUser, std::string> {
public:
    using Base = TIndexedList<tSbUser, std::string>;
    explicit TUserList(Base::KeyOf keyOf) : Base(keyOf) {}

    tSbUser* FindUid(std::uint32_t uid) const {
        const auto it = byUid_.find(uid);
        return it == byUid_.end() ? nullptr : it->second;
    }
    tSbUser& Append(std::unique_ptr<tSbUser> record) {
        tSbUser& added = Base::Append(std::move(record));
        byUid_[added.uid] = &added;
        return added;
    }
    std::unique_ptr<tSbUser> Take(const tSbUser* record) {
        std::unique_ptr<tSbUser> taken = Base::Take(record);
        if (taken)
            byUid_.erase(taken->uid);
        return taken;
    }
    void Clear() {
        byUid_.clear();
        Base::Clear();
    }

private:
    std::unordered_map<std::uint32_t, tSbUser*> byUid_;
};
using TRoomList = TIndexedList<tSbRoom, std::int32_t>;
using TGameList = TIndexedList<tSbGame, std::int32_t>;

// The room the user is in.
struct tsbaroom {
    std::int32_t roomId = 0;
    std::string topic;
    std::uint8_t moderated = 0;
    std::string lockText;
    TUserList users;
    TGameList games;
    tsbaroom();
};

// One row of the user list box: a section header or a record of that section.
enum class UserRowKind { FriendsHeader, IgnoreHeader, UsersHeader, Friend, Ignored, RoomUser };
struct TUserRow {
    UserRowKind kind = UserRowKind::FriendsHeader;
    std::uint32_t uid = 0;  // the record's serial number; 0 for headers
};

struct TLobbyModel {
    TRoomList rooms;
    bool roomListMade = false;  // made by the connect, freed by the disconnect
    std::unique_ptr<tsbaroom> currentRoom;
    TUserList friends;
    TUserList ignored;
    std::uint32_t ownUser = 0;                // uid of the own user (a user of the current room)
    std::optional<std::int32_t> pendingGame;  // id of the game a join waits for
    std::unique_ptr<tSbGame> retainedJoinedGame;  // the joined game after it left the list
    std::string joinedServer;                     // the game server's address of the joined game
    std::vector<TUserRow> userRows;               // the user list box, as last rebuilt
    std::vector<std::string> chatHistory;         // the lobby chat line's history
    std::uint32_t nextUid = 1;
    TLobbyModel();
};
extern TLobbyModel LobbyModel;
extern std::vector<tsbregion> SbRegions;

// Everything back to the state of a client that has never connected (friends and ignore lists
// included); for start-up and tests.
void ResetLobbyModel();

// ---- Finds (none rather than failing) ----
tSbRoom* FindRoom(std::int32_t id);
tSbUser* FindRoomUser(const std::string& name);
tSbGame* FindGame(std::int32_t id);
tSbUser* FindFriend(const std::string& name);
tSbUser* FindIgnored(const std::string& name);
// Any user record by its serial number: room users, friends and ignored users.
tSbUser* FindUserByUid(std::uint32_t uid);
tsbregion* FindRegion(const std::string& name);
tsbregion* FindRegionBySocket(std::int32_t socket);

// The own user, or none (no own user reads as no rights and active status).
tSbUser* OwnUser();
tSbRoom* CurrentRoomRecord();  // the current room's room, or none
tSbGame* PendingGame();

// ---- Records. A record whose key is already listed is updated in place, not added twice.
// Each New* returns the record for the caller to fill.
tSbRoom& NewRoom(std::int32_t id);
void DisposeRoom(std::int32_t id);
tSbUser& NewRoomUser(const std::string& name);  // needs a current room
void DisposeRoomUser(const std::string& name);
tSbUser& NewFriend(const std::string& name);
void DisposeFriend(const std::string& name);
tSbUser& NewIgnored(const std::string& name);
void DisposeIgnored(const std::string& name);
tSbGame& NewGame(std::int32_t id);  // needs a current room
// Frees a game of the current room; the joined game is kept aside for the game link.
void DisposeGame(std::int32_t id);
void NewCurrentRoom(std::int32_t roomId);
void ClearCurrentRoom();
// Every room record disposed and the room list freed, with the room list view.
void FreeRoomList();
tsbregion& NewRegion(const std::string& name, std::int32_t id, std::int32_t games,
                     std::int32_t people, const std::string& host, std::int32_t port);
void DisposeRegion(const tsbregion* region);

// The game link has let the joined game go: a record the game list no longer holds is freed.
void ReleaseJoinedGame();

}  // namespace pk
