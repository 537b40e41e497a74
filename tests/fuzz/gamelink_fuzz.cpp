// Arbitrary bytes from a game server through the link's receive parser, in
// every phase. The first input byte picks the phase and the read size; in the
// frame phases the rest is the plain stream, scrambled here so that the
// parser's own unscrambling hands the fuzzer's bytes to the dispatchers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "game/zrfield.h"
#include "game/zrgame.h"
#include "net/zrscramble.h"
#include "room/zrgamelink.h"
#include "room/zrroomchat.h"

using namespace pk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    static bool initialised = false;
    if (!initialised) {
        FieldWidth = 12;
        FieldHeight = 22;
        InitPlayerSlots();
        InitRoomHandlers();
        initialised = true;
    }
    const std::uint8_t control = data[0];
    std::string stream(reinterpret_cast<const char*>(data + 1), size - 1);

    ClientState.game.GameLinkState = LinkDown;
    GameDisconnect();
    ResetGameLink();
    ClientState.game.GameLinkState = LinkJoining;
    const int phase = control & 3;
    if (phase >= 1) {
        GameLink.BinaryPhase = true;
    }
    if (phase >= 2) {
        GameLink.GameRecvKey = {0x1234567u, true, ScrambleMulA, ScrambleAddA};
        GameLink.GameSendKey = {0x7654321u, true, ScrambleMulB, ScrambleAddB};
        TScrambleKey server = GameLink.GameRecvKey;
        server.Scramble(stream);
        if (phase == 3) {
            ClientState.game.GameLinkState = LinkJoining;
            GameJoinDispatch(MsgJoin,
                             "1\x02"
                             "fuzz\x02");
        }
    }
    const std::size_t chunk = 1 + (control >> 2);
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        GameLink.GameRecvBuffer += std::string_view(stream).substr(at, chunk);
        GameReceive();
        if (ClientState.game.GameLinkState == LinkDown) {
            break;
        }
    }
    GameDisconnect();
    ClearClientLog();
    // What the messages left in the room's logs goes with the input: libFuzzer
    // runs a slow leak check after every input that allocates more than it
    // frees.
    ClientState.game.GameEventLog.clear();
    RecentPrivateNames.clear();
    return 0;
}
