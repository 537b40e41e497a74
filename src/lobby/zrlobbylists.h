#pragma once
// What the lobby window shows of the model, as pure functions where it can be: the user list
// rows with their section order, the title and tray hint, the user popup menu, the game and
// region rows' cells and their sort orders, the own-status buttons and the chat line writer.
#include <array>
#include <cstdint>
#include <string>

#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbymodel.h"

namespace pk {

// Writes a line to the lobby chat box, with the time stamp when the option asks for it.
void AddLobbyChat(const std::string& text);

// Rebuilds LobbyModel.userRows (headers "!friends", "!ignore", "!users", each open section sorted)
// and sets the title and tray hint.
void RebuildUserList();
void RepaintUserList();
// A room user added, or one whose privilege changed: its row goes where RebuildUserList would
// put it, the others stay, and the title and tray hint follow the count. Joins and leaves come
// one at a time and may come by the thousand, so each costs one row, not a rebuild.
void PlaceRoomUserRow(const tSbUser& user);
// A room user disposed of: its row goes, and the title and tray hint follow the count.
void RemoveRoomUserRow(std::uint32_t uid);
// The caption of a header row as the list box holds it.
std::string UserRowHeader(UserRowKind kind);
// "Pelkorin (2 players)" and "Connected as bob, 2 players" while connected.
std::string LobbyAppTitle();
std::string LobbyTrayHint();

// Section orders, as strict weak orders ("a before b"). Names compare case-insensitively.
bool FriendBefore(const tSbUser& a, const tSbUser& b);    // online first, then by name
bool IgnoredBefore(const tSbUser& a, const tSbUser& b);   // by name
bool RoomUserBefore(const tSbUser& a, const tSbUser& b);  // privilege 0 first, then by name

// The user popup menu's enabled items.
struct TUserMenu {
    bool setnormal = false, setvoice = false, setoperator = false, statussub = false;
    bool kickwomsg = false, kickwmsg = false, whoismenu = false;
    bool kickandban = false, kickand5minban = false, kicksub = false, requestrps = false;
    bool addnewfriend = false, removefriend = false, friendsub = false, invitegame = false;
    bool addignoreusermenu = false, removeignoreuser = false, ignoresub = false;
};
// What the menu's rules read besides the selected user.
struct TUserMenuContext {
    int ownPrivilege = 3;  // no own user: no rights
    bool gameLinkInRoom = false;
    bool friendNamed = false;   // a friends-list entry has u's name
    bool ignoredNamed = false;  // an ignore-list entry has u's name
};
TUserMenu ConfigureUserMenu(const tSbUser& u, const TUserMenuContext& context);
// The same with the context taken from the model and the game link.
TUserMenu ConfigureUserMenu(const tSbUser& u);

// The eight cells of a game row: Name, Default, Plrs, Spec, Status, Region, Ping, Creator.
inline constexpr int GameColumns = 8;
std::array<std::string, GameColumns> GameRowCells(const tSbGame& game);
// The ping text of a region name: "???ms" until it is measured.
std::string RegionPingText(const std::string& regionName);
bool RegionMeasured(const tsbregion& region);
// 0 measured, 1 given up after failed tries, 2 not measured yet: the Ping column's order.
int RegionPingRank(const tsbregion& region);

// Game list order for a column (0 to 7): a strict weak order (a stable sort keeps equal games in
// their order). Equal keys fall back to the name; equal names are equivalent. The descending
// order is the ascending one with the two games swapped.
bool gamelistCompare(const tSbGame& a, const tSbGame& b, int column, bool ascending);
// Location dialog order for a column (0 Location, 1 Games, 2 People, 3 Ping). A row without a
// region ("(Least busy server)", nullptr) comes first in both directions.
bool regionlistCompare(const tsbregion* a, const tsbregion* b, int column, bool ascending);

// The own-status button for the own user's status (meactive without an own user).
OwnStatusButton OwnStatusButtonFor(const tSbUser* own);
void RefreshOwnStatusButtons();

}  // namespace pk
