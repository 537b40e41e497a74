// A scripted master server to try the client by hand on loopback:
//   masterserver [port] [game port]        (defaults 16803 and 31460)
// It lets every account in, welcomes it to the room "Lobby" with two more rooms, a few users
// and games, two regions and a line of chat, answers pings, friends, chat and joins, and runs
// a scripted game server on the game port where joined and created games take place, in the
// same living room as the game server's.
#include <QCoreApplication>
#include <QTimer>
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

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int port = argc > 1 ? std::atoi(argv[1]) : DefaultMasterServerPort;
    const int gamePort = argc > 2 ? std::atoi(argv[2]) : 31460;
    MasterServerPeer master;
    GameServerPeer games;
    if (port <= 0 || port > 65535 || !master.Listen(static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    if (gamePort <= 0 || gamePort > 65535 || !games.Listen(static_cast<std::uint16_t>(gamePort))) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", gamePort);
        return 1;
    }
    std::printf("master server on 127.0.0.1:%d, games on 127.0.0.1:%d\n", port, gamePort);

    MasterScript& s = master.script;
    s.rooms = {MasterRoomRecord(1, false, 3, "Lobby"), MasterRoomRecord(2, false, 0, "Newbies"),
               MasterRoomRecord(3, true, 2, "Private")};
    s.users = {MasterUserRecord("Ada", 1, 1), MasterUserRecord("bert", 3, 2)};
    s.games = {MasterGameRecord(7, true, 6, 2, 1, 0, "Ada", "Classic fun", "Local", 1),
               MasterGameRecord(8, false, 4, 0, 4, 0, "bert", "Full house", "Far", 0)};
    s.regions = {MasterRegionRecord(1, "Local", 2, 5, "127.0.0.1", gamePort),
                 MasterRegionRecord(2, "Far", 1, 4, "127.0.0.1", gamePort)};
    s.onlineFriends = {{"Ada", 1, 1}};
    s.topic = "Welcome to the scripted master server";
    s.chat = {MasterServerText('c', 0, true, false, false, "Ada\x02hello there")};
    s.gamePort = gamePort;

    // Joined and created games take place in the same living room as the game server's; a
    // created game brings its set into it.
    LivingRoom room(games);
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
