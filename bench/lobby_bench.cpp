// Receive-and-dispatch throughput of the master-server link beside the game link's: scrambled
// frames arriving in socket-sized reads, cut out, unscrambled and handed to their handlers,
// which change the model they describe. Both streams are about a megabyte of the small state
// messages that make up most of a link's traffic.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "core/zrconst.h"
#include "game/zrfield.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbymodel.h"
#include "net/zrscramble.h"
#include "room/zrgamelink.h"

namespace {

using namespace pk;

constexpr std::uint32_t kStartState = 0x0badf00du;
constexpr std::size_t kReadSize = 4096;  // what one socket read takes
constexpr std::size_t kStreamSize = 1 << 20;

class QuietLobbyHost final : public LobbyHost {
public:
    void LobbyChatLine(const std::string&) override {}
    void SetUIState(int, bool) override {}
    void SetMainCaption(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
};

std::string Fields(std::initializer_list<std::string> fields) {
    std::string out;
    for (const auto& f : fields) {
        out += (out.empty() ? "" : "\x02") + f;
    }
    return out;
}

// A lobby welcomed into room 1 with 10 rooms, 50 users and 20 games.
void WelcomedLobby() {
    static QuietLobbyHost host;
    SetLobbyHost(&host);
    ResetLobby();
    ClientState.account.AccountName = "bench";
    ClientState.lobby.LobbyLinkState = sbConnecting;
    LobbyLink.framed = true;
    LobbyLink.sendKey = {1u, true, ScrambleMulA, ScrambleAddA};
    LobbyLink.recvKey = {kStartState, true, ScrambleMulB, ScrambleAddB};
    LobbyWelcome(LobbyMsgWelcome, Fields({"0", "3", "1", "1", "0", "1", "Lobby"}));
    for (int i = 2; i <= 10; ++i) {
        LobbyDispatch(LobbyMsgRoomAdded, Fields({std::to_string(i), "Room " + std::to_string(i)}));
    }
    for (int i = 0; i < 50; ++i) {
        LobbyDispatch(LobbyMsgUserJoined, Fields({"user" + std::to_string(i), "3", "1"}));
    }
    for (int i = 0; i < 20; ++i) {
        LobbyDispatch(LobbyMsgGameAdded, Fields({std::to_string(i), "0", "6", "2", "user1",
                                                 "Game " + std::to_string(i), "Europe"}));
    }
}

// Game, user and room changes in turn, scrambled with the lobby's receive key.
std::string LobbyStream(std::int64_t& frames) {
    std::mt19937 random(1u);
    std::string plain;
    frames = 0;
    while (plain.size() < kStreamSize) {
        const int n = static_cast<int>(random() % 20);
        switch (frames % 3) {
            case 0:
                plain += *BuildGameFrame(
                    LobbyMsgGameChanged,
                    Fields({std::to_string(n), "0", "6", "2", std::to_string(n % 6 + 1), "1",
                            "Game " + std::to_string(n), std::to_string(n % 2)}));
                break;
            case 1:
                plain += *BuildGameFrame(
                    LobbyMsgUserChanged,
                    Fields({"user" + std::to_string(n * 2), "3", std::to_string(n % 4 + 1)}));
                break;
            default:
                plain +=
                    *BuildGameFrame(LobbyMsgRoomChanged,
                                    Fields({std::to_string(n % 10 + 1), "0", std::to_string(n)}));
                break;
        }
        ++frames;
    }
    TScrambleKey key{kStartState, true, ScrambleMulB, ScrambleAddB};
    key.Scramble(plain);
    return plain;
}

void BM_LobbyReceiveAndDispatch(benchmark::State& state) {
    WelcomedLobby();
    std::int64_t frames = 0;
    const std::string stream = LobbyStream(frames);
    for (auto _ : state) {
        LobbyLink.recvKey.state = kStartState;
        for (std::size_t at = 0; at < stream.size(); at += kReadSize) {
            LobbyReceiveBytes(std::string_view(stream).substr(at, kReadSize));
        }
    }
    if (ClientState.lobby.LobbyLinkState != sbConnected) {
        state.SkipWithError("the lobby closed: the stream is out of step");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.SetItemsProcessed(state.iterations() * frames);
    ResetLobby();
}
BENCHMARK(BM_LobbyReceiveAndDispatch);

// A game room with a second player in slot 2.
void RoomJoined() {
    FieldWidth = 12;
    FieldHeight = 22;
    InitPlayerSlots();
    InitRoomHandlers();
    ResetGameLink();
    ClientState.game.GameLinkState = LinkInRoom;
    SeatPlayer(*AddPlayer("other"), 2);
    GameLink.GameRecvKey = {kStartState, true, ScrambleMulA, ScrambleAddA};
    GameLink.GameSendKey = {1u, true, ScrambleMulB, ScrambleAddB};
}

// Average levels, team changes and field differences in turn, scrambled with the game link's
// receive key.
std::string GameStream(std::int64_t& frames) {
    std::mt19937 random(1u);
    std::string plain;
    frames = 0;
    std::string bits;
    int position = 0;
    WriteBits(bits, position, 1u, 1);  // changes only
    for (int row = 0; row < 22; ++row) {
        WriteBits(bits, position, row == 21 ? 1u : 0u, 1);
    }
    for (int column = 0; column < 12; ++column) {
        WriteBits(bits, position, 1u, 1);
        WriteBits(bits, position, static_cast<std::uint32_t>(column % 5 + 1), 5);
    }
    while (plain.size() < kStreamSize) {
        const int n = static_cast<int>(random() % 20);
        switch (frames % 3) {
            case 0:
                plain += *BuildGameFrame(0x0a, std::to_string(n));
                break;
            case 1:
                plain += *BuildGameFrame(0x06, Fields({"2", "team" + std::to_string(n % 3)}));
                break;
            default:
                plain += *BuildGameFrame(0x08, "2\x02" + bits);
                break;
        }
        ++frames;
    }
    TScrambleKey key{kStartState, true, ScrambleMulA, ScrambleAddA};
    key.Scramble(plain);
    return plain;
}

void BM_GameReceiveAndDispatch(benchmark::State& state) {
    RoomJoined();
    std::int64_t frames = 0;
    const std::string stream = GameStream(frames);
    for (auto _ : state) {
        GameLink.GameRecvKey.state = kStartState;
        for (std::size_t at = 0; at < stream.size(); at += kReadSize) {
            GameLink.GameRecvBuffer += std::string_view(stream).substr(at, kReadSize);
            GameReceive();
        }
    }
    if (ClientState.game.GameLinkState != LinkInRoom) {
        state.SkipWithError("the game link closed: the stream is out of step");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.SetItemsProcessed(state.iterations() * frames);
    ClientState.game.GameLinkState = LinkDown;
    ResetGameLink();
}
BENCHMARK(BM_GameReceiveAndDispatch);

}  // namespace
