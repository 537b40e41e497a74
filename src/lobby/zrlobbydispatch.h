#pragma once
// Every framed message from the master server: the welcome, then one handler per message
// code, over the lobby model and through the lobby host. Also the small senders that live
// with it. The message codes and layouts are in zrlobbylayout.h.
#include <cstdint>
#include <string>

#include "lobby/zrlobbylayout.h"

namespace pk {

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
