// A whole room over loopback: the scripted game server drives joins, teams, the start vote, a
// game with a starting stack, a pause, a loss, the end, slot moves and departures, and every
// line the room chat shows is compared byte for byte.
#include <gtest/gtest.h>

#include "core/zrgameset.h"
#include "peers/room_script.h"
#include "room/gamelink_fixture.h"
#include "room/zrroomchat.h"
#include "room/zrroomevents.h"
#include "support/fake_game_io.h"
#include "support/room_fakes.h"

namespace pk {
namespace {

using namespace peers;

// The link's own calls beyond the room host: the name it logs in with and the history list.
class RoomLinkHost final : public GameLinkHost {
public:
    std::string PlayerName() override { return "alice"; }
    void GameHistory(const std::string& line) override { history.push_back(line); }
    std::vector<std::string> history;
};

class RoomEndToEnd : public GameLinkTest {
protected:
    void SetUp() override {
        GameLinkTest::SetUp();
        SetGameLinkHost(&linkHost);
        room.lobbyUp = false;  // no lobby key in the seed exchange
        SetRoomHost(&room);
        SetGameView(&display);
        Settings = tsettingsarray{};
        ClientState.game.GameEventLog.clear();
    }
    void TearDown() override {
        GameLinkTest::TearDown();
        SetRoomHost(nullptr);
        SetGameView(nullptr);
    }
    // Runs the script, then waits until a marker frame sent behind it has been handled.
    void Play(const std::function<void(GameServerSession&)>& script) {
        static int markers = 0;
        const int marker = 5000 + ++markers;
        script(Session());
        Session().SendFrame(0x0a, std::to_string(marker));
        ASSERT_TRUE(RunUntil([&] { return ClientState.game.AverageLevel == marker; }));
    }
    std::vector<std::string> TakeLines() {
        auto lines = room.room;
        room.room.clear();
        return lines;
    }
    bool ServerGot(std::uint8_t type, const std::string& payload) {
        return RunUntil([&] {
            for (const auto& f : Session().Frames())
                if (f.type == type && f.payload == payload)
                    return true;
            return false;
        });
    }

    RoomLinkHost linkHost;
    test::RecordingRoomHost room;
    testing::RecordingDisplay display;
};

TEST_F(RoomEndToEnd, AWholeRoom) {
    Connect();
    ASSERT_TRUE(Joined());
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{Chat("~12*** ~01alice~ is now playing")}));

    // The room's game set: two rows of stack for slot 1, no special blocks, a 45 s vote.
    TGameSet set;
    set.SetValue("stacks",
                 "2\x02"
                 "0\x02"
                 "0\x02"
                 "0\x02"
                 "0\x02"
                 "0");
    set.SetValue("sbinc", "0");
    set.SetValue("startvotesec", "45");
    Play([&](GameServerSession& s) {
        SendRoomMessage(s, true, "Welcome\r\n\\00512Red\\005 rules");
        SendBanList(s, "troll@*");
        SendGameSettings(s, true, "Friday", set.SaveToCompressed());
        SendPresent(s, 3, "carol", "greens");
        SendArrival(s, 2, "bob", "");
        SendArrival(s, 0, "dave", "");
        SendTeam(s, "bob", "reds");
        SendTeam(s, "carol", "");
    });
    EXPECT_EQ(TakeLines(),
              (std::vector<std::string>{
                  Chat("~22~01=~~ Welcome"),
                  Chat("~22~01=~~ ~12Red~ rules"),
                  Chat("~11*** Game changed to ~01Friday!~"),
                  Chat("~11*** Major settings: ~01classic mode disabled, special blocks disabled, "
                       "piece delay disabled, teams not required, win by clearing lines "
                       "disabled, piece holding enabled"),
                  Chat("~12*** ~01bob~ is now playing"),
                  Chat("~12*** ~01dave~ is now watching"),
                  Chat("~11*** ~01bob~ is now on team ~01reds"),
                  Chat("~11*** ~01carol~ is now alone"),
              }));
    EXPECT_EQ(Settings.rules.BanList, "troll@*");
    EXPECT_EQ(Settings.rules.stacks[1], 2);
    EXPECT_EQ(Settings.rules.sbinc, 0);

    Play([](GameServerSession& s) {
        SendCountdown(s, 150);
        SendCountdown(s, 120);
        SendCountdown(s, 45);
        SendCountdown(s, -1);
    });
    const std::string click = "  " + Chat("~01Click the red icon next to your name to play!");
    EXPECT_EQ(TakeLines(),
              (std::vector<std::string>{
                  Chat("~15*** Game will begin in ~012min 30sec~.") + click,
                  Chat("~15*** Game will begin in ~012min~.") + click,
                  Chat("~15*** Most players are ready to play, starting game in ~0145sec~!"),
                  Chat("~15*** Cancelled countdown, not enough players!"),
              }));

    // The game: a stack of two rows for the own slot, a pause, a chat line, bob is out.
    std::vector<int> stack;
    for (int i = 0; i < 24; ++i) stack.push_back(i % 11 == 0 ? 0 : 1 + i % 5);
    Play([&](GameServerSession& s) {
        SendGameStart(s, {"102022222", "104011111", "10302300333"}, 4711, 815, PackStack(stack));
        SendPause(s, true);
        SendPause(s, false);
        SendServerText(s, 'c', 0, false, true, false, {"bob", "gl hf"});
        SendPlayerOut(s, 2);
    });
    std::string bottom;
    for (int v : stack) bottom += static_cast<char>('0' + v);
    const tplr& own = *SlotPlayers[1]->plr;
    EXPECT_EQ(own.field.substr(0, 240), std::string(240, '0'));
    EXPECT_EQ(own.field.substr(240), bottom);
    EXPECT_EQ(ClientState.game.PendingLimit, 3);
    EXPECT_EQ(ClientState.game.GameRunning, 1);
    EXPECT_EQ(SlotPlayers[2]->plr->PlayerState, psLost);
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{
                               Chat("~19*** The game has ~01Started"),
                               Chat("~19*** The game is ~01Paused~01"),
                               Chat("~19*** The game is ~01Unpaused~01"),
                               Chat("~01~22(~~14~03bob~~~22) ~~00gl hf"),
                           }));

    Play([](GameServerSession& s) { SendGameEnd(s, "1"); });
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{
                               Chat("~19*** The game has ~01Ended"),
                               Chat("~14*** Player ~01~03alice~~ has WON!"),
                           }));
    EXPECT_EQ(ClientState.game.GameRunning, 0);
    EXPECT_EQ(SlotPlayers[1]->plr->PlayerState, psWon);
    EXPECT_EQ(SlotPlayers[2]->plr->PlayerState, psLost);
    EXPECT_EQ(display.sounds.back(), "won");

    // Seating changes and departures.
    Play([](GameServerSession& s) {
        SendMoveSlot(s, "carol", 5);
        SendMoveSlot(s, "dave", 3);
        SendLeave(s, "bob", "op", "spam");
        SendLeave(s, "carol", "", "bye");
        SendLeave(s, "dave", "", "");
    });
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{
                               Chat("~12*** ~01carol~ has moved to slot ~01#5"),
                               Chat("~12*** ~01dave~ has moved to slot ~01#3~ and is now playing"),
                               Chat("~12*** ~01bob~ has been kicked by op (Message: spam)"),
                               Chat("~12*** ~01carol~ has been kicked (Message: bye)"),
                               Chat("~12*** ~01dave~ has left"),
                           }));
    EXPECT_EQ(PlayerCount(), 1);

    // What the own player sends goes out as the server expects it.
    SetOwnTeam("blues");
    RoomChatCommand(true, false, "hello room");
    RoomChatCommand(true, false, "/move alice");
    EXPECT_TRUE(ServerGot(0x0e, "blues"));
    EXPECT_TRUE(ServerGot(0x14, "\x80\x1e\x02hello room"));
    EXPECT_TRUE(ServerGot(0x1f,
                          "alice\x02"
                          "0"));
    EXPECT_EQ(TakeLines(),
              (std::vector<std::string>{Chat("~11*** ~01alice~ is now on team ~01blues")}));
}

TEST_F(RoomEndToEnd, JoiningARunningGameSitsItOut) {
    Connect();
    ASSERT_TRUE(Joined());
    TakeLines();
    Play([](GameServerSession& s) {
        SendArrival(s, 2, "bob", "");
        SendServerText(s, 'c', 6, false, true, true, {"Welcome back"});
    });
    Play([](GameServerSession& s) { s.SendFrame(0x0b, "30"); });
    const tplr& own = *SlotPlayers[1]->plr;
    EXPECT_EQ(own.PlayerState, psLost);
    EXPECT_EQ(own.field.find('0'), std::string::npos);
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{
                               Chat("~12*** ~01bob~ is now playing"),
                               Chat("~01~23[~~15System Message~~23] ~~~15Welcome back"),
                               Chat("~19*** The game is in ~01Progress"),
                           }));
    EXPECT_EQ(room.game,
              (std::vector<std::string>{Chat("~01~23[~~15System Message~~23] ~~~15Welcome back")}));
    // A newcomer during the game waits for the next one.
    Play([](GameServerSession& s) { SendArrival(s, 4, "erin", ""); });
    EXPECT_EQ(SlotPlayers[4]->plr->PlayerState, psLost);
    // The own loss message while already out changes nothing more; the end names no winner.
    Play([](GameServerSession& s) {
        SendOwnLoss(s);
        SendGameEnd(s, "6");
    });
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{Chat("~12*** ~01erin~ is now playing"),
                                                     Chat("~19*** The game has ~01Ended")}));
    EXPECT_EQ(ClientState.game.GameRunning, 0);
}

}  // namespace
}  // namespace pk
