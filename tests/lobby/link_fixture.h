#pragma once
// The lobby link against the scripted master server on loopback.
#include "lobby_fixture.h"
#include "peers/master_server.h"

namespace pk::test {

using peers::LobbyFrame;
using peers::MasterServerPeer;
using peers::MasterServerSession;

class LinkTest : public LobbyTest {
protected:
    void SetUp() override {
        LobbyTest::SetUp();
        ASSERT_TRUE(server.Listen());
        ClientState.account.AccountName = "alice";
        ClientState.account.Password = "secret";
        ClientState.lobby.server.host = "127.0.0.1";
        ClientState.lobby.server.port = server.Port();
    }
    void TearDown() override {
        LobbyDisconnect(false);
        LobbyTest::TearDown();
    }

    bool Welcomed() {
        return RunUntil([] { return ClientState.lobby.LobbyLinkState == sbConnected; });
    }
    bool Down() {
        return RunUntil([] { return ClientState.lobby.LobbyLinkState == sbDown; });
    }
    bool SessionReaches(MasterServerSession::Phase phase) {
        return RunUntil([this, phase] { return server.Last() && server.Last()->phase() == phase; });
    }
    // The client's frames as the server read them.
    std::vector<LobbyFrame> Frames() {
        return server.Last() ? server.Last()->Frames() : std::vector<LobbyFrame>{};
    }
    bool FrameArrives(std::uint8_t code, std::size_t nth = 1) {
        return RunUntil([this, code, nth] {
            std::size_t n = 0;
            for (const auto& f : Frames()) {
                n += f.code == code ? 1 : 0;
            }
            return n >= nth;
        });
    }

    MasterServerPeer server;
};

}  // namespace pk::test
