#pragma once
// Every master-server message's layout, once: its code and, for each field, where it lies and
// how it is read (the field kinds of zrlobbyfields.h). The handlers read fields by these names;
// the scripted master server may share the codes and layouts, never the client's state.
// A list message's layout is that of one record; records are separated by 0x01, fields by 0x02.
#include <cstdint>

#include "lobby/zrlobbyfields.h"

namespace pk {

// Messages from the master server.
enum LobbyInCode : std::uint8_t {
    LobbyMsgServerText = 2,
    LobbyMsgRegions = 4,
    LobbyMsgServersStatus = 5,
    LobbyMsgUserJoined = 6,
    LobbyMsgUserLeft = 7,
    LobbyMsgRoomUsers = 8,
    LobbyMsgUserChanged = 9,
    LobbyMsgRoomAdded = 10,
    LobbyMsgRoomRemoved = 11,
    LobbyMsgRooms = 12,
    LobbyMsgRoomChanged = 13,
    LobbyMsgGameAdded = 14,
    LobbyMsgGameRemoved = 15,
    LobbyMsgGames = 16,
    LobbyMsgGameChanged = 17,
    LobbyMsgGameSet = 18,
    LobbyMsgJoinGameNow = 19,
    LobbyMsgRoomProperties = 21,
    LobbyMsgStatusList = 22,
    LobbyMsgInvitation = 24,
    LobbyMsgPing = 25,
    LobbyMsgWelcome = 26,
    LobbyMsgJoinedRoom = 27,
    LobbyMsgUserDb = 30,
    LobbyMsgFriendsOnline = 31,
    LobbyMsgQuery = 32,
    LobbyMsgPlayerDetails = 33,
    LobbyMsgPlayerStats = 34,
};

// Messages to the master server.
enum LobbyOutCode : std::uint8_t {
    LobbyMsgAskRegions = 2,
    LobbyMsgJoinRoom = 3,
    LobbyMsgCreateRoom = 4,
    LobbyMsgJoinGameOnServer = 5,
    LobbyMsgCreateGame = 6,
    LobbyMsgJoinGame = 7,
    LobbyMsgInvite = 8,
    LobbyMsgModerate = 10,
    LobbyMsgOwnStatus = 12,
    LobbyMsgSetRoomProperties = 13,
    LobbyMsgSetNormal = 14,
    LobbyMsgKick = 15,
    LobbyMsgPermanentList = 16,
    LobbyMsgPong = 17,
    LobbyMsgCommand = 18,
    LobbyMsgAskDetails = 21,
    LobbyMsgFriends = 22,
    LobbyMsgProfile = 23,
    LobbyMsgAwayMessage = 24,
    LobbyMsgProfileChanged = 25,
    LobbyMsgAskStats = 26,
};

namespace lobbylayout {

// 26, the welcome: the own user and the room the link starts in.
inline constexpr struct WelcomeLayout {
    LobbyInCode code = LobbyMsgWelcome;
    LobbyNumberOr welcome{1};
    LobbyNumber privilege{2};
    LobbyNumber status{3};
    LobbyNumberOr roomId{4};
    LobbyNumberOr roomFlag{5};
    LobbyNumber roomCount{6};
    LobbyText roomName{7};
} kWelcome{};

// ---- The rooms.

// 27: the own user joined a room.
inline constexpr struct JoinedRoomLayout {
    LobbyInCode code = LobbyMsgJoinedRoom;
    LobbyNumberOr roomId{1};
    LobbyNumber privilege{2};
    LobbyNumber status{3};
} kJoinedRoom{};

// 10: a room added to the list; it starts with one user and no flag.
inline constexpr struct RoomAddedLayout {
    LobbyInCode code = LobbyMsgRoomAdded;
    LobbyNumberOr id{1};
    LobbyText name{2};
} kRoomAdded{};

// 12, list: every room.
inline constexpr struct RoomsLayout {
    LobbyInCode code = LobbyMsgRooms;
    LobbyNumberOr id{1};
    LobbyFlag flag{2};
    LobbyNumberOr count{3, 1};
    LobbyText name{4};
} kRooms{};

// 13: a room's flag and user count.
inline constexpr struct RoomChangedLayout {
    LobbyInCode code = LobbyMsgRoomChanged;
    LobbyNumberOr id{1};
    LobbyFlag flag{2};
    LobbyNumberOr count{3, 1};
} kRoomChanged{};

// 11: a room gone.
inline constexpr struct RoomRemovedLayout {
    LobbyInCode code = LobbyMsgRoomRemoved;
    LobbyNumberOr id{1};
} kRoomRemoved{};

// 21: the current room's properties.
inline constexpr struct RoomPropertiesLayout {
    LobbyInCode code = LobbyMsgRoomProperties;
    LobbyText topic{1};
    LobbyText lockText{2};
    LobbyNumberOr moderated{3};
} kRoomProperties{};

// ---- The current room's users.

// 6 a user joined, 9 a user changed; 8 is a list of them, every user of the room.
struct UserLayout {
    LobbyInCode code;
    LobbyText name{1};
    LobbyNumber privilege{2};
    LobbyNumber status{3};
};
inline constexpr UserLayout kUserJoined{LobbyMsgUserJoined};
inline constexpr UserLayout kUserChanged{LobbyMsgUserChanged};
inline constexpr UserLayout kRoomUsers{LobbyMsgRoomUsers};

// 7: a user left the room.
inline constexpr struct UserLeftLayout {
    LobbyInCode code = LobbyMsgUserLeft;
    LobbyText name{1};
} kUserLeft{};

// 31, list: the friends online, with their status and room.
inline constexpr struct FriendsOnlineLayout {
    LobbyInCode code = LobbyMsgFriendsOnline;
    LobbyText name{1};
    LobbyNumber status{2};
    LobbyNumber roomId{3};
} kFriendsOnline{};

// ---- The current room's games.

// Where a game message keeps the game record's fields; a field at 0 is not carried, and the
// record keeps what it had. Every game message fills the record through ReadGame.
struct GameLayout {
    LobbyInCode code{};
    LobbyNumberOr id{};
    LobbyNumberOr defaultSet{};
    LobbyNumberOr maxPlayers{};
    LobbyNumberOr maxSpectators{};
    LobbyNumberOr players{};
    LobbyNumberOr spectators{};
    LobbyText creator{};
    LobbyText name{};
    LobbyText region{};
    LobbyNumberOr status{};
};

// 14: a game added; its players, spectators and status stay as a new game has them.
inline constexpr GameLayout kGameAdded{.code = LobbyMsgGameAdded,
                                       .id = {1, -1},
                                       .defaultSet = {2},
                                       .maxPlayers = {3},
                                       .maxSpectators = {4},
                                       .creator = {5},
                                       .name = {6},
                                       .region = {7}};
// 16, list: every game of the current room.
inline constexpr GameLayout kGames{.code = LobbyMsgGames,
                                   .id = {1, -1},
                                   .defaultSet = {2},
                                   .maxPlayers = {3},
                                   .maxSpectators = {4},
                                   .players = {5},
                                   .spectators = {6},
                                   .creator = {7},
                                   .name = {8},
                                   .region = {9},
                                   .status = {10, 1}};
// 17: a game changed; its creator and region stay.
inline constexpr GameLayout kGameChanged{.code = LobbyMsgGameChanged,
                                         .id = {1},
                                         .defaultSet = {2},
                                         .maxPlayers = {3},
                                         .maxSpectators = {4},
                                         .players = {5},
                                         .spectators = {6},
                                         .name = {7},
                                         .status = {8, 1}};

// 15: a game gone.
inline constexpr struct GameRemovedLayout {
    LobbyInCode code = LobbyMsgGameRemoved;
    LobbyNumberOr id{1};
} kGameRemoved{};

// 19: join the game now, on this game server.
inline constexpr struct JoinGameNowLayout {
    LobbyInCode code = LobbyMsgJoinGameNow;
    LobbyNumberOr id{1};
    LobbyText address{2};
    LobbyNumberOr port{3, 1};
} kJoinGameNow{};

// 18: a game's game set, its rule text with every separator in it.
inline constexpr struct GameSetLayout {
    LobbyInCode code = LobbyMsgGameSet;
    LobbyNumberOr id{1};
    LobbyRest rules{2};
} kGameSet{};

// 24: an invitation to a game.
inline constexpr struct InvitationLayout {
    LobbyInCode code = LobbyMsgInvitation;
    LobbyText inviter{1};
    LobbyNumberOr roomId{2};
    LobbyNumberOr gameId{3};
} kInvitation{};

// ---- Regions, servers and players.

// 4, list: the game-server regions; a region id of 0 or less is no region.
inline constexpr struct RegionsLayout {
    LobbyInCode code = LobbyMsgRegions;
    LobbyNumberOr id{1};
    LobbyText name{2};
    LobbyNumberOr games{3};
    LobbyNumberOr people{4};
    LobbyText host{5};
    LobbyNumberOr port{6};
} kRegions{};

// 5: the seconds to the next report, a blank, then a list of records: "gs" and "us" open the
// game and update server sections, each further record is a server of its section.
// What every server record starts with.
struct ServerRecordLayout {
    LobbyText tag{1};
    LobbyText state{2};
    LobbyReal load{3};
    LobbyNumber capacity{4};
    LobbyText host{5};
    LobbyText userHost{6};
    LobbyText port{7};
};
struct GameServerRecordLayout : ServerRecordLayout {
    LobbyFlag testing{8};
    LobbyText region{9};
};
struct UpdateServerRecordLayout : ServerRecordLayout {
    LobbyText userPort{8};
    LobbyText redirectHost{9};
    LobbyText redirectPort{10};
    LobbyText detail{11};
    LobbyNumberOr uploadRate{12};
};
inline constexpr struct ServersStatusLayout {
    LobbyInCode code = LobbyMsgServersStatus;
    GameServerRecordLayout gameServer;
    UpdateServerRecordLayout updateServer;
} kServersStatus{};

// 22: a compressed key/value record; the value of each key "0", "1", ... is one entry.
inline constexpr struct StatusListEntryLayout {
    LobbyInCode code = LobbyMsgStatusList;
    LobbyNumberOr entryId{1};
    LobbyNumberOr kind{2, 3};
    LobbyText nickname{3};
    LobbyText message{4};
    LobbyNumberOr seconds{5};
} kStatusListEntry{};

// 34: the player's statistics tables from field 2 on; field 1 is not read.
inline constexpr struct PlayerStatsLayout {
    LobbyInCode code = LobbyMsgPlayerStats;
    LobbyRest tables{2};
} kPlayerStats{};

}  // namespace lobbylayout

}  // namespace pk
