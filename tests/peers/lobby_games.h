#pragma once
// The games of the scripted master server take place in a scripted room of the scripted game
// server, wired as the masterserver program runs them: the lobby key of each join or create
// request goes to the next game session, and a game created from the lobby brings the game set
// it was created with into the room.
#include <cstdint>

#include "peers/game_server.h"
#include "peers/master_server.h"
#include "peers/room_server.h"

namespace pk::peers {

class LobbyGames {
public:
    // Takes over the master's game callbacks and wraps the room's session callback.
    LobbyGames(MasterServerPeer& master, GameServerPeer& games, ScriptedRoom& room);

private:
    std::uint32_t lobbyKey_ = 0;
};

}  // namespace pk::peers
