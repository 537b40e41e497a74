#pragma once
// Every framed message from the master server: the welcome, then one handler per message
// code, over the lobby model and through the lobby host. Also the small senders that live
// with it.
#include <cstdint>
#include <string>

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

// Messages before the welcome: only the welcome itself is accepted; anything else closes
// the link without retry.
void LobbyWelcome(std::uint8_t code, const std::string& payload);
// Messages once connected; unknown codes are ignored.
void LobbyDispatch(std::uint8_t code, const std::string& payload);

// "Requesting player details for" in each place whose flag is set, then 21 and 26.
void RequestPlayerDetails(const std::string& name, bool lobbyChat, bool roomChat, bool inGame);
// 22: the friends' names joined by 0x01.
void SendFriendsList();
// 13: topic, key, moderated.
void SendRoomProperties(const std::string& topic, const std::string& key, std::uint8_t moderated);
// Stores the current room's properties and shows the lock and moderated icons.
void SetRoomProperties(const std::string& topic, const std::string& lockText,
                       std::int32_t moderated);
// The user did something: an automatic status is taken back.
void NoteActivity();

}  // namespace pk
