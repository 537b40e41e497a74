// The room messages the link handles itself, end to end.
#include "room/gamelink_fixture.h"

namespace pk {
namespace {

class GameRoomTest : public GameLinkTest {
protected:
    void SetUp() override {
        GameLinkTest::SetUp();
        Connect();
        ASSERT_TRUE(Joined());
        host.chat.clear();
        host.history.clear();
    }
    // Sends frames and waits until a final marker frame (average level) has
    // been handled, so everything before it has been too.
    void Send(const std::vector<std::pair<std::uint8_t, std::string>>& frames) {
        static int markers = 0;
        const int marker = ++markers;
        for (const auto& [type, payload] : frames) {
            Session().SendFrame(type, payload);
        }
        Session().SendFrame(0x0a, std::to_string(1000 + marker));
        ASSERT_TRUE(RunUntil([&] { return ClientState.game.AverageLevel == 1000 + marker; }));
    }
};

TEST_F(GameRoomTest, ArrivalsTeamsAndLeaving) {
    Send({{0x07,
           "3\x02"
           "old\x02"
           "x"},  // already present: no lines
          {0x0d,
           "2\x02"
           "bob\x02"},  // arrives playing
          {0x0d,
           "0\x02"
           "eve\x02"},  // arrives watching
          {0x0d,
           "2\x02"
           "mallory\x02"},  // slot taken: ignored
          {0x0d,
           "9\x02"
           "nine\x02"},  // no such slot: ignored
          {0x0e,
           "bob\x02"
           "blue"},  // team change
          {0x0e,
           "bob\x02"
           "blue"},  // unchanged: nothing
          {0x0e,
           "nobody\x02"
           "x"},              // unknown: ignored
          {0x0e, "bob\x02"},  // alone
          {0x06,
           "3\x02"
           "green"},              // slot team
          {0x18, "eve\x02\x02"},  // plain leave
          {0x18,
           "old\x02"
           "op\x02"
           "spam"},  // kicked by op
          {0x18,
           "bob\x02\x02"
           "bye"}});  // kicked by the server
    EXPECT_EQ(host.chat, (std::vector<std::string>{
                             Chat("~12*** ~01bob~ is now playing"),
                             Chat("~12*** ~01eve~ is now watching"),
                             Chat("~11*** ~01bob~ is now on team ~01blue"),
                             Chat("~11*** ~01bob~ is now alone"),
                             Chat("~12*** ~01eve~ has left"),
                             Chat("~12*** ~01old~ has been kicked by op (Message: spam)"),
                             Chat("~12*** ~01bob~ has been kicked (Message: bye)"),
                         }));
    ASSERT_EQ(host.history.size(), 5u);
    EXPECT_NE(host.history[0].find("Join: bob"), std::string::npos);
    EXPECT_NE(host.history[3].find("Kicked: old by op (Message: spam)"), std::string::npos);
    EXPECT_NE(host.history[4].find("Kicked: bob (Message: bye)"), std::string::npos);
    EXPECT_EQ(FindPlayer("mallory"), nullptr);
    EXPECT_EQ(FindPlayer("bob"), nullptr);
    EXPECT_EQ(SlotPlayers[2], nullptr);
    EXPECT_EQ(SlotPlayers[3], nullptr);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(GameRoomTest, OwnKickShowsWhoKicked) {
    Send({{0x18,
           "alice\x02"
           "op\x02"
           "behave"}});
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"You have been kicked by op with message: behave"});
    EXPECT_EQ(ClientState.game.OwnPlayer, nullptr);
}

TEST_F(GameRoomTest, CountdownLines) {
    Settings.rules.startvotesec = 30;
    Send({{0x23, "150"}, {0x23, "30"}, {0x23, "-1"}});
    EXPECT_EQ(host.chat,
              (std::vector<std::string>{
                  Chat("~15*** Game will begin in ~012min 30sec~.  ~01Click the red icon next to "
                       "your name to play!"),
                  Chat("~15*** Most players are ready to play, starting game in ~0130sec~!"),
                  Chat("~15*** Cancelled countdown, not enough players!"),
              }));
    EXPECT_NE(std::find(host.sounds.begin(), host.sounds.end(), "voting"), host.sounds.end());
    EXPECT_NE(std::find(host.sounds.begin(), host.sounds.end(), "votestart"), host.sounds.end());
}

TEST_F(GameRoomTest, RoomTextsAndValues) {
    Send({{0x19, "0quiet motd"},
          {0x1d,
           "badguy\x01"
           "worse"},
          {0x25, "ops"}});
    EXPECT_EQ(Settings.rules.RoomMotd, "quiet motd");
    EXPECT_EQ(Settings.rules.BanList,
              "badguy\x01"
              "worse");
    EXPECT_EQ(ClientState.game.RoomOperators, "ops");
    // Operator rights belong to the room: leaving it forgets them.
    GameDisconnect();
    EXPECT_EQ(ClientState.game.RoomOperators, "");
}

TEST_F(GameRoomTest, ArrivalDuringARunningGameWaitsForTheNext) {
    std::vector<std::string> out;
    Handle(MsgPlayerOut, [&](const std::string& payload) { out.push_back(payload); });
    ClientState.game.GameRunning = 1;
    Send({{0x0d,
           "4\x02"
           "late\x02"}});
    ClientState.game.GameRunning = 0;
    EXPECT_EQ(out, std::vector<std::string>{"4"});
}

TEST_F(GameRoomTest, FieldDifferenceForAnEmptySlotIsIgnored) {
    Send(
        {{0x08, "5\x02\xff\xff"}, {0x08, "1\x02" + peers::EncodeFieldDiff(std::string(264, '2'))}});
    ASSERT_NE(SlotPlayers[1], nullptr);
    EXPECT_EQ(SlotPlayers[1]->plr->field, std::string(264, '2'));
    EXPECT_EQ(host.redrawn, std::vector<int>{1});
}

}  // namespace
}  // namespace pk
