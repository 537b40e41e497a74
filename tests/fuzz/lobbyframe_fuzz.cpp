// Arbitrary bytes from a master server through the lobby link's receive loop, in every phase.
// The first input byte picks the phase and the read size; in the framed phases the rest is the
// plain stream, scrambled here so that the loop's own unscrambling hands the fuzzer's bytes to
// the welcome handler and the dispatcher.
#include <QCoreApplication>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylink.h"
#include "net/zrscramble.h"
#include "silent_lobby_host.h"

using namespace pk;

namespace {

constexpr std::uint32_t kRecvKey = 0x2468ACE0u;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    static int argc = 1;
    static char name[] = "lobbyframe_fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static fuzz::SilentLobbyHost host(/*dropsGameLink=*/false);
    SetLobbyHost(&host);

    const std::uint8_t control = data[0];
    std::string stream(reinterpret_cast<const char*>(data + 1), size - 1);
    ResetLobby();
    ClearClientLog();
    ClientState.account.AccountName = "fuzz";
    ClientState.lobby.server.host.clear();  // a reconnect fails at once, without the network
    ClientState.lobby.LobbyLinkState = sbConnecting;
    LobbyLink.transcript = "login 136 1 fuzz 00\r\n";
    const int phase = control & 3;
    if (phase == 1) {
        LobbyLink.receivePhase = 1;
    } else if (phase >= 2) {
        LobbyLink.framed = true;
        LobbyLink.sendKey = {0x13579BDFu, true, ScrambleMulA, ScrambleAddA};
        LobbyLink.recvKey = {kRecvKey, true, ScrambleMulB, ScrambleAddB};
        if (phase == 3) {
            LobbyWelcome(26,
                         "7\x02"
                         "3\x02"
                         "1\x02"
                         "1\x02"
                         "0\x02"
                         "1\x02"
                         "Lobby");
        }
        TScrambleKey server = LobbyLink.recvKey;
        server.Scramble(stream);
    }
    const std::size_t chunk = 1 + (control >> 2);
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        LobbyReceiveBytes(std::string_view(stream).substr(at, chunk));
        if (ClientState.lobby.LobbyLinkState == sbDown) {
            break;
        }
    }
    ResetLobby();
    QCoreApplication::sendPostedEvents();
    return 0;
}
