#include "peers/living_room.h"

#include <cstdio>
#include <string>

#include "core/zrgameset.h"
#include "game/zrfield.h"

namespace pk::peers {

LivingRoom::LivingRoom(GameServerPeer& server, std::uint32_t seed, int pieceMs)
    : server_(server), room_(server) {
    room_.AddBot("Drovak", 3, "reds");
    room_.AddBot("Ilsa", 5, "");
    room_.AddBot("Tamsin", 0, "");
    // Specials of every kind: the bots deal in the ones that change a field by whole rows.
    TGameSet set;
    for (int lines = 1; lines <= 4; ++lines)
        set.SetValue("sbchance" + std::to_string(lines), "aaacccnrrsbbgqqoovidfm");
    room_.gameSetName = "Living room";
    room_.gameSetData = set.SaveToCompressed();
    room_.botPlay = true;
    room_.botSeed = seed;
    room_.botPieceMs = pieceMs;
    room_.AfterFrame = [this](GameServerSession& session, const GameFrame& frame) {
        std::printf("frame 0x%02x, %zu bytes\n", frame.type, frame.payload.size());
        const ScriptedRoom::Member* me = room_.Of(session);
        if (frame.type != 0x19 || !room_.running || me == nullptr || !me->playing)
            return;
        nextPiece_ = (nextPiece_ + 1) % 7;
        server_.options.ackTokens = "1" + std::string(PieceTable[nextPiece_]);
        // A block in the two top rows leaves no room for the next piece.
        const std::string& field = session.Game.field;
        const std::size_t top = 2 * static_cast<std::size_t>(BotFieldWidth);
        if (field.size() >= top && field.find_first_not_of('0') < top) {
            std::printf("%s is out\n", me->name.c_str());
            room_.Lose(me->name);
        }
    };
}

}  // namespace pk::peers
