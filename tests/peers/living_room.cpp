#include "peers/living_room.h"

#include <cstdio>
#include <string>

#include "game/zrfield.h"
#include "peers/room_script.h"

namespace pk::peers {

LivingRoom::LivingRoom(GameServerPeer& server) : server_(server), room_(server) {
    room_.AddBot("Drovak", 3, "reds");
    room_.AddBot("Ilsa", 5, "");
    room_.AddBot("Tamsin", 0, "");
    room_.AfterFrame = [this](GameServerSession& session, const GameFrame& frame) {
        std::printf("frame 0x%02x, %zu bytes\n", frame.type, frame.payload.size());
        if (frame.type != 0x19 || !room_.running)
            return;
        nextPiece_ = (nextPiece_ + 1) % 7;
        server_.options.ackTokens = "1" + std::string(PieceTable[nextPiece_]);
        // A block in the two top rows leaves no room for the next piece.
        const std::string& field = session.Game.field;
        const std::size_t top = 2 * static_cast<std::size_t>(FieldWidth);
        if (field.size() >= top && field.find_first_not_of('0') < top) {
            std::printf("player out, game over\n");
            SendOwnLoss(session);
            room_.EndGame("Drovak");
        }
    };
}

}  // namespace pk::peers
