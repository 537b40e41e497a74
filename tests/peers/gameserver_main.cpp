// A scripted game server to try the client by hand on loopback:
//   gameserver [port]        (default 31459)
// It lets every player in (slot 1, or watching when slot 1 is taken), starts
// a game when asked (the client's "startgame"), acknowledges every piece and
// ends the game when the stack reaches the top.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "peers/game_server.h"
#include "peers/room_script.h"

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
    server.OnSession = [&server](GameServerSession& session) {
        session.OnLogin = [](GameServerSession& s, const std::string& line) {
            std::printf("login: %s\n", line.c_str());
            s.SendLine("ok");
            const auto now = static_cast<std::uint32_t>(std::time(nullptr));
            s.SendSeed(std::string{static_cast<char>(now), static_cast<char>(now >> 8),
                                   static_cast<char>(now >> 16), static_cast<char>(now >> 24)});
        };
        session.OnSeedReply = [&server](GameServerSession& s, const GameFrame&) {
            const int slot = server.Sessions().size() == 1 ? 1 : 0;
            s.SendJoined(slot, WordAt(2, s.LoginLine()), "");
        };
    };
    // Every acknowledged piece hands out the next of the seven pieces in turn.
    std::size_t nextPiece = 0;
    bool over = false;
    server.OnFrame = [&server, &nextPiece, &over](GameServerSession& session,
                                                  const GameFrame& frame) {
        std::printf("frame 0x%02x, %zu bytes\n", frame.type, frame.payload.size());
        if (frame.type == 0x19) {
            nextPiece = (nextPiece + 1) % 7;
            server.options.ackTokens = "1" + std::string(PieceTable[nextPiece]);
            // A block in the two top rows leaves no room for the next piece: the player is
            // out, and alone in the room that ends the game.
            const std::string& field = session.Game.field;
            const std::size_t top = 2 * static_cast<std::size_t>(FieldWidth);
            if (!over && field.size() >= top && field.find_first_not_of('0') < top) {
                over = true;
                std::printf("player out, game over\n");
                SendOwnLoss(session);
                SendGameEnd(session, "");
            }
        }
        if (frame.type == 0x12 && frame.payload == "0")
            SendGameEnd(session, "");
        if (frame.type == 0x12 && frame.payload == "1") {
            std::string tokens;
            for (int i = 0; i < 8; ++i) {
                tokens += (i ? std::string(1, TokenSep) : std::string()) + "1" +
                          std::string(PieceTable[static_cast<std::size_t>(i % 7)]);
            }
            over = false;
            session.StartGame(tokens, static_cast<std::int32_t>(std::time(nullptr)), 4242);
        }
    };
    return app.exec();
}
