// A scripted game server to try the client by hand on loopback:
//   gameserver [port] [seed] [piece ms]        (defaults 31459, 1 and 1000)
// It keeps a living room (scripted bots beside the players who join, the first
// of whom is the operator), starts a game when asked (the client's
// "startgame"), acknowledges every piece, lets the seated bots play (their
// pieces, places and specials drawn from the seed, so a run can be repeated;
// each bot places a piece every `piece ms`),
// puts out a player whose stack reaches the top, ends the game when one
// player is left and sends the last game's statistics.
#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "peers/game_server.h"
#include "peers/living_room.h"

using namespace pk;
using namespace pk::peers;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: gameserver [port] [seed] [piece ms]\n"
                 "  port      where it listens on 127.0.0.1, 1 to 65535 (default 31459)\n"
                 "  seed      the bots' play, 0 to 4294967295: the same seed plays the same "
                 "(default 1)\n"
                 "  piece ms  how often each bot places a piece, 1 to 60000 (default 1000)\n");
    return 2;
}

// A whole decimal number from 0 to max.
bool Number(const char* text, unsigned long max, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(text, &end, 10);
    return *text >= '0' && *text <= '9' && *end == '\0' && value <= max;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    unsigned long port = 31459;
    unsigned long seed = 1;
    unsigned long pieceMs = 1000;
    if (argc > 4 || (argc > 1 && (!Number(argv[1], 65535, port) || port == 0)) ||
        (argc > 2 && !Number(argv[2], 0xFFFFFFFFul, seed)) ||
        (argc > 3 && (!Number(argv[3], 60000, pieceMs) || pieceMs == 0))) {
        return Usage();
    }
    GameServerPeer server;
    if (!server.Listen(static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%lu\n", port);
        return 1;
    }
    std::printf("game server on 127.0.0.1:%lu, bots' seed %lu\n", port, seed);
    LivingRoom room(server, static_cast<std::uint32_t>(seed), static_cast<int>(pieceMs));
    // A player logged in to a lobby mixes the lobby's key into the join; without a lobby of
    // ours that key is 0.
    auto roomSession = server.OnSession;
    server.OnSession = [roomSession](GameServerSession& session) {
        session.AcceptEitherKey = true;
        roomSession(session);
    };
    return app.exec();
}
