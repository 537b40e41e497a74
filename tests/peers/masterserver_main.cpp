// A scripted master server to try the client by hand on loopback:
//   masterserver [port] [game port] [seed] [piece ms]   (defaults 16803, 31460, 1 and 1000)
// It lets every account in, welcomes it to the room "Lobby" with two more rooms, a few users
// and games, two regions and a line of chat, answers pings, friends, chat and its commands
// ("/help", "/me", "/p"), player details, new rooms and joins, and runs a scripted game server
// on the game port where joined and created games take place, in the same living room as the
// game server's (a created game brings its game set into it); the bots there draw their play
// from the seed and each places a piece every `piece ms`.
#include <QCoreApplication>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "peers/game_server.h"
#include "peers/living_room.h"
#include "peers/lobby_games.h"
#include "peers/master_server.h"

using namespace pk;
using namespace pk::peers;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: masterserver [port] [game port] [seed] [piece ms]\n"
                 "  port       where it listens on 127.0.0.1, 1 to 65535 (default 16803)\n"
                 "  game port  where its games take place on 127.0.0.1 (default 31460)\n"
                 "  seed       the bots' play, 0 to 4294967295: the same seed plays the same "
                 "(default 1)\n"
                 "  piece ms   how often each bot places a piece, 1 to 60000 (default 1000)\n");
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
    unsigned long port = DefaultMasterServerPort;
    unsigned long gamePort = 31460;
    unsigned long seed = 1;
    unsigned long pieceMs = 1000;
    if (argc > 5 || (argc > 1 && (!Number(argv[1], 65535, port) || port == 0)) ||
        (argc > 2 && (!Number(argv[2], 65535, gamePort) || gamePort == 0)) ||
        (argc > 3 && !Number(argv[3], 0xFFFFFFFFul, seed)) ||
        (argc > 4 && (!Number(argv[4], 60000, pieceMs) || pieceMs == 0))) {
        return Usage();
    }
    MasterServerPeer master;
    GameServerPeer games;
    if (!master.Listen(static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%lu\n", port);
        return 1;
    }
    if (!games.Listen(static_cast<std::uint16_t>(gamePort))) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%lu\n", gamePort);
        return 1;
    }
    std::printf("master server on 127.0.0.1:%lu, games on 127.0.0.1:%lu, bots' seed %lu\n", port,
                gamePort, seed);

    MasterScript& s = master.script;
    s.rooms = {MasterRoomRecord(1, false, 3, "Lobby"), MasterRoomRecord(2, false, 0, "Newbies"),
               MasterRoomRecord(3, true, 2, "Private")};
    s.users = {MasterUserRecord("Ada", 1, 1), MasterUserRecord("bert", 3, 2)};
    s.games = {MasterGameRecord(7, true, 6, 2, 1, 0, "Ada", "Classic fun", "Local", 1),
               MasterGameRecord(8, false, 4, 0, 4, 0, "bert", "Full house", "Far", 0)};
    const int gamesPort = static_cast<int>(gamePort);
    s.regions = {MasterRegionRecord(1, "Local", 2, 5, "127.0.0.1", gamesPort),
                 MasterRegionRecord(2, "Far", 1, 4, "127.0.0.1", gamesPort)};
    s.onlineFriends = {{"Ada", 1, 1}};
    s.topic = "Welcome to the scripted master server";
    s.chat = {MasterServerText('c', 0, true, false, false, "Ada\x02hello there")};
    s.gamePort = gamesPort;

    // Joined and created games take place in the same living room as the game server's; a
    // created game brings its set into it.
    LivingRoom room(games, static_cast<std::uint32_t>(seed), static_cast<int>(pieceMs));
    LobbyGames handOver(master, games, room.Room());
    master.OnSession = [](MasterServerSession& session) {
        std::printf("client connected\n");
        (void)session;
    };
    master.OnFrame = [](MasterServerSession& session, const LobbyFrame& frame) {
        std::printf("%s: message %d, %zu bytes\n", WordAt(4, session.LoginLine()).c_str(),
                    frame.code, frame.payload.size());
    };

    // A ping every 20 seconds keeps the clients' links alive.
    QTimer pinger;
    QObject::connect(&pinger, &QTimer::timeout, [&master] {
        for (auto& session : master.Sessions()) {
            if (session->phase() == MasterServerSession::Phase::Framed &&
                session->Connection().IsOpen()) {
                session->SendPing();
            }
        }
    });
    pinger.start(20000);
    return app.exec();
}
