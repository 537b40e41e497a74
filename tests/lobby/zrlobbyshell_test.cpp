// The lobby's defaults that reach the shell: a disconnect after a reported error closes the
// client once no link is left. The game server's texts for the lobby reach its chat box.
#include "lobby/zrlobbyshell.h"

#include <gtest/gtest.h>

#include "game/zrgame.h"
#include "lobby/lobby_fixture.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylink.h"
#include "shell/shell_fixture.h"
#include "shell/zrlobbyhooks.h"
#include "shell/zrwiring.h"

namespace pk {
namespace {

class LobbyShellDefaults : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetShellGlobals();
        SetLobbyHost(nullptr);
        SetShellWindow(&window);
    }
    void TearDown() override {
        SetShellWindow(nullptr);
        test::ResetShellGlobals();
    }
    test::RecordingWindow window;
};

TEST_F(LobbyShellDefaults, ADisconnectAfterAReportedErrorClosesTheClient) {
    LobbyDisconnect(false);
    EXPECT_EQ(window.closes, 0);
    CloseAfterError = 1;
    ClientState.game.GameLinkState = LinkInRoom;  // the game link still holds it open
    EXPECT_TRUE(LobbyShell().CloseAfterError());
    ClientState.game.GameLinkState = LinkDown;
    LobbyDisconnect(false);
    EXPECT_EQ(window.closes, 1);
}

TEST_F(LobbyShellDefaults, TheShellsCloseIsSeen) {
    EXPECT_FALSE(LobbyShell().ClosingDown());
    ClosingDown = 1;
    EXPECT_TRUE(LobbyShell().ClosingDown());
}

// The shell's room host and the lobby's part as the client installs them.
class GameServerTexts : public test::LobbyTest {
protected:
    void SetUp() override {
        test::LobbyTest::SetUp();
        SetShellLobby(&lobbyPart);
        InstallGameWiring();
    }
    void TearDown() override {
        RemoveGameWiring();
        SetShellLobby(nullptr);
        test::LobbyTest::TearDown();
    }
    // A game server's text message (0x03): chat code 1 with the lobby and room bits.
    static std::string LobbyAndRoomText(const std::string& who, const std::string& what) {
        const unsigned bits = (1u << 3) | 4u | 2u;
        return std::string("c") + static_cast<char>(bits >> 8) + static_cast<char>(bits & 0xFF) +
               who + '\x02' + what;
    }
    TLobbyShellPart lobbyPart;
};

TEST_F(GameServerTexts, ALineForTheLobbyIsWrittenAsTheLobbyWritesItsOwn) {
    ASSERT_TRUE(CallRoomHandler(0x03, LobbyAndRoomText("Ann", "waves")));
    Settings.lobby.findgamests = 1;
    ASSERT_TRUE(CallRoomHandler(0x03, LobbyAndRoomText("Bo", "nods")));
    EXPECT_EQ(host.chat,
              (std::vector<std::string>{test::Chat("~22* ~14~01Ann~~00 waves"),
                                        test::Chat("~17[12:34] ~~22* ~14~01Bo~~00 nods")}));
    // Without the lobby window the line has nowhere to go, and it does not come back.
    SetLobbyHost(nullptr);
    ASSERT_TRUE(CallRoomHandler(0x03, LobbyAndRoomText("Cy", "hums")));
    EXPECT_EQ(host.chat.size(), 2u);
}

}  // namespace
}  // namespace pk
