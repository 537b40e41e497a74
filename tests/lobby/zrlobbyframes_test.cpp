// The receive loop without a socket: the server's whole byte stream from "ok" to the rooms,
// cut at every byte, and the receive key running on across the chunks.
#include "lobby_fixture.h"
#include "net/zrlobbykeys.h"

namespace pk::test {
namespace {

class Frames : public LobbyTest {
protected:
    static constexpr std::uint32_t kClientValue = 0x00C0FFEEu;
    static constexpr std::uint32_t kServerValue = 0x00BADA55u;
    const std::string loginLine = "login 136 1 me 00\r\n";

    // A connection as bc leaves it: the login line sent, waiting for the reply.
    void Connecting() {
        ClientState.account.AccountName = "me";
        ClientState.lobby.LobbyLinkState = sbConnecting;
        LobbyLink.exchangeValue = kClientValue;
        LobbyLink.transcript = loginLine;
    }

    // What the server sends: "ok", its value, the welcome and three rooms in three frames.
    std::string ServerStream() {
        std::string stream = "ok\r\n" + ExchangeValueBytes(kServerValue);
        const std::string transcript = loginLine + "ok\r\n" + ExchangeValueBytes(kClientValue) +
                                       ExchangeValueBytes(kServerValue);
        TScrambleKey key = DeriveLobbyKeys(transcript, kClientValue, kServerValue).serverToClient;
        const auto frame = [&key](std::uint8_t code, const std::string& payload) {
            std::string bytes = *BuildGameFrame(code, payload);
            key.Scramble(bytes);
            return bytes;
        };
        stream += frame(26, F({"99", "3", "1", "1", "0", "1", "Lobby"}));
        MixLobbyKey(key, 99);
        for (int id = 2; id <= 4; ++id) {
            stream += frame(10, F({std::to_string(id), "Room " + std::to_string(id)}));
        }
        return stream;
    }

    void ExpectAllRead(const std::string& what) {
        EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbConnected) << what;
        for (int id = 2; id <= 4; ++id) {
            const tSbRoom* room = FindRoom(id);
            ASSERT_NE(room, nullptr) << what;
            EXPECT_EQ(room->name, "Room " + std::to_string(id)) << what;
        }
        EXPECT_TRUE(LobbyLink.recvBuffer.empty()) << what;
        EXPECT_FALSE(LobbyLink.busy) << what;
    }
};

TEST_F(Frames, TheWholeStreamInOneChunk) {
    Connecting();
    LobbyReceiveBytes(ServerStream());
    ExpectAllRead("one chunk");
    // The client's value went out unscrambled, behind the login line.
    EXPECT_EQ(LobbyLink.sendQueue.substr(0, 4), ExchangeValueBytes(kClientValue));
}

TEST_F(Frames, CutAtEveryByte) {
    const std::string stream = ServerStream();
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        ResetAll();
        Connecting();
        LobbyReceiveBytes(stream.substr(0, cut));
        LobbyReceiveBytes(stream.substr(cut));
        ExpectAllRead("cut at " + std::to_string(cut));
        if (HasFatalFailure() || HasNonfatalFailure()) {
            return;
        }
    }
}

TEST_F(Frames, OneByteAtATime) {
    const std::string stream = ServerStream();
    Connecting();
    for (char byte : stream) {
        LobbyReceiveBytes(std::string(1, byte));
    }
    ExpectAllRead("byte by byte");
}

TEST_F(Frames, BytesArrivingWhileAHandlerRunsAreReadByTheSameLoop) {
    // A dialog that pumps the event loop lets more bytes in before the handler returns.
    class Pumping : public RecordingLobbyHost {
    public:
        std::string later;
        void ShowStatusList(const std::string&) override { LobbyReceiveBytes(later); }
    } pumping;
    SetLobbyHost(&pumping);
    Connected();
    TScrambleKey key = LobbyLink.recvKey;
    const auto frame = [&key](std::uint8_t code, const std::string& payload) {
        std::string bytes = *BuildGameFrame(code, payload);
        key.Scramble(bytes);
        return bytes;
    };
    const std::string first = frame(22, "list");
    pumping.later = frame(10, F({"8", "Late"}));
    LobbyReceiveBytes(first);
    EXPECT_NE(FindRoom(8), nullptr);
    EXPECT_FALSE(LobbyLink.busy);
    SetLobbyHost(&host);
}

}  // namespace
}  // namespace pk::test
