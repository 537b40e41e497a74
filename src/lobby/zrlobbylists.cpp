#include "lobby/zrlobbylists.h"

#include <algorithm>
#include <optional>

#include "core/chatstyle.h"

namespace pk {

namespace {

bool NameBefore(const std::string& a, const std::string& b) {
    return LowerCase(a) < LowerCase(b);
}

// The records of one section in their order.
template <class Before>
void AddSection(const TUserList& list, UserRowKind kind, Before before) {
    std::vector<const tSbUser*> records;
    records.reserve(list.size());
    for (const auto& user : list.Items()) {
        records.push_back(user.get());
    }
    // Stable: records that compare equal keep their list order.
    std::stable_sort(records.begin(), records.end(),
                     [before](const tSbUser* a, const tSbUser* b) { return before(*a, *b); });
    for (const tSbUser* user : records) {
        LobbyModel.userRows.push_back({kind, user->uid});
    }
}

int RoomUserCount() {
    return LobbyModel.currentRoom ? static_cast<int>(LobbyModel.currentRoom->users.size()) : 0;
}

std::string PlayerCountText(int n) {
    return n == 1 ? "1 player" : std::to_string(n) + " players";
}

bool Connected() {
    return ClientState.lobby.LobbyLinkState == sbConnected;
}

}  // namespace

namespace {

void ShowUserCount() {
    LobbyShell().SetAppTitle(LobbyAppTitle());
    LobbyShell().SetTrayHint(LobbyTrayHint());
}

}  // namespace

void AddLobbyChat(const std::string& text) {
    LobbyHost& host = LobbyShell();
    if (Settings.lobby.findgamests) {
        host.LobbyChatLine(StyleCode("17") + host.TimeStamp() + kStyleEnd + text);
    } else {
        host.LobbyChatLine(text);
    }
}

std::string UserRowHeader(UserRowKind kind) {
    switch (kind) {
        case UserRowKind::FriendsHeader:
            return "!friends";
        case UserRowKind::IgnoreHeader:
            return "!ignore";
        case UserRowKind::UsersHeader:
            return "!users";
        default:
            return {};
    }
}

std::string LobbyAppTitle() {
    return Connected() ? "Pelkorin (" + PlayerCountText(RoomUserCount()) + ")" : "Pelkorin";
}

std::string LobbyTrayHint() {
    return Connected() ? "Connected as " + ClientState.account.AccountName + ", " +
                             PlayerCountText(RoomUserCount())
                       : "Disconnected";
}

void RebuildUserList() {
    const tmesb& sb = ClientState.lobby;
    LobbyModel.userRows.clear();
    LobbyModel.userRows.push_back({UserRowKind::FriendsHeader, 0});
    if (sb.ShowFriends) {
        AddSection(LobbyModel.friends, UserRowKind::Friend, FriendBefore);
    }
    LobbyModel.userRows.push_back({UserRowKind::IgnoreHeader, 0});
    if (sb.ShowIgnore) {
        AddSection(LobbyModel.ignored, UserRowKind::Ignored, IgnoredBefore);
    }
    LobbyModel.userRows.push_back({UserRowKind::UsersHeader, 0});
    if (sb.ShowUsers && LobbyModel.currentRoom) {
        AddSection(LobbyModel.currentRoom->users, UserRowKind::RoomUser, RoomUserBefore);
    }
    LobbyView().UserListRebuilt();
    ShowUserCount();
}

namespace {

// The room users' rows: from the one after the "!users" header to the end, as the section
// comes last; nullopt when there is no room or nothing was built yet.
std::optional<std::size_t> RoomUsersStart() {
    if (!LobbyModel.currentRoom) {
        return std::nullopt;
    }
    const auto& rows = LobbyModel.userRows;
    const auto header = std::find_if(rows.begin(), rows.end(), [](const TUserRow& row) {
        return row.kind == UserRowKind::UsersHeader;
    });
    if (header == rows.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(header - rows.begin()) + 1;
}

// Takes the user's row out of the section; false when it has none.
bool TakeRoomUserRow(std::size_t start, std::uint32_t uid) {
    auto& rows = LobbyModel.userRows;
    const auto it = std::find_if(rows.begin() + static_cast<std::ptrdiff_t>(start), rows.end(),
                                 [uid](const TUserRow& row) { return row.uid == uid; });
    if (it == rows.end()) {
        return false;
    }
    const int at = static_cast<int>(it - rows.begin());
    rows.erase(it);
    LobbyView().UserRowRemoved(at);
    return true;
}

}  // namespace

void PlaceRoomUserRow(const tSbUser& user) {
    const std::optional<std::size_t> start = RoomUsersStart();
    if (!start) {
        // Nothing built to keep: a first build shows what there is.
        if (LobbyModel.userRows.empty()) {
            RebuildUserList();
        } else {
            ShowUserCount();
        }
        return;
    }
    TakeRoomUserRow(*start, user.uid);
    if (!ClientState.lobby.ShowUsers) {
        ShowUserCount();
        return;
    }
    // The rows are in section order and no two users compare equal (names are unique in a
    // room), so the first row the user comes before is the one place a rebuild would give it.
    auto& rows = LobbyModel.userRows;
    const auto place = std::partition_point(rows.begin() + static_cast<std::ptrdiff_t>(*start),
                                            rows.end(), [&user](const TUserRow& row) {
                                                const tSbUser* placed =
                                                    LobbyModel.currentRoom->users.FindUid(row.uid);
                                                return placed && RoomUserBefore(*placed, user);
                                            });
    const int at = static_cast<int>(place - rows.begin());
    rows.insert(place, {UserRowKind::RoomUser, user.uid});
    LobbyView().UserRowInserted(at);
    ShowUserCount();
}

void RemoveRoomUserRow(std::uint32_t uid) {
    if (const std::optional<std::size_t> start = RoomUsersStart()) {
        TakeRoomUserRow(*start, uid);
    }
    ShowUserCount();
}

void RepaintUserList() {
    LobbyView().UserListRepaint();
}

bool FriendBefore(const tSbUser& a, const tSbUser& b) {
    if ((a.present != 0) != (b.present != 0)) {
        return a.present != 0;
    }
    return NameBefore(a.name, b.name);
}

bool IgnoredBefore(const tSbUser& a, const tSbUser& b) {
    return NameBefore(a.name, b.name);
}

bool RoomUserBefore(const tSbUser& a, const tSbUser& b) {
    if (a.privilege != b.privilege) {
        return a.privilege < b.privilege;
    }
    return NameBefore(a.name, b.name);
}

TUserMenu ConfigureUserMenu(const tSbUser& u, const TUserMenuContext& context) {
    const int p = u.privilege;
    const int me = context.ownPrivilege;
    const bool listEntry = u.friendRecord != 0 || u.ignoreRecord != 0;
    const bool roomUser = !listEntry;
    TUserMenu m;
    m.setnormal = p == 1 || p == 2;
    m.setvoice = p == 1 || p == 3;
    m.setoperator = p == 2 || p == 3;
    m.statussub = !listEntry && p != 0 && me < 2;
    m.kickwomsg = m.kickwmsg = m.whoismenu = true;
    m.kickandban = m.kickand5minban = p != 0;
    m.kicksub = !listEntry && (me == 0 || (me == 1 && p != 0));
    m.requestrps = me < 2 && !listEntry;
    m.addnewfriend = u.friendRecord == 0;
    m.removefriend = u.friendRecord != 0;
    m.friendsub = u.friendRecord != 0 || !context.friendNamed;
    m.invitegame = context.gameLinkInRoom && u.ignoreRecord == 0 &&
                   (roomUser || (u.friendRecord != 0 && u.present != 0));
    m.addignoreusermenu = u.ignoreRecord == 0;
    m.removeignoreuser = u.ignoreRecord != 0;
    m.ignoresub = u.ignoreRecord != 0 || !context.ignoredNamed;
    return m;
}

TUserMenu ConfigureUserMenu(const tSbUser& u) {
    TUserMenuContext context;
    const tSbUser* own = OwnUser();
    context.ownPrivilege = own ? static_cast<int>(own->privilege) : static_cast<int>(privNormal);
    context.gameLinkInRoom = ClientState.game.GameLinkState == LinkInRoom;
    context.friendNamed = FindFriend(u.name) != nullptr;
    context.ignoredNamed = FindIgnored(u.name) != nullptr;
    return ConfigureUserMenu(u, context);
}

bool RegionMeasured(const tsbregion& region) {
    return region.answers >= Settings.lobby.pingtries;
}

int RegionPingRank(const tsbregion& region) {
    if (!RegionMeasured(region)) {
        return 2;
    }
    return region.givenUp ? 1 : 0;
}

std::string RegionPingText(const std::string& regionName) {
    const tsbregion* region = FindRegion(regionName);
    if (region && RegionMeasured(*region)) {
        return std::to_string(region->time) + "ms";
    }
    return "???ms";
}

std::array<std::string, GameColumns> GameRowCells(const tSbGame& game) {
    std::string status;
    if (game.status == 0) {
        status = "Playing";
    } else if (game.status == 1) {
        status = "Inactive";
    }
    return {game.name,
            game.defaultSet ? "Yes" : "No",
            std::to_string(game.players) + "/" + std::to_string(game.maxPlayers),
            std::to_string(game.spectators) + "/" + std::to_string(game.maxSpectators),
            status,
            game.region,
            RegionPingText(game.region),
            game.creator};
}

namespace {

// Key first, then the name; both byte-wise.
template <class Key>
bool ByKeyThenName(const Key& ka, const Key& kb, const tSbGame& a, const tSbGame& b) {
    if (ka != kb) {
        return ka < kb;
    }
    return a.name < b.name;
}

bool PingBefore(const tSbGame& a, const tSbGame& b) {
    const tsbregion* ra = FindRegion(a.region);
    const tsbregion* rb = FindRegion(b.region);
    if ((ra != nullptr) != (rb != nullptr)) {
        return ra != nullptr;
    }
    if (!ra) {
        return a.name < b.name;
    }
    const int ka = RegionPingRank(*ra);
    const int kb = RegionPingRank(*rb);
    if (ka != kb) {
        return ka < kb;
    }
    return ByKeyThenName(ra->time, rb->time, a, b);
}

// Game list order for a column, ascending: equal keys fall back to the name.
bool GameAscending(const tSbGame& a, const tSbGame& b, int column) {
    switch (column) {
        case 0:
            return a.name < b.name;
        case 1:
            // The default game set first; among equals the order is left alone.
            return a.defaultSet != 0 && b.defaultSet == 0;
        case 2:
            return ByKeyThenName(a.players, b.players, a, b);
        case 3:
            return ByKeyThenName(a.spectators, b.spectators, a, b);
        case 4:
            return ByKeyThenName(a.status, b.status, a, b);
        case 5:
            return ByKeyThenName(a.region, b.region, a, b);
        case 6:
            return PingBefore(a, b);
        case 7:
            return ByKeyThenName(a.creator, b.creator, a, b);
        default:
            return false;
    }
}

}  // namespace

bool gamelistCompare(const tSbGame& a, const tSbGame& b, int column, bool ascending) {
    return ascending ? GameAscending(a, b, column) : GameAscending(b, a, column);
}

bool regionlistCompare(const tsbregion* a, const tsbregion* b, int column, bool ascending) {
    if (!a || !b) {
        return !a && b;
    }
    if (!ascending) {
        std::swap(a, b);
    }
    const auto byName = [](const tsbregion& x, const tsbregion& y) { return x.name < y.name; };
    switch (column) {
        case 0:
            return byName(*a, *b);
        case 1:
            return a->games != b->games ? a->games < b->games : byName(*a, *b);
        case 2:
            return a->people != b->people ? a->people < b->people : byName(*a, *b);
        case 3: {
            const int ka = RegionPingRank(*a);
            const int kb = RegionPingRank(*b);
            if (ka != kb) {
                return ka < kb;
            }
            return a->time != b->time ? a->time < b->time : byName(*a, *b);
        }
        default:
            return false;
    }
}

OwnStatusButton OwnStatusButtonFor(const tSbUser* own) {
    if (!own) {
        return OwnStatusButton::meactive;
    }
    switch (own->status) {
        case 0:
        case stActive:
            return OwnStatusButton::meactive;
        case stAway:
            return OwnStatusButton::meaway;
        case stBeRightBack:
            return OwnStatusButton::mebrb;
        case stSleeping:
            return OwnStatusButton::mesleeping;
        default:
            return OwnStatusButton::none;
    }
}

void RefreshOwnStatusButtons() {
    LobbyView().SetOwnStatusButton(OwnStatusButtonFor(OwnUser()));
}

}  // namespace pk
