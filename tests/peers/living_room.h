#pragma once
// The room the scripted servers offer a player trying the client by hand: two bots seated and
// one watching, the first player to join as the operator, every reported piece acknowledged
// with the next of the seven pieces in turn, and the game over once the player's stack
// reaches the top rows (the bots win).
#include <cstddef>

#include "peers/game_server.h"
#include "peers/room_server.h"

namespace pk::peers {

class LivingRoom {
public:
    explicit LivingRoom(GameServerPeer& server);
    ScriptedRoom& Room() { return room_; }

private:
    GameServerPeer& server_;
    ScriptedRoom room_;
    std::size_t nextPiece_ = 0;
};

}  // namespace pk::peers
