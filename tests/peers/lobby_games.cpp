#include "peers/lobby_games.h"

#include <string>

namespace pk::peers {

LobbyGames::LobbyGames(MasterServerPeer& master, GameServerPeer& games, ScriptedRoom& room) {
    // The key of the latest join or create goes to the next game session.
    master.OnGameKey = [this](std::uint32_t key) { lobbyKey_ = key; };
    master.OnGameCreated = [&room](int, const std::string& setName, const std::string& setData) {
        room.SetGameSet(setName, setData);
    };
    auto roomSession = games.OnSession;
    games.OnSession = [this, roomSession](GameServerSession& session) {
        session.UseLobbyKey = true;
        session.LobbyKey = lobbyKey_;
        if (roomSession)
            roomSession(session);
    };
}

}  // namespace pk::peers
