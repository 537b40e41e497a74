// A scripted game server to try the client by hand on loopback:
//   gameserver [port]        (default 31459)
// It lets every player in (slot 1, or watching when slot 1 is taken), starts
// a game when asked (the client's "startgame") and acknowledges every piece.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "peers/game_server.h"

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
    server.OnFrame = [](GameServerSession& session, const GameFrame& frame) {
        std::printf("frame 0x%02x, %zu bytes\n", frame.type, frame.payload.size());
        if (frame.type == 0x12 && frame.payload == "1") {
            std::string tokens;
            for (int i = 0; i < 8; ++i) {
                tokens += (i ? std::string(1, TokenSep) : std::string()) + "1" +
                          std::string(PieceTable[static_cast<std::size_t>(i % 7)]);
            }
            session.StartGame(tokens, static_cast<std::int32_t>(std::time(nullptr)), 4242);
        }
    };
    return app.exec();
}
