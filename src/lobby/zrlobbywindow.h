#pragma once
// What the lobby window's handlers do, without the window: the 100 ms timer (keep-alive and the
// idle statuses), the scrolling topic banner, the game list's sort state, the own-status
// buttons, the user list's selection rules for the popup menu and the menu's actions, and the
// creation and joining of rooms and games. Users are named by their serial numbers, rooms and
// games by their ids, so that whatever a modal dialog lets happen, the action afterwards finds
// only what is still there.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/zrlobbymodel.h"

namespace pk {

// ---- the timer

inline constexpr int LobbyTimerIntervalMs = 100;
inline constexpr int BannerDefaultSpeed = 80;  // pixels per second

// One tick of the lobby window's timer (the lobby host's seconds clock): the keep-alive, then, with
// the link still up and no game link, at most one automatic status. True when a status was sent.
bool LobbyIdleTick();

// ---- the topic banner

struct TTopicBanner {
    std::int32_t offset = 0;
    std::int32_t downOffset = 0;
    std::int32_t speed = BannerDefaultSpeed;
    std::int32_t savedSpeed = 0;
    std::int32_t lastX = 0;
    std::int32_t lastY = 0;

    // The timer's step: speed div (1000 div interval) pixels.
    void Tick();
    // The x positions at which the topic (tw pixels wide) is drawn in a box `width` wide, and
    // the offset wrapped into one period afterwards. An empty topic draws nothing.
    std::vector<int> Layout(int width, int textWidth);
    static int Gap(int width, int textWidth);
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);  // with the left button held
    void MouseUp();
};

// ---- the game list's sort

struct TGameListSort {
    int column = 0;
    bool ascending = false;
    // A click on a column header: the same column flips the direction, another starts ascending.
    void ColumnClick(int clicked);
};

// ---- own status

// A status button (1 active, 2 away, 3 brb, 4 sleeping). False when nothing was sent (the link
// is not up or a game link is): the window then presses "I'm here!" again.
bool OwnStatusClicked(int status);

// ---- the user list

// The section a row's user belongs to.
enum class UserCategory { None, RoomUser, Friend, Ignored };
UserCategory CategoryOf(const TUserRow& row);
// A right click: which of the selected rows stay selected for the focused row's menu (header
// rows and rows of another section are dropped); no menu opens when that leaves none. None
// when the click does not concern the menu at all (no focused user, nothing selected): the
// selection then stays as it is.
std::optional<std::vector<int>> MenuSelection(int focusedRow, const std::vector<int>& selectedRows);
// A click on a header row's box: its section is opened or closed and the list rebuilt.
void ToggleUserSection(UserRowKind header);

// The selected users' names, in list order.
std::vector<std::string> SelectedUserNames(const std::vector<std::uint32_t>& uids);

// The popup menu's actions on the selected users (by serial number).
void SetUsersNormal(const std::vector<std::uint32_t>& uids);
void SetUsersVoice(const std::vector<std::uint32_t>& uids);
void SetUsersOperator(const std::vector<std::uint32_t>& uids);
void KickUsers(const std::vector<std::uint32_t>& uids);
// The message was asked for first; the users are looked up again and sent only with the link up.
void KickUsersWithMessage(const std::vector<std::string>& names, const std::string& message);
void BanUsers(const std::vector<std::string>& names, const std::string& message, int seconds);
void RequestPermanentList();
void AddUsersAsFriends(const std::vector<std::uint32_t>& uids);
void RemoveFriends(const std::vector<std::uint32_t>& uids);
void AddUsersToIgnore(const std::vector<std::uint32_t>& uids);
void RemoveIgnored(const std::vector<std::uint32_t>& uids);
void InviteUser(std::uint32_t uid);
void WhoisUser(std::uint32_t uid);

// ---- rooms and games

// Joins a room: the room list's double click and "/ok" for an invitation to another room. A
// keyed room asks for its key through the host's room-key query (LobbyHost::QueryRoomKey)
// unless the own user is an administrator, and is looked up again once the query has closed.
// True when the join was sent.
bool JoinRoomClicked(std::int32_t roomId);
// "New Room" confirmed with a name.
void CreateRoomNamed(const std::string& name);
// "New Game!": checks, the leave confirmation, then the regions or the game-set window.
void CreateGameClicked();
// "Edit player details...": the details request for the own account.
void EditOwnDetails();

}  // namespace pk
