// A scripted game server to try the client by hand on loopback:
//   gameserver [port]        (default 31459)
// It keeps a living room (scripted bots beside the players who join, the first
// of whom is the operator), starts a game when asked (the client's
// "startgame"), acknowledges every piece, ends the game when the stack reaches
// the top and sends the last game's statistics.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "peers/game_server.h"
#include "peers/living_room.h"

using namespace pk;
using namespace pk::peers;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int port = argc > 1 ? std::atoi(argv[1]) : 31459;
    GameServerPeer server;
    if (port <= 0 || port > 65535 || !server.Listen(static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("game server on 127.0.0.1:%d\n", port);
    LivingRoom room(server);
    // A player logged in to a lobby mixes the lobby's key into the join; without a lobby of
    // ours that key is 0.
    auto roomSession = server.OnSession;
    server.OnSession = [roomSession](GameServerSession& session) {
        session.AcceptEitherKey = true;
        roomSession(session);
    };
    return app.exec();
}
