#pragma once
// The lobby messages that keep its lists: rooms, the current room's users and the games, one
// handler per code (zrlobbylistmsgs.cpp), routed by the dispatcher's table (zrlobbydispatch.cpp)
// with the other messages. Each reads its numbers first, so that a bad number leaves the model
// as it was; list handlers stop at the first bad record.
#include <string>
#include <string_view>

#include "core/chatstyle.h"
#include "game/zrgame.h"
#include "lobby/zrlobbymodel.h"

namespace pk::lobbymsgs {

// What every handler shares: the lobby's part of the client state, the chat style codes and the
// ignore list, and the invitation line of a game join and of an invitation.
inline tmesb& Sb() {
    return ClientState.lobby;
}
inline std::string S(std::string_view digits) {
    return StyleCode(digits);
}
inline const std::string& E() {
    return kStyleEnd;
}
inline bool Ignored(const std::string& name) {
    return FindIgnored(name) != nullptr;
}

// The invitation line: "... has invited you to join the game <name>. Type /ok to join!".
inline std::string InvitationLine(const std::string& inviter, const std::string& invitedTo,
                                  const std::string& name, const std::string& ending) {
    return S("15") + S("01") + inviter + E() + invitedTo + S("01") + name + E() + ending + S("01") +
           "/ok" + E() + " to join!";
}

void OnJoinedRoom(const std::string& payload);
void OnUserJoined(const std::string& payload);
void OnRoomUsers(const std::string& payload);
void OnUserChanged(const std::string& payload);
void OnUserLeft(const std::string& payload);
void OnRoomProperties(const std::string& payload);
void OnRoomAdded(const std::string& payload);
void OnRooms(const std::string& payload);
void OnRoomChanged(const std::string& payload);
void OnRoomRemoved(const std::string& payload);
void OnGameAdded(const std::string& payload);
void OnGames(const std::string& payload);
void OnGameChanged(const std::string& payload);
void OnGameRemoved(const std::string& payload);
void OnJoinGameNow(const std::string& payload);
void OnGameSet(const std::string& payload);

}  // namespace pk::lobbymsgs
