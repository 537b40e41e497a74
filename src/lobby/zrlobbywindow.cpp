#include "lobby/zrlobbywindow.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "core/chatstyle.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrstatuslist.h"

namespace pk {

namespace {

// The automatic status last sent and not yet taken back, so that a status the server has not
// echoed yet is not sent again on every tick.
int lastAutoStatus = 0;

bool LinkUp() {
    return ClientState.lobby.LobbyLinkState == sbConnected;
}

int OwnPrivilege() {
    const tSbUser* own = OwnUser();
    return own ? static_cast<int>(own->privilege) : static_cast<int>(privNormal);
}

std::string Fields(std::initializer_list<std::string> fields) {
    std::string out;
    bool first = true;
    for (const std::string& f : fields) {
        if (!first) {
            out += LobbyFieldSep;
        }
        out += f;
        first = false;
    }
    return out;
}

std::vector<std::string> NamesOf(const std::vector<std::uint32_t>& uids) {
    std::vector<std::string> names;
    for (std::uint32_t uid : uids) {
        if (const tSbUser* user = FindUserByUid(uid)) {
            names.push_back(user->name);
        }
    }
    return names;
}

void SendForEach(const std::vector<std::string>& names, std::uint8_t code,
                 const std::function<std::string(const std::string&)>& payload) {
    if (!LinkUp()) {
        return;
    }
    for (const std::string& name : names) {
        LobbySend(code, payload(name));
    }
}

int Modulo(std::int64_t value, std::int64_t period) {
    const std::int64_t m = value % period;
    return static_cast<int>(m < 0 ? m + period : m);
}

}  // namespace

// ---- the timer

bool LobbyIdleTick() {
    tmesb& sb = ClientState.lobby;
    if (!sb.AutoStatus) {
        lastAutoStatus = 0;
    }
    if (sb.LobbyLinkState == sbDown) {
        return false;
    }
    const std::int64_t now = LobbyShell().Seconds();
    LobbyCheckKeepAlive();
    const tSbUser* own = OwnUser();
    if (sb.LobbyLinkState != sbConnected || !own || ClientState.game.GameLinkState != LinkDown) {
        return false;
    }
    const std::int64_t minutes = (now - sb.LastActivity) / 60;
    const tlobbyoptions& o = Settings.lobby;
    const int status = own->status;
    int send = 0;
    if (o.idlesleeping > 0 && minutes >= o.idlesleeping && status != stSleeping) {
        send = stSleeping;
    } else if (o.idleaway >= 1 && minutes >= o.idleaway && status != stAway &&
               status != stSleeping) {
        send = stAway;
    } else if (o.idlebrb >= 1 && minutes >= o.idlebrb && status != stAway &&
               status != stBeRightBack && status != stSleeping) {
        send = stBeRightBack;
    }
    if (send == 0 || (sb.AutoStatus && send == lastAutoStatus)) {
        return false;
    }
    LobbySend(LobbyMsgOwnStatus, std::to_string(send));
    sb.AutoStatus = 1;
    sb.AutoStatus2 = 0;
    lastAutoStatus = send;
    return true;
}

// ---- the banner

void TTopicBanner::Tick() {
    offset += speed / (1000 / LobbyTimerIntervalMs);
}

int TTopicBanner::Gap(int width, int textWidth) {
    const int value = width - textWidth + textWidth / 3;
    const int low = width / 3;
    if (value < low) {
        return low;
    }
    return std::min(value, width);
}

std::vector<int> TTopicBanner::Layout(int width, int textWidth) {
    std::vector<int> xs;
    const int period = textWidth + Gap(width, textWidth);
    if (textWidth <= 0 || period <= 0) {
        return xs;
    }
    // The drawing repeats with the period, so the offset is kept within one.
    offset = Modulo(offset, period);
    int x = width - offset;
    while (x - period >= -textWidth) {
        x -= period;
    }
    for (; x <= width; x += period) {
        if (x >= -textWidth) {
            xs.push_back(x);
        }
    }
    return xs;
}

void TTopicBanner::MouseDown(int x, int y) {
    savedSpeed = speed;
    speed = 0;
    downOffset = offset;
    lastX = x;
    lastY = y;
}

void TTopicBanner::MouseMove(int x, int y) {
    offset += lastX - x;
    lastX = x;
    lastY = y;
}

void TTopicBanner::MouseUp() {
    speed = savedSpeed;
    if (offset == downOffset) {
        speed = savedSpeed != 0 ? 0 : BannerDefaultSpeed;
    }
}

// ---- the game list's sort

void TGameListSort::ColumnClick(int clicked) {
    if (clicked == column) {
        ascending = !ascending;
    } else {
        ascending = true;
    }
    column = clicked;
}

// ---- own status

bool OwnStatusClicked(int status) {
    if (!LinkUp() || ClientState.game.GameLinkState != LinkDown) {
        return false;
    }
    NoteActivity();
    LobbySend(LobbyMsgOwnStatus, std::to_string(status));
    return true;
}

// ---- the user list

UserCategory CategoryOf(const TUserRow& row) {
    switch (row.kind) {
        case UserRowKind::Friend:
            return UserCategory::Friend;
        case UserRowKind::Ignored:
            return UserCategory::Ignored;
        case UserRowKind::RoomUser:
            return UserCategory::RoomUser;
        default:
            return UserCategory::None;
    }
}

std::optional<std::vector<int>> MenuSelection(int focusedRow,
                                              const std::vector<int>& selectedRows) {
    const auto& rows = LobbyModel.userRows;
    if (focusedRow < 0 || focusedRow >= static_cast<int>(rows.size()) || selectedRows.empty()) {
        return std::nullopt;
    }
    const TUserRow& focused = rows[static_cast<std::size_t>(focusedRow)];
    const UserCategory category = CategoryOf(focused);
    if (category == UserCategory::None || !FindUserByUid(focused.uid)) {
        return std::nullopt;
    }
    std::vector<int> kept;
    for (int row : selectedRows) {
        if (row < 0 || row >= static_cast<int>(rows.size())) {
            continue;
        }
        const UserCategory c = CategoryOf(rows[static_cast<std::size_t>(row)]);
        if (c == UserCategory::None) {
            continue;
        }
        if (category == UserCategory::RoomUser && c == UserCategory::Friend) {
            continue;
        }
        if (category != UserCategory::RoomUser && c != category) {
            continue;
        }
        kept.push_back(row);
    }
    return kept;
}

void ToggleUserSection(UserRowKind header) {
    tmesb& sb = ClientState.lobby;
    switch (header) {
        case UserRowKind::FriendsHeader:
            sb.ShowFriends = sb.ShowFriends ? 0 : 1;
            break;
        case UserRowKind::UsersHeader:
            sb.ShowUsers = sb.ShowUsers ? 0 : 1;
            break;
        case UserRowKind::IgnoreHeader:
            sb.ShowIgnore = sb.ShowIgnore ? 0 : 1;
            break;
        default:
            return;
    }
    RebuildUserList();
}

std::vector<std::string> SelectedUserNames(const std::vector<std::uint32_t>& uids) {
    return NamesOf(uids);
}

void SetUsersNormal(const std::vector<std::uint32_t>& uids) {
    SendForEach(NamesOf(uids), LobbyMsgSetNormal, [](const std::string& n) { return n; });
}

void SetUsersVoice(const std::vector<std::uint32_t>& uids) {
    SendForEach(NamesOf(uids), LobbyMsgModerate, [](const std::string& n) {
        return Fields({"1", n, "0"});
    });
}

void SetUsersOperator(const std::vector<std::uint32_t>& uids) {
    SendForEach(NamesOf(uids), LobbyMsgModerate, [](const std::string& n) {
        return Fields({"0", n, "0"});
    });
}

void KickUsers(const std::vector<std::uint32_t>& uids) {
    SendForEach(NamesOf(uids), LobbyMsgKick, [](const std::string& n) { return n; });
}

void KickUsersWithMessage(const std::vector<std::string>& names, const std::string& message) {
    SendForEach(names, LobbyMsgKick, [&](const std::string& n) { return Fields({n, message}); });
}

void BanUsers(const std::vector<std::string>& names, const std::string& message, int seconds) {
    SendForEach(names, LobbyMsgModerate, [&](const std::string& n) {
        return Fields({"2", n, std::to_string(seconds), message});
    });
}

void RequestPermanentList() {
    if (LinkUp() && OwnPrivilege() < privVoice) {
        LobbySend(LobbyMsgPermanentList, "");
    }
}

void AddUsersAsFriends(const std::vector<std::uint32_t>& uids) {
    for (std::uint32_t uid : uids) {
        const tSbUser* user = FindUserByUid(uid);
        // A user without a name would be a friend no message could ever name again.
        if (user && !user->name.empty() && !user->friendRecord && !FindFriend(user->name)) {
            const std::string name = user->name;
            NewFriend(name);
        }
    }
    RebuildUserList();
    SendFriendsList();
}

void RemoveFriends(const std::vector<std::uint32_t>& uids) {
    for (const std::string& name : NamesOf(uids)) {
        const tSbUser* entry = FindFriend(name);
        if (entry) {
            DisposeFriend(name);
        }
    }
    RebuildUserList();
    SendFriendsList();
}

void AddUsersToIgnore(const std::vector<std::uint32_t>& uids) {
    for (std::uint32_t uid : uids) {
        const tSbUser* user = FindUserByUid(uid);
        if (user && !user->ignoreRecord && !FindIgnored(user->name)) {
            const std::string name = user->name;
            NewIgnored(name);
        }
    }
    RebuildUserList();
}

void RemoveIgnored(const std::vector<std::uint32_t>& uids) {
    for (const std::string& name : NamesOf(uids)) {
        if (FindIgnored(name)) {
            DisposeIgnored(name);
        }
    }
    RebuildUserList();
}

void InviteUser(std::uint32_t uid) {
    const tSbUser* user = FindUserByUid(uid);
    if (!user || !LinkUp()) {
        return;
    }
    const std::string name = user->name;
    LobbySend(LobbyMsgInvite, name);
    const tSbGame* game = ClientState.game.JoinedGame;
    AddLobbyChat(StyleCode("15") + "Invited " + StyleCode("01") + name + kStyleEnd +
                 " to your game " + StyleCode("01") + (game ? game->name : std::string()));
}

void WhoisUser(std::uint32_t uid) {
    if (const tSbUser* user = FindUserByUid(uid)) {
        RequestPlayerDetails(user->name, true, false, false);
    }
}

// ---- rooms and games

bool JoinRoomClicked(std::int32_t roomId) {
    const tSbRoom* room = FindRoom(roomId);
    if (!room || !LinkUp()) {
        return false;
    }
    tmesb& sb = ClientState.lobby;
    sb.RoomName = room->name;
    sb.RoomKey.clear();
    if (!room->flag || OwnPrivilege() == privAdministrator) {
        LobbySend(LobbyMsgJoinRoom, std::to_string(roomId));
        return true;
    }
    std::string key;
    const bool confirmed = LobbyShell().QueryRoomKey(key);
    // The dialog ran the event loop: the link or the room may have gone meanwhile. A key is
    // taken by the rule the room details set it with.
    if (!confirmed || !IsValidRoomKey(key) || !LinkUp() || !FindRoom(roomId)) {
        return false;
    }
    sb.RoomKey = key;
    LobbySend(LobbyMsgJoinRoom, Fields({std::to_string(roomId), key}));
    return true;
}

void CreateRoomNamed(const std::string& name) {
    if (!IsValidText(name) || !LinkUp()) {
        return;
    }
    LobbySend(LobbyMsgCreateRoom, name);
    ClientState.lobby.RoomName = name;
    ClientState.lobby.RoomKey.clear();
}

void CreateGameClicked() {
    if (!LinkUp()) {
        return;
    }
    LobbyHost& host = LobbyShell();
    if (LobbyModel.currentRoom && LobbyModel.currentRoom->moderated &&
        OwnPrivilege() >= privVoice) {
        host.ShowMessage(
            "The room is moderated, you do not have permission to create games at this time.");
        return;
    }
    if (ClientState.game.GameLinkState != LinkDown) {
        if (!host.Confirm("Creating a new game will make you leave your current game.  Proceed?")) {
            return;
        }
        host.GameDisconnect();
        if (!LinkUp()) {
            return;
        }
    }
    tmesb& sb = ClientState.lobby;
    if (sb.RegionsStale) {
        sb.PendingAction = paCreateGame;
        LobbyModel.pendingGame.reset();
        LobbySend(LobbyMsgAskRegions, "");
    } else {
        host.OpenGameSetCreate();
    }
}

void EditOwnDetails() {
    if (!LinkUp()) {
        return;
    }
    LobbySend(LobbyMsgAskStats, ClientState.account.AccountName);
}

}  // namespace pk
