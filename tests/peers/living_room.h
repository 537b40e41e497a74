#pragma once
// The room the scripted servers offer a player trying the client by hand: two bots seated and
// one watching, the first player to join as the operator, every reported piece acknowledged
// with the next of the seven pieces in turn, under a game set with specials of every kind. The
// seated bots play every game, a piece each
// about every second, their moves drawn from the room's seed; a player whose stack reaches the
// top rows is out, and the last player left in a game wins it.
#include <cstddef>
#include <cstdint>

#include "peers/game_server.h"
#include "peers/room_server.h"

namespace pk::peers {

class LivingRoom {
public:
    // The bots' moves come from `seed`; each places a piece about every `pieceMs`.
    LivingRoom(GameServerPeer& server, std::uint32_t seed = 1, int pieceMs = 1000);
    ScriptedRoom& Room() { return room_; }

private:
    GameServerPeer& server_;
    ScriptedRoom room_;
    std::size_t nextPiece_ = 0;
};

}  // namespace pk::peers
