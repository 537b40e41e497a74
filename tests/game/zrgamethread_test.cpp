#include "game/zrgamethread.h"

#include <gtest/gtest.h>

#include <QThread>

#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrowngame.h"
#include "support/event_loop.h"
#include "support/key_fixture.h"

namespace pk {
namespace {

using testing::Tokens;

// Runs the game thread's passes on the main thread, where its calls run directly, so each
// step happens at a time the test sets.
class GravityTest : public testing::KeyTest {
protected:
    void SetUp() override {
        KeyTest::SetUp();
        StartWith(Tokens({"102022222", "102022222", "102022222", "102022222"}), 1, 2, 50);
    }
    void PassAt(int64_t ms) {
        clock.ms = ms;
        thread.Execute();
    }
    tmegame& g = ClientState.game;
    testing::FakeKeyboard keys;
    TGameThread thread{keys};
};

TEST_F(GravityTest, ARowPerLevelIntervalThenTheLockDelayThenTheLock) {
    const int64_t t0 = clock.ms;
    ASSERT_EQ(GameTiming.PieceActive.load(), 1);
    ASSERT_EQ(GameTiming.NextFallTime.load(), t0 + 1000);
    PassAt(t0 + 999);
    EXPECT_EQ(g.PieceY, 1);
    const int redraws = display.redraws;
    PassAt(t0 + 1000);
    EXPECT_EQ(g.PieceY, 2);
    EXPECT_EQ(display.redraws, redraws + 1);  // asked for by the step, drawn by the thread
    EXPECT_EQ(GameTiming.NextFallTime.load(), t0 + 2000);

    // On the floor: the first due step starts the lock delay, the next one locks.
    g.PieceY = 21;
    PassAt(t0 + 2000);
    EXPECT_EQ(GameTiming.LockPending.load(), 1);
    EXPECT_EQ(GameTiming.FallOffset.load(), BlockSize);
    EXPECT_EQ(GameTiming.NextFallTime.load(), t0 + 3000);
    PassAt(t0 + 2999);
    EXPECT_TRUE(sender.sent.empty());
    PassAt(t0 + 3000);
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].second, Tokens({"0", "6", "21", "1"}));
    EXPECT_EQ(display.sounds.back(), "hitbottom");
    EXPECT_EQ(g.PieceY, 1);  // the next piece has started
}

TEST_F(GravityTest, APieceMovedOffAnEdgeDuringTheLockDelayFallsOn) {
    // A ledge under the square's columns 6 and 7 at row 3.
    OwnField()[2 * 12 + 5] = '1';
    OwnField()[2 * 12 + 6] = '1';
    g.PieceY = 1;
    GameTiming.NextFallTime = clock.ms;
    PassAt(clock.ms);
    EXPECT_EQ(GameTiming.LockPending.load(), 1);
    GameKeyDispatch(kaMoveRight, 39, KeyDown);
    GameKeyDispatch(kaMoveRight, 39, KeyDown);
    PassAt(GameTiming.NextFallTime);
    EXPECT_EQ(GameTiming.LockPending.load(), 0);
    EXPECT_EQ(g.PieceY, 2);
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(GravityTest, NothingFallsWhilePausedOrWhileTheQueueRuns) {
    g.GamePaused = 1;
    PassAt(clock.ms + 5000);
    EXPECT_EQ(g.PieceY, 1);
    g.GamePaused = 0;
    g.QueueBusy = 1;
    PassAt(clock.ms + 5000);
    EXPECT_EQ(g.PieceY, 1);
    g.QueueBusy = 0;
    input.closing = true;
    PassAt(clock.ms + 5000);
    EXPECT_EQ(g.PieceY, 1);
}

TEST_F(GravityTest, SmoothFallRedrawsAtMostEvery20Ms) {
    input.animDrop = true;
    const int64_t t = clock.ms;
    GameTiming.FallInterval = 100;
    GameTiming.NextFallTime = t + 100;
    GameThreadFlags.LastRedrawTime = 0;
    const int redraws = display.redraws;
    PassAt(t + 10);
    EXPECT_EQ(GameTiming.FallOffset.load(), 2);
    EXPECT_EQ(display.redraws, redraws + 1);
    PassAt(t + 20);
    EXPECT_EQ(GameTiming.FallOffset.load(), 3);
    EXPECT_EQ(display.redraws, redraws + 1);  // only 10 ms since the last one
    PassAt(t + 30);
    EXPECT_EQ(GameTiming.FallOffset.load(), 5);
    EXPECT_EQ(display.redraws, redraws + 2);
    // No smooth fall during the lock delay.
    GameTiming.LockPending = 1;
    PassAt(t + 60);
    EXPECT_EQ(GameTiming.FallOffset.load(), 5);
}

TEST_F(GravityTest, TheNextPieceWaitsForThePieceDelay) {
    Settings.rules.piecedelay = 300;
    const int64_t t = clock.ms;
    dropdown();
    EXPECT_EQ(GameTiming.PieceDelayStart.load(), t);
    EXPECT_EQ(g.PieceX, -1);
    PassAt(t + 299);
    EXPECT_EQ(g.PieceX, -1);
    PassAt(t + 300);
    EXPECT_EQ(g.PieceX, 6);
    EXPECT_EQ(GameTiming.PieceDelayStart.load(), 0);
}

TEST_F(GravityTest, HeldKeysReachTheActionsThroughThePoll) {
    const int x = g.PieceX;
    keys.press(37);
    PassAt(clock.ms + 1);  // two polls in the pass, one event
    EXPECT_EQ(g.PieceX, x - 1);
    PassAt(clock.ms + 119);
    EXPECT_EQ(g.PieceX, x - 1);
    PassAt(clock.ms + 1);  // the initial delay of 120 has passed
    EXPECT_EQ(g.PieceX, x - 2);
    keys.release(37);
    PassAt(clock.ms + 1);
    EXPECT_EQ(KeyTable()[kaMoveLeft].NextFire.load(), 0);

    // While the table is rewritten the poll leaves it alone.
    KeyTableBusy = 1;
    keys.press(39);
    PassAt(clock.ms + 1);
    EXPECT_EQ(g.PieceX, x - 2);
    KeyTableBusy = 0;
    PassAt(clock.ms + 1);
    EXPECT_EQ(g.PieceX, x - 1);
}

TEST_F(GravityTest, ConfusedKeysDriveOtherActions) {
    // Up turns into "Move right", Left into "Fall faster".
    ConfuseKeys({3, 2, 1, 0});
    ResetKeyTable(krClearTimers);
    const int x = g.PieceX;
    keys.press(38);
    PassAt(clock.ms + 1);
    EXPECT_EQ(g.PieceX, x + 1);
    EXPECT_EQ(g.PieceRotation, 1);
    keys.release(38);
    keys.press(37);
    PassAt(clock.ms + 1);
    EXPECT_EQ(g.PieceX, x + 1);
    EXPECT_EQ(g.FastFall, 1);
}

TEST_F(GravityTest, InAndOutOfAGameChangesTheTick) {
    EXPECT_EQ(thread.Tick(), IdleTickMs);
    SetGameThreadInGame(true);
    EXPECT_EQ(thread.Tick(), InGameTickMs);
    SetGameThreadInGame(false);
    EXPECT_EQ(thread.Tick(), IdleTickMs);
}

// The real thread against the main thread's event loop.
class GameThreadRunTest : public testing::KeyTest {
protected:
    void SetUp() override {
        KeyTest::SetUp();
        test::EnsureEventLoop();
        SetGameClock(nullptr);  // the system clock: the thread reads it too
        std::string tokens;
        for (int i = 0; i < 40; ++i) tokens += (i ? "\x02" : "") + std::string("104011111");
        StartWith(tokens, 3, 4, 100);
    }
};

TEST_F(GameThreadRunTest, HeldDropKeyPlacesPiecesAndStopNeverHangs) {
    testing::FakeKeyboard keys;
    auto thread = std::make_unique<TGameThread>(keys);
    thread->SetInGame(true);
    thread->Start();
    keys.press(32);  // "Drop piece" repeats every 400 ms while held
    EXPECT_TRUE(test::RunUntil([] { return PendingHistory.size() >= 2; }));
    keys.release(32);
    EXPECT_EQ(sender.sent.size(), PendingHistory.size());
    // The main thread stops serving calls, as when it is busy closing: the thread soon waits
    // on its next gravity call. Stopping then must not hang.
    QThread::msleep(30);
    thread->Stop();
    thread->Stop();
    thread.reset();
    EXPECT_EQ(ClientState.game.PieceY, 1);
}

}  // namespace
}  // namespace pk
