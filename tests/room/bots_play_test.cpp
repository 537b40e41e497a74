// The scripted room's bots at play against the real client's game link: their fields arrive as
// bit-packed changes and match the server's, specials from them land on the own field and on
// each other's, the own specials reach them, every acknowledgement still agrees, and the bots
// go out one after the other until the last player left wins. The bots' turns are taken one at
// a time, so a fixed seed plays the same game every run.
#include "core/zrgameset.h"
#include "core/zrtxtlines.h"
#include "game/zrfmqueue.h"
#include "game/zrgameio.h"
#include "game/zrkey.h"
#include "game/zrowngame.h"
#include "peers/living_room.h"
#include "peers/room_server.h"
#include "room/gamelink_fixture.h"
#include "room/zrpartyline.h"
#include "room/zrsbgame.h"
#include "support/contrast.h"
#include "support/room_fakes.h"

namespace pk {
namespace {

// Counts what the engine sends (pieces, specials used) on its way to the link.
class CountingSender final : public GameMessageSender {
public:
    void SendGameMessage(uint8_t type, const std::string& payload) override {
        ++sent;
        pk::SendGameMessage(type, payload);
    }
    std::size_t sent = 0;
};

// The game link with the special blocks in place and a room host that keeps the chat.
class BotsFixture : public GameLinkTest {
protected:
    void SetUp() override {
        GameLinkTest::SetUp();
        Settings = tsettingsarray{};
        ClearEventQueue();
        FreePendingHistory();
        InstallSpecialBlocks();
        SetRoomHost(&lines);
    }
    void TearDown() override {
        SetGameSender(nullptr);
        ClearEventQueue();
        FreePendingHistory();
        UninstallSpecialBlocks();
        GameLinkTest::TearDown();
        SetRoomHost(nullptr);
    }
    static bool PieceReady() {
        return GameTiming.PieceActive.load() == 1 && ClientState.game.QueueBusy == 0 &&
               ClientState.game.PieceWaiting == 0;
    }
    bool Clean() const {
        return !LogHas("BUG") && !LogHas("Unsynchronized") && !LogHas("Error in");
    }
    int Events(const std::string& text) const {
        int n = 0;
        for (const std::string& line : ClientState.game.GameEventLog)
            n += line.find(text) != std::string::npos;
        return n;
    }
    bool Won(const std::string& name) const {
        return std::find(lines.room.begin(), lines.room.end(),
                         Chat("~14*** Player ~01~03" + name + "~~ has WON!")) != lines.room.end();
    }

    test::RecordingRoomHost lines;
};

class BotsPlayTest : public BotsFixture {
protected:
    void SetUp() override {
        BotsFixture::SetUp();
        TGameSet set;
        for (int i = 1; i <= 4; ++i) set.SetValue("sbchance" + std::to_string(i), "aacng");
        room.gameSetData = set.SaveToCompressed();
        room.AddBot("Drovak", 2);
        room.AddBot("Ilsa", 3);
        room.botPlay = true;
        room.botSeed = 6;     // a game where every kind of special comes up
        room.botPieceMs = 0;  // the test takes the bots' turns
        const std::string square = "102022222";
        room.startTokens = square;
        for (int i = 1; i < 8; ++i) room.startTokens += TokenSep + square;
        server.options.ackTokens = square;
    }
    // The server has read what the engine sent, and the client has handled all the server sent
    // (a marker sent after it came back).
    void Settle() {
        ASSERT_TRUE(
            RunUntil([this] { return Session().Frames().size() >= framesBefore + engine.sent; }));
        static int markers = 0;
        const int marker = 7000 + ++markers;
        Session().SendFrame(0x0a, std::to_string(marker));
        ASSERT_TRUE(RunUntil([marker] { return ClientState.game.AverageLevel == marker; }));
    }

    peers::ScriptedRoom room{server};
    CountingSender engine;
    std::size_t framesBefore = 0;
};

TEST_F(BotsPlayTest, BotsPlayFieldsSpecialsAndLossesUntilTheLastPlayerWins) {
    Connect();
    ASSERT_TRUE(Joined());
    ASSERT_TRUE(RunUntil([] { return !ClientState.game.RoomOperators.empty(); }));
    SendGameMessage(0x12, "1");
    ASSERT_TRUE(RunUntil(PieceReady));
    framesBefore = Session().Frames().size();
    SetGameSender(&engine);

    bool fieldsShown = false;
    bool outWhileRunning = false;
    int pieces = 0;
    int used = 0;
    for (int turn = 0; turn < 400 && ClientState.game.GameRunning; ++turn) {
        room.BotTurn();
        if (turn % 2 == 0 && PieceReady()) {
            ClientState.game.PieceX = 1 + 2 * (pieces++ % 6);
            QueueEndPiece(true);
        }
        // Now and then a special of the own on a bot still in the game, or on the own field.
        if (turn % 5 == 0 && !ClientState.game.Inventory.empty()) {
            for (int slot : {2, 3, 1})
                if (SlotPlayers[slot]->plr->PlayerState == psPlaying) {
                    UseSpecial(slot);
                    ++used;
                    break;
                }
        }
        Settle();
        ASSERT_TRUE(Clean()) << "turn " << turn << "\n" << ClientLog();
        for (const auto& m : room.Members()) {
            if (m.session != nullptr || !m.playing || !ClientState.game.GameRunning)
                continue;
            ASSERT_EQ(SlotPlayers[m.slot]->plr->field, m.bot.field) << m.name << ", turn " << turn;
            fieldsShown = fieldsShown || m.bot.field.find_first_not_of('0') != std::string::npos;
        }
        for (int slot : {2, 3})
            outWhileRunning = outWhileRunning || (ClientState.game.GameRunning &&
                                                  SlotPlayers[slot]->plr->PlayerState == psLost);
    }
    EXPECT_EQ(ClientState.game.GameRunning, 0);
    EXPECT_TRUE(fieldsShown);
    EXPECT_TRUE(outWhileRunning);
    EXPECT_GT(used, 0);
    // Specials from the bots at the own field and between the bots, and the own at them.
    EXPECT_GT(Events("Event: to alice from "), 0);
    EXPECT_GT(Events("Event: to Ilsa from Drovak") + Events("Event: to Drovak from Ilsa"), 0);
    EXPECT_GT(Events("from alice: "), 0);
    EXPECT_EQ(SlotPlayers[2]->plr->PlayerState, psLost);
    EXPECT_EQ(SlotPlayers[3]->plr->PlayerState, psLost);
    EXPECT_TRUE(Won("alice"));
}

// The room of the scripted servers' programs: its bots play by the clock, each at its own pace,
// until they are out and the player who never moved wins, named in the game's statistics.
class LivingRoomTest : public BotsFixture {
protected:
    class StatsView : public RoomWindowView {
    public:
        void ShowStats(const TStatsPanel& shown, bool) override { panel = shown; }
        TStatsPanel panel;
    };
    void SetUp() override {
        BotsFixture::SetUp();
        SetRoomView(&stats);
    }
    void TearDown() override {
        SetRoomView(nullptr);
        BotsFixture::TearDown();
    }
    // The winner line of the statistics' results, without its style codes.
    std::string StatsWinner() const {
        for (const std::string& line : stats.panel.results)
            for (const TTextLine& plain : SplitStyledLines(line))
                if (plain.plain.rfind("Game winner:\t", 0) == 0)
                    return plain.plain.substr(13);
        return {};
    }

    peers::LivingRoom living{server, 3};
    StatsView stats;
};

TEST_F(LivingRoomTest, ItsBotsPlayByTheClockUntilTheyAreOut) {
    living.Room().botPieceMs = 30;
    Connect();
    ASSERT_TRUE(Joined());
    ASSERT_TRUE(RunUntil([] { return !ClientState.game.RoomOperators.empty(); }));
    SendGameMessage(0x12, "1");
    ASSERT_TRUE(RunUntil([] { return ClientState.game.GameRunning == 1; }));
    ASSERT_TRUE(RunUntil([] { return ClientState.game.GameRunning == 0; }, 30000));
    EXPECT_TRUE(Clean()) << ClientLog();
    EXPECT_EQ(FindPlayer("Drovak")->plr->PlayerState, psLost);
    EXPECT_EQ(FindPlayer("Ilsa")->plr->PlayerState, psLost);
    EXPECT_TRUE(Won("alice"));
    ASSERT_TRUE(RunUntil([this] { return !stats.panel.results.empty(); }));
    EXPECT_EQ(StatsWinner(), "alice");
}

// Team names are drawn on the fields in their team's colour, in a black outline: the room sends
// each seated player's colour, one that reads on black, and a new team takes a colour of its own.
TEST_F(LivingRoomTest, TeamsComeInColoursThatReadInTheirOutline) {
    const auto colour = [](const char* name) {
        const tclient* player = FindPlayer(name);
        const auto value = static_cast<std::uint32_t>(player->plr->SlotValue);
        return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                      static_cast<int>((value >> 16) & 0xFF));
    };
    Connect();
    ASSERT_TRUE(Joined());
    ASSERT_TRUE(RunUntil([] {
        const tclient* drovak = FindPlayer("Drovak");
        return drovak != nullptr && drovak->plr != nullptr && drovak->plr->SlotValue != 0;
    }));
    EXPECT_EQ(FindPlayer("Drovak")->TeamName, "reds");
    EXPECT_GE(test::ContrastRatio(colour("Drovak"), Qt::black), 3.0);

    const QColor alone = colour("alice");
    SendGameMessage(0x0e, "blues");
    ASSERT_TRUE(RunUntil([&] { return colour("alice") != alone; }));
    EXPECT_NE(colour("alice"), colour("Drovak"));
    EXPECT_GE(test::ContrastRatio(colour("alice"), Qt::black), 3.0);
}

}  // namespace
}  // namespace pk
