#include <gtest/gtest.h>

#include "skin/skin_fixture.h"
#include "skin/zrskincmd.h"

namespace pk {
namespace {

using Sent = std::vector<std::pair<int, std::string>>;

class CommandTest : public test::SkinTest {
protected:
    // In a room as its operator, no game running.
    void InRoomAsOperator() {
        commands.gameLink = 1;
        commands.player = "Me";
        commands.operators = "alice ME bob";
    }
};

TEST_F(CommandTest, LoginAndCancelFollowTheLobbyState) {
    ExecuteCommand("login");
    EXPECT_EQ(commands.logins, std::vector<std::string>{"me/pw"});
    commands.lobbyLink = 0;
    ExecuteCommand("login");  // already connecting
    EXPECT_EQ(commands.logins.size(), 1u);
    ExecuteCommand("cancellogin");
    commands.lobbyLink = 1;
    ExecuteCommand("cancellogin");  // connected: not a login to cancel
    EXPECT_EQ(commands.lobbyDisconnects, std::vector<bool>{false});
    ExecuteCommand("disconnect");
    commands.lobbyLink = 2;
    ExecuteCommand("disconnect");
    EXPECT_EQ(commands.lobbyDisconnects, (std::vector<bool>{false, false}));
}

TEST_F(CommandTest, GameConnectSplitsTheServerAndRemembersIt) {
    commands.server = "Game.Example.org:4000";
    ExecuteCommand("gameconnect");
    EXPECT_EQ(commands.connects, std::vector<std::string>{"me@Game.Example.org:4000"});
    EXPECT_EQ(commands.remembered, std::vector<std::string>{"game.example.org:4000"});
    commands.connects.clear();
    for (const char* server : {"host", "host:abc", "host:", "host:0", "host:70000"}) {
        commands.server = server;
        ExecuteCommand("gameconnect");
    }
    EXPECT_EQ(commands.connects,
              (std::vector<std::string>{"me@host:31459", "me@host:31459", "me@host:31459",
                                        "me@host:31459", "me@host:31459"}));
}

TEST_F(CommandTest, GameConnectNeedsNoLinkAndAServer) {
    ExecuteCommand("gameconnect");  // empty server box
    commands.server = "host";
    commands.gameLink = 0;
    ExecuteCommand("gameconnect");
    EXPECT_TRUE(commands.connects.empty());
    EXPECT_TRUE(commands.remembered.empty());
}

TEST_F(CommandTest, CancelAndLeaveDisconnectAnyGameLink) {
    ExecuteCommand("cancelgameconnect");
    ExecuteCommand("leavegame");
    EXPECT_EQ(commands.gameDisconnects, 0);
    commands.gameLink = 0;
    ExecuteCommand("cancelgameconnect");
    commands.gameLink = 1;
    ExecuteCommand("leavegame");
    EXPECT_EQ(commands.gameDisconnects, 2);
}

TEST_F(CommandTest, NewAccountOnlyWithoutALobbyLink) {
    ExecuteCommand("newaccount");
    commands.lobbyLink = 1;
    ExecuteCommand("newaccount");
    EXPECT_EQ(commands.signups, 1);
}

TEST_F(CommandTest, WindowCommands) {
    ExecuteCommand("reloadmotd");
    ExecuteCommand("fullscreen");
    ExecuteCommand("restore");
    EXPECT_EQ(commands.motdReloads, 1);
    EXPECT_EQ(commands.fullScreen, (std::vector<bool>{true, false}));
}

TEST_F(CommandTest, StartingAGameNeedsAnOperatorAndPlayers) {
    commands.gameLink = 1;
    commands.operators = "alice";
    commands.occupied = 2;
    ExecuteCommand("startgame");
    EXPECT_TRUE(commands.sent.empty());
    InRoomAsOperator();
    commands.occupied = 0;
    ExecuteCommand("startgame");
    EXPECT_TRUE(commands.sent.empty());
    EXPECT_EQ(commands.messages, std::vector<std::string>{"Not enough players!"});
    commands.occupied = 1;
    ExecuteCommand("startgame");
    commands.running = true;
    ExecuteCommand("startgame");
    EXPECT_EQ(commands.sent, (Sent{{18, "1"}}));
}

TEST_F(CommandTest, ToggleStopPauseAndUnpause) {
    InRoomAsOperator();
    commands.occupied = 3;
    ExecuteCommand("togglegame");
    ExecuteCommand("stopgame");  // not running: nothing
    commands.running = true;
    ExecuteCommand("togglegame");
    ExecuteCommand("stopgame");
    ExecuteCommand("togglepause");
    ExecuteCommand("unpausegame");  // not paused: nothing
    ExecuteCommand("pausegame");
    commands.paused = true;
    ExecuteCommand("togglepause");
    ExecuteCommand("pausegame");  // paused: nothing
    ExecuteCommand("unpausegame");
    EXPECT_EQ(commands.sent,
              (Sent{{18, "1"}, {18, "0"}, {18, "0"}, {16, "1"}, {16, "1"}, {16, "0"}, {16, "0"}}));
}

TEST_F(CommandTest, TogglingAnEmptyRoomTellsThePlayer) {
    InRoomAsOperator();
    ExecuteCommand("togglegame");
    EXPECT_TRUE(commands.sent.empty());
    EXPECT_EQ(commands.messages, std::vector<std::string>{"Not enough players!"});
}

TEST_F(CommandTest, OperatorCommandsDoNothingOutsideARoomOrForOthers) {
    commands.player = "Me";
    commands.operators = "me";
    commands.occupied = 2;
    commands.gameLink = 0;
    for (const char* c : {"togglegame", "startgame", "togglepause", "pausegame", "move"})
        ExecuteCommand(c);
    commands.gameLink = 1;
    commands.operators = "meme";
    for (const char* c : {"togglegame", "startgame", "togglepause", "pausegame"}) ExecuteCommand(c);
    commands.player.clear();
    commands.operators = "";
    ExecuteCommand("startgame");
    EXPECT_TRUE(commands.sent.empty());
}

TEST_F(CommandTest, ReadyAndMove) {
    commands.gameLink = 1;
    commands.spectating = true;
    ExecuteCommand("toggleready");
    commands.spectating = false;
    commands.running = true;
    ExecuteCommand("toggleready");
    commands.running = false;
    ExecuteCommand("toggleready");
    ExecuteCommand("move");
    EXPECT_EQ(commands.sent, (Sent{{5, ""}, {6, ""}}));
}

TEST_F(CommandTest, UnknownCommandsAndOtherCaseDoNothing) {
    commands.server = "host";
    ExecuteCommand("GameConnect");
    ExecuteCommand("");
    ExecuteCommand("format c:");
    EXPECT_TRUE(commands.connects.empty());
    EXPECT_TRUE(commands.messages.empty());
}

TEST_F(CommandTest, WithoutAHostEveryLinkIsDown) {
    SetSkinCommandHost(nullptr);
    EXPECT_EQ(CommandHost().GameLinkState(), 2);
    EXPECT_NO_THROW(ExecuteCommand("startgame"));
    EXPECT_NO_THROW(ExecuteCommand("login"));
}

}  // namespace
}  // namespace pk
