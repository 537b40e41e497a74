// A scripted game server to try the client by hand on loopback:
//   gameserver [port]        (default 31459)
// It keeps a living room (scripted bots beside the players who join, the first
// of whom is the operator), starts a game when asked (the client's
// "startgame"), acknowledges every piece, ends the game when the stack reaches
// the top and sends the last game's statistics.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "peers/game_server.h"
#include "peers/room_script.h"
#include "peers/room_server.h"

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
    // A living room: two bots seated and one watching; the first player to join is the
    // room's operator.
    ScriptedRoom room(server);
    room.AddBot("Drovak", 3, "reds");
    room.AddBot("Ilsa", 5, "");
    room.AddBot("Tamsin", 0, "");
    // Every acknowledged piece hands out the next of the seven pieces in turn.
    std::size_t nextPiece = 0;
    room.AfterFrame = [&server, &room, &nextPiece](GameServerSession& session,
                                                   const GameFrame& frame) {
        std::printf("frame 0x%02x, %zu bytes\n", frame.type, frame.payload.size());
        if (frame.type == 0x19 && room.running) {
            nextPiece = (nextPiece + 1) % 7;
            server.options.ackTokens = "1" + std::string(PieceTable[nextPiece]);
            // A block in the two top rows leaves no room for the next piece: the player is
            // out, and the bots win.
            const std::string& field = session.Game.field;
            const std::size_t top = 2 * static_cast<std::size_t>(FieldWidth);
            if (field.size() >= top && field.find_first_not_of('0') < top) {
                std::printf("player out, game over\n");
                SendOwnLoss(session);
                room.EndGame("Drovak");
            }
        }
    };
    return app.exec();
}
