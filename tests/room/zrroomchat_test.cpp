#include "room/zrroomchat.h"

#include <gtest/gtest.h>

#include "game/zrgame.h"
#include "support/fake_game_io.h"
#include "support/room_fakes.h"

namespace pk {
namespace {

using Sent = std::vector<std::pair<uint8_t, std::string>>;

class RoomChatTest : public ::testing::Test {
protected:
    test::RecordingRoomHost host;
    testing::RecordingSender sender;

    void SetUp() override {
        SetRoomHost(&host);
        SetGameSender(&sender);
        RemoveAllPlayers();
        Players.clear();
        RecentPrivateNames.clear();
        ClientState.game.GameLinkState = LinkInRoom;
    }
    void TearDown() override {
        SetRoomHost(nullptr);
        SetGameSender(nullptr);
        RemoveAllPlayers();
        Players.clear();
        RecentPrivateNames.clear();
        ClientState.game.GameLinkState = LinkDown;
    }
    tclient* Seat(const std::string& name, int slot) {
        tclient* c = AddPlayer(name);
        SeatPlayer(*c, slot);
        return c;
    }
};

TEST(GameChatPayload, PlaceBitsCommandAndText) {
    // 0x80 typed in the room window, command byte 0x1E, separator, text
    EXPECT_EQ(GameChatPayload(true, false, "\x1e", "hi"), std::string("\x80\x1e\x02hi"));
    // 0x40 typed in the game window
    EXPECT_EQ(GameChatPayload(false, true, "kick", "bob"), std::string("\x40kick\x02"
                                                                       "bob"));
    EXPECT_EQ(GameChatPayload(false, false, "me", ""), std::string("\x00me\x02", 4));
}

TEST_F(RoomChatTest, PlainLineIsSentAsChat) {
    RoomChatCommand(true, false, "hello all");
    RoomChatCommand(false, true, "gg");
    EXPECT_EQ(sender.sent, (Sent{{0x14, "\x80\x1e\x02hello all"}, {0x14, "\x40\x1e\x02gg"}}));
}

TEST_F(RoomChatTest, RefusedLinesAreNotSent) {
    RoomChatCommand(true, false, "bad\x07line");  // control character
    RoomChatCommand(true, false, "");
    RoomChatCommand(true, false, "/pause\x01");
    ClientState.game.GameLinkState = LinkJoining;
    RoomChatCommand(true, false, "hello");
    RoomChatCommand(true, false, "/start");
    ClientState.game.GameLinkState = LinkDown;
    RoomChatCommand(true, false, "hello");
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(RoomChatTest, UnknownCommandGoesToTheServerLowerCased) {
    RoomChatCommand(true, false, "/KICK Bob  spamming a lot");
    RoomChatCommand(false, true, "/me");
    EXPECT_EQ(sender.sent, (Sent{{0x14,
                                  "\x80kick\x02"
                                  "Bob  spamming a lot"},
                                 {0x14, "\x40me\x02"}}));
}

TEST_F(RoomChatTest, LocalCommandsRunTheirShellCommands) {
    for (const char* line : {"/ready", "/OK", "/start", "/go", "/stop", "/pause", "/unpause"})
        RoomChatCommand(true, false, line);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"ExecuteCommand toggleready", "ExecuteCommand toggleready",
                                        "ExecuteCommand startgame", "ExecuteCommand startgame",
                                        "ExecuteCommand stopgame", "ExecuteCommand pausegame",
                                        "ExecuteCommand unpausegame"}));
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(RoomChatTest, ClearEmptiesTheBoxTheLineCameFrom) {
    RoomChatCommand(true, false, "/clear");
    RoomChatCommand(false, true, "/Clear");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"ClearRoomChat", "ClearGameChat"}));
}

TEST_F(RoomChatTest, ReplyGoesToTheNewestSender) {
    RoomChatCommand(true, false, "/r are you there");
    EXPECT_TRUE(sender.sent.empty());  // nobody wrote yet
    RecentPrivateNames = {"ann", "bob"};
    RoomChatCommand(true, false, "/r are you there");
    EXPECT_EQ(sender.sent, (Sent{{0x14,
                                  "\x80p\x02"
                                  "ann are you there"}}));
}

TEST_F(RoomChatTest, TeamOnlyWhileTheTeamButtonIsEnabled) {
    RoomChatCommand(true, false, "/team Red Dragons");
    host.teamUpdateEnabled = false;
    RoomChatCommand(true, false, "/team Blue");
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"SetTeamNameText Red Dragons", "UpdateTeamClick"}));
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(RoomChatTest, MoveNamedPlayers) {
    Seat("Alice", 1);
    Seat("Watcher", 0);
    RoomChatCommand(true, false, "/MOVE watcher");      // watcher -> first free slot
    RoomChatCommand(true, false, "/move Alice");        // player -> watchers
    RoomChatCommand(true, false, "/move Alice 3");      // given slot
    RoomChatCommand(true, false, "/move Alice three");  // not a number -> watchers
    EXPECT_EQ(sender.sent, (Sent{{0x1f,
                                  "watcher\x02"
                                  "2"},
                                 {0x1f,
                                  "Alice\x02"
                                  "0"},
                                 {0x1f,
                                  "Alice\x02"
                                  "3"},
                                 {0x1f,
                                  "Alice\x02"
                                  "0"}}));
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(RoomChatTest, MoveWithoutAKnownPlayerMovesTheOwnPlayer) {
    Seat("Alice", 1);
    RoomChatCommand(true, false, "/move Nobody 2");
    RoomChatCommand(true, false, "/move");
    RoomChatCommand(true, false, "/move 9lives");  // not a valid name
    EXPECT_EQ(host.calls, (std::vector<std::string>{"ExecuteCommand move", "ExecuteCommand move",
                                                    "ExecuteCommand move"}));
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(RoomChatTest, WhoisAsksTheLobbyForValidNames) {
    RoomChatCommand(true, false, "/whois Alice extra words");
    RoomChatCommand(true, false, "/whois 1abc");
    RoomChatCommand(true, false, "/whois");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"RequestPlayerDetails Alice"}));
    EXPECT_TRUE(sender.sent.empty());
}

TEST(CompletePrivateNick, CyclesThroughRecentSendersThenBackToPlain) {
    std::vector<std::string> recent{"a", "b"};
    std::string line = CompletePrivateNick("hello there", recent);
    EXPECT_EQ(line, "/p a hello there");
    line = CompletePrivateNick(line, recent);
    EXPECT_EQ(line, "/p b hello there");
    line = CompletePrivateNick(line, recent);
    EXPECT_EQ(line, "hello there");
}

TEST(CompletePrivateNick, UnknownOrEmpty) {
    std::vector<std::string> recent{"a", "b"};
    // A private line to someone not in the list restarts at the newest sender
    EXPECT_EQ(CompletePrivateNick("/P Zed hi", recent), "/p a hi");
    EXPECT_EQ(CompletePrivateNick("/p A hi", recent), "/p b hi");
    // With nobody to complete to, the line stays as typed
    EXPECT_EQ(CompletePrivateNick("/p zed hi", {}), "/p zed hi");
    EXPECT_EQ(CompletePrivateNick("hi", {}), "hi");
}

}  // namespace
}  // namespace pk
