// The lobby's defaults that reach the shell: a disconnect after a reported error closes the
// client once no link is left.
#include <gtest/gtest.h>

#include "game/zrgame.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylink.h"
#include "shell/shell_fixture.h"

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

}  // namespace
}  // namespace pk
