// The own game played from the keyboard through the real game thread against the scripted
// game server on loopback: the server starts the game, every placed piece travels as message
// 0x19 and comes back acknowledged, and the program shuts down while the thread is mid-call.
#include <QThread>
#include <array>

#include "core/zrmisc.h"
#include "game/zrfmqueue.h"
#include "game/zrgameio.h"
#include "game/zrgamethread.h"
#include "game/zrkey.h"
#include "game/zrowngame.h"
#include "room/gamelink_fixture.h"
#include "support/key_fixture.h"

namespace pk {
namespace {

const std::string Bar = "104011111";

class KeyLinkTest : public GameLinkTest {
protected:
    void SetUp() override {
        GameLinkTest::SetUp();
        Settings.rules = tgamerules{};
        ResetKeyTable(krEverything);
        ClearEventQueue();
        FreePendingHistory();
        AckUsageLog.clear();
        SetGameClock(nullptr);
        SetGameInput(nullptr);
    }
    void TearDown() override {
        if (thread)
            thread->Stop();
        thread.reset();
        GameLinkTest::TearDown();
        ClearEventQueue();
        FreePendingHistory();
    }

    testing::FakeKeyboard keys;
    std::unique_ptr<TGameThread> thread;
};

TEST_F(KeyLinkTest, ScriptedKeysAgainstTheGameServerWithEveryPieceAcknowledged) {
    thread = std::make_unique<TGameThread>(keys);
    thread->Start();

    server.options.ackTokens = Bar;  // each acknowledgement hands out one more bar
    Connect();
    ASSERT_TRUE(Joined());
    GameServerSession& session = Session();
    std::string tokens = Bar;
    for (int i = 1; i < 6; ++i) tokens += TokenSep + Bar;
    session.StartGame(tokens, 4321, 8765);
    ASSERT_TRUE(RunUntil([] { return ClientState.game.GameRunning == 1; }));
    EXPECT_EQ(thread->Tick(), InGameTickMs);  // the game start sped the thread up

    // Three bars side by side fill a row: columns 1, 5 and 9, then again.
    const tmegame& g = ClientState.game;
    auto steer = [&] {
        const int placed = WordCount(g.PieceLog);  // counted by the client, as it drops
        const int target = std::array{1, 5, 9}[static_cast<size_t>(placed % 3)];
        const bool placing = g.PieceX != -1 && !g.PieceWaiting;
        keys.down[37] = placing && g.PieceX > target;
        keys.down[39] = placing && g.PieceX < target;
        keys.down[32] = placing && g.PieceX == target;
        return session.Game.reports >= 9 && PendingHistory.empty();
    };
    ASSERT_TRUE(RunUntil(steer, 30000));
    EXPECT_GE(g.LinesCleared, 3);
    EXPECT_FALSE(LogHas("BUG"));
    EXPECT_EQ(OwnField(), session.Game.field);
    EXPECT_EQ(g.LinesCleared, session.Game.lines);
    EXPECT_EQ(g.SeedA, session.Game.seedA);

    // Shutdown while the thread waits on the main thread: the main thread is busy here and
    // serves no call, yet stopping returns and the link closes cleanly.
    QThread::msleep(30);
    thread->Stop();
    thread.reset();
    GameDisconnect();
    EXPECT_TRUE(Down());
}

}  // namespace
}  // namespace pk
