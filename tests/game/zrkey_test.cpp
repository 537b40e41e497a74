#include "game/zrkey.h"

#include <gtest/gtest.h>

#include "core/zrconst.h"
#include "game/zrfield.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrowngame.h"
#include "game/zrtimedsb.h"
#include "support/bytes.h"
#include "support/key_fixture.h"

namespace pk {
namespace {

using testing::KeyTest;
using testing::Tokens;

// Holds the slot's key from time 0 to `until` (exclusive), polling every `step` ms, and
// returns the times of the down events.
std::vector<int64_t> HoldAndPoll(TKeySlotRec& slot, int64_t until, int64_t step = 1) {
    std::vector<int64_t> times;
    std::vector<TKeyEvent> events;
    for (int64_t now = 0; now < until; now += step) {
        events.clear();
        PollKeySlot(slot, slot.ActionId, true, now, events);
        for (size_t i = 0; i < events.size(); ++i) times.push_back(now);
    }
    return times;
}

TKeySlotRec Slot(int action, int key, int repeat, int delay) {
    TKeySlotRec s;
    s.ActionId = action;
    s.KeyInUse = key;
    s.RepeatInUse = repeat;
    s.DelayInUse = delay;
    return s;
}

TEST(KeyRepeat, FirstEventAtOnceThenDelayThenEveryRepeat) {
    TKeySlotRec s = Slot(kaRotateRight, 38, 180, 200);
    EXPECT_EQ(HoldAndPoll(s, 1000), (std::vector<int64_t>{0, 200, 380, 560, 740, 920}));
    // Letting go gives one up event, and only one.
    std::vector<TKeyEvent> events;
    PollKeySlot(s, s.ActionId, false, 1000, events);
    PollKeySlot(s, s.ActionId, false, 1001, events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], (TKeyEvent{38, kaRotateRight, KeyUp}));
    EXPECT_EQ(s.NextFire.load(), 0);
}

TEST(KeyRepeat, NoInitialDelayRepeatsEveryInterval) {
    TKeySlotRec s = Slot(kaFallFaster, 40, 40, 0);
    EXPECT_EQ(HoldAndPoll(s, 200), (std::vector<int64_t>{0, 40, 80, 120, 160}));
}

TEST(KeyRepeat, LatePollEmitsEveryMissedRepeat) {
    TKeySlotRec s = Slot(kaMoveLeft, 37, 70, 120);
    std::vector<TKeyEvent> events;
    PollKeySlot(s, s.ActionId, true, 0, events);
    ASSERT_EQ(events.size(), 1u);
    events.clear();
    PollKeySlot(s, s.ActionId, true, 400, events);  // due: 120, 190, 260, 330, 400
    EXPECT_EQ(events.size(), 5u);
    for (const auto& e : events) EXPECT_EQ(e, (TKeyEvent{37, kaMoveLeft, KeyDown}));
    EXPECT_EQ(s.NextFire.load(), 470);
}

TEST(KeyRepeat, IntervalsBelowOneCountAsOneSoThePollEnds) {
    TKeySlotRec s = Slot(kaMoveRight, 39, 0, -5);
    EXPECT_EQ(HoldAndPoll(s, 4), (std::vector<int64_t>{0, 1, 2, 3}));
    // After a long stall the catch-up is bounded and goes on from now.
    std::vector<TKeyEvent> events;
    PollKeySlot(s, s.ActionId, true, 1'000'000, events);
    EXPECT_EQ(events.size(), static_cast<size_t>(MaxKeyRepeatsPerPoll));
    EXPECT_GT(s.NextFire.load(), 1'000'000);
}

TEST(KeyTable, ResetMasksWriteDefaultsAndCopies) {
    TKeyTable t;
    for (auto& s : t) {
        s.KeySetting = 65;
        s.RepeatSetting = 7;
        s.DelaySetting = 8;
        s.NextFire = 99;
    }
    ResetKeyTable(t, krConfigLoad);
    EXPECT_EQ(t[kaFallFaster].KeySetting, 40);
    EXPECT_EQ(t[kaFallFaster].RepeatSetting, 40);
    EXPECT_EQ(t[kaMoveLeft].DelaySetting, 120);
    EXPECT_EQ(t[kaMoveLeft].KeyInUse.load(), 0);  // in-use copies untouched
    EXPECT_EQ(t[18].NextFire.load(), 99);
    EXPECT_EQ(t[18].ActionId, 18);

    t[kaUseSpecial].KeySetting = 90;
    ResetKeyTable(t, krGameStart);
    EXPECT_EQ(t[kaUseSpecial].KeyInUse.load(), 90);
    EXPECT_EQ(t[kaUseSpecial].RepeatInUse.load(), 100);
    EXPECT_EQ(t[kaUseSpecial].DelayInUse.load(), 300);
    EXPECT_EQ(t[kaUseSpecial].KeySetting, 90);
    EXPECT_EQ(t[18].NextFire.load(), 0);
    EXPECT_EQ(KeyTableBusy.load(), 0);

    ResetKeyTable(t, 200);  // above 127: everything
    EXPECT_EQ(t[kaUseSpecial].KeyInUse.load(), 20);
    EXPECT_EQ(t[kaPlayer1 + 5].KeySetting, 54);
}

TEST(KeyTable, ConfusionMovesInUseKeysOnly) {
    TKeyTable t;
    ResetKeyTable(t, krEverything);
    ConfuseKeys(t, {3, 2, 1, 0});
    EXPECT_EQ(t[kaRotateRight].KeyInUse.load(), 39);  // Right now turns
    EXPECT_EQ(t[kaFallFaster].KeyInUse.load(), 37);
    EXPECT_EQ(t[kaMoveLeft].KeyInUse.load(), 40);
    EXPECT_EQ(t[kaMoveRight].KeyInUse.load(), 38);
    EXPECT_EQ(t[kaMoveRight].KeySetting, 39);
    ResetKeyTable(t, krConfusionEnd);
    EXPECT_EQ(t[kaMoveRight].KeyInUse.load(), 39);
}

// ---------------------------------------------------------------- actions

class KeyActionTest : public KeyTest {
protected:
    void SetUp() override {
        KeyTest::SetUp();
        // Tall bars and squares, level 1: a row per second.
        StartWith(Tokens({"104011111", "102022222", "104011111", "102022222"}), 11, 22, 50);
    }
    tmegame& g = ClientState.game;
};

TEST_F(KeyActionTest, MovesAndTurnsOnlyWhereThePieceFits) {
    ASSERT_EQ(g.PieceX, 5);  // the bar spawns lying at column 5
    GameKeyDispatch(kaMoveLeft, 37, KeyDown);
    EXPECT_EQ(g.PieceX, 4);
    EXPECT_EQ(GameThreadFlags.RedrawRequested.load(), 1);
    g.PieceX = 1;
    GameKeyDispatch(kaMoveLeft, 37, KeyDown);
    EXPECT_EQ(g.PieceX, 1);

    // Standing upright at the right wall, a turn would stick out: it moves left to fit.
    g.CurrentPiece = "01041111";
    g.PieceX = 12;
    g.PieceRotation = 2;
    GameKeyDispatch(kaRotateRight, 38, KeyDown);
    EXPECT_EQ(g.CurrentPiece, "04011111");
    EXPECT_EQ(g.PieceX, 9);
    EXPECT_EQ(g.PieceRotation, 3);
    EXPECT_EQ(display.sounds.back(), "rotate");

    // With a block where it would have to go, the turn fails.
    g.CurrentPiece = "01041111";
    g.PieceX = 12;
    g.PieceRotation = 2;
    OwnField()[static_cast<size_t>(9 - 1)] = '5';  // row 1, column 9
    GameKeyDispatch(kaRotateLeft, 17, KeyDown);
    EXPECT_EQ(g.CurrentPiece, "01041111");
    EXPECT_EQ(g.PieceX, 12);
    EXPECT_EQ(g.PieceRotation, 2);
    RotateLeft();
    RotateLeft();
    EXPECT_EQ(g.PieceRotation, 2);  // still blocked: rotation stays in 1..4
}

TEST_F(KeyActionTest, KeysDoNothingWhenInputIsNotAllowed) {
    const int x = g.PieceX;
    input.chatFocused = true;
    GameKeyDispatch(kaMoveLeft, 37, KeyDown);
    GameKeyDispatch(kaSendMessage, 84, KeyDown);
    input.chatFocused = false;
    input.inFront = false;
    GameKeyDispatch(kaMoveLeft, 37, KeyDown);
    EXPECT_EQ(g.PieceX, x);
    EXPECT_EQ(input.chatActivations, 0);
    input.inFront = true;
    g.GamePaused = 1;
    GameKeyDispatch(kaMoveLeft, 37, KeyDown);
    EXPECT_EQ(g.PieceX, x);
    GameKeyDispatch(kaSendMessage, 84, KeyDown);  // in every state
    EXPECT_EQ(input.chatActivations, 1);
}

TEST_F(KeyActionTest, CapsLockReleaseUndoesItsLock) {
    GameKeyDispatch(kaUseSpecial, VkCapital, KeyUp);
    EXPECT_EQ(input.capsUndone, 1);
    GameKeyDispatch(kaUseSpecial, 'A', KeyUp);
    EXPECT_EQ(input.capsUndone, 1);
}

TEST_F(KeyActionTest, FallFasterReleaseStretchesTheRestOfTheRow) {
    clock.ms = 10'000;
    GameTiming.LevelFallInterval = 1000;
    GameTiming.FallInterval = 1000;
    GameTiming.NextFallTime = 10'900;
    GameKeyDispatch(kaFallFaster, 40, KeyDown);
    EXPECT_EQ(g.FastFall, 1);
    EXPECT_EQ(GameTiming.FallInterval.load(), 40);
    EXPECT_EQ(GameTiming.NextFallTime.load(), 10'000);  // the next row at once
    GameKeyDispatch(kaFallFaster, 40, KeyDown);         // a repeat changes nothing
    EXPECT_EQ(GameTiming.NextFallTime.load(), 10'000);

    GameTiming.NextFallTime = 10'040;
    clock.ms = 10'020;  // halfway through a fast row
    GameKeyDispatch(kaFallFaster, 40, KeyUp);
    EXPECT_EQ(g.FastFall, 0);
    EXPECT_EQ(GameTiming.FallInterval.load(), 1000);
    EXPECT_EQ(GameTiming.NextFallTime.load(), 10'520);
}

TEST_F(KeyActionTest, FastFallEndsAlsoWhenItsReleaseComesWhileTheChatHasTheFocus) {
    GameTiming.LevelFallInterval = 1000;
    GameKeyDispatch(kaFallFaster, 40, KeyDown);
    input.chatFocused = true;
    GameKeyDispatch(kaFallFaster, 40, KeyUp);
    EXPECT_EQ(g.FastFall, 0);
    EXPECT_EQ(GameTiming.FallInterval.load(), 1000);
}

TEST_F(KeyActionTest, FastFallIntervalZeroCountsAsOne) {
    KeyTable()[kaFallFaster].RepeatInUse = 0;
    GameTiming.LevelFallInterval = 1000;
    GameKeyDispatch(kaFallFaster, 40, KeyDown);
    EXPECT_EQ(GameTiming.FastFallInterval.load(), 1);
    GameTiming.NextFallTime = clock.ms + 1;
    GameKeyDispatch(kaFallFaster, 40, KeyUp);
    EXPECT_EQ(GameTiming.NextFallTime.load(), clock.ms + 1000);
}

TEST_F(KeyActionTest, DropLandsThePieceAndQueuesItsEnd) {
    GameKeyDispatch(kaDropPiece, 32, KeyDown);
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].first, 0x19);
    EXPECT_EQ(sender.sent[0].second, Tokens({"0", "5", "22", "1"}));
    EXPECT_EQ(PendingHistory.size(), 1u);
    EXPECT_EQ(g.QueueBusy, 0);
    EXPECT_TRUE(input.sleeps.empty());
    EXPECT_EQ(OwnField().substr(21 * 12), "000011110000");
}

TEST_F(KeyActionTest, AnimatedDropStepsRowsUnlessItIsDark) {
    input.animDrop = true;
    const int redraws = display.redraws;
    dropdown();
    EXPECT_FALSE(input.sleeps.empty());
    EXPECT_GT(display.redraws, redraws + 1);
    EXPECT_EQ(sender.sent.at(0).second, Tokens({"0", "5", "22", "1"}));

    // In darkness the drop is not animated, but the own field is redrawn at once.
    input.sleeps.clear();
    input.timed.insert("1d");
    ASSERT_EQ(g.PieceY, 1);  // the next piece has started
    const int before = display.redraws;
    dropdown();
    EXPECT_TRUE(input.sleeps.empty());
    EXPECT_GT(display.redraws, before);
    EXPECT_EQ(sender.sent.at(1).second, Tokens({"0", "6", "20", "1"}));
}

TEST_F(KeyActionTest, HoldNeedsTheRuleAndAnUnusedHold) {
    GameKeyDispatch(kaHoldPiece, 13, KeyDown);
    EXPECT_TRUE(sender.sent.empty());
    Settings.rules.holdpiece = 1;
    GameKeyDispatch(kaHoldPiece, 13, KeyDown);
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].second, Tokens({"1", "0", "0", "0"}));
    EXPECT_EQ(PieceToken(g.HoldToken, 1), "104011111");
}

// ---------------------------------------------------------------- targets and specials

class SpecialKeyTest : public KeyActionTest {
protected:
    void SetUp() override {
        KeyActionTest::SetUp();
        Seat(2, "two");
        Seat(3, "three", psLost);
        Seat(5, "five");
        g.Inventory = "acn";
        g.TargetSlot = 1;
    }
    // The 0x1d payload for a target, usage id and inventory before the use.
    static std::string Usage(const std::string& target, uint8_t id, const std::string& inv) {
        const auto sum = static_cast<uint16_t>(FieldChecksum(inv));
        std::string p = target + '\x02';
        p += static_cast<char>(id);
        return p + test::LE(sum, 2);
    }
};

TEST_F(SpecialKeyTest, TargetsSkipPlayersWhoLost) {
    GameKeyDispatch(kaToggleTarget, 9, KeyDown);
    EXPECT_EQ(g.TargetSlot, 2);
    GameKeyDispatch(kaToggleTarget, 9, KeyDown);
    EXPECT_EQ(g.TargetSlot, 5);  // 3 lost, 4 empty
    GameKeyDispatch(kaToggleTarget, 9, KeyDown);
    EXPECT_EQ(g.TargetSlot, 1);  // wraps to the own slot
    EXPECT_EQ(display.refreshes.back(), std::make_pair(int{rfTargets}, 0));
    SlotPlayers[2]->plr->PlayerState = psLost;
    SlotPlayers[5]->plr->PlayerState = psLost;
    own->plr->PlayerState = psLost;
    NextTarget();
    EXPECT_EQ(g.TargetSlot, 0);
}

TEST_F(SpecialKeyTest, ATargetThatLeavesPassesTheAimOn) {
    InstallKeyActions();
    g.TargetSlot = 2;
    RemovePlayer(SlotPlayers[2]);
    SlotHooks = PlayerSlotHooks{};
    EXPECT_EQ(g.TargetSlot, 5);
}

TEST_F(SpecialKeyTest, UsingASpecialReportsItAndTakesTheFirstLetter) {
    g.TargetSlot = 2;
    GameKeyDispatch(kaUseSpecial, 20, KeyDown);
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].first, MsgSpecialUsage);
    EXPECT_EQ(sender.sent[0].second, Usage("2", 1, "acn"));
    EXPECT_EQ(g.Inventory, "cn");
    EXPECT_EQ(AckUsageLog, std::string("\x01u"));
    EXPECT_EQ(display.refreshes.back(), std::make_pair(rfInventoryDisplay, 0));

    // "Player N" is the slot at display position N: the own slot, then the others in order.
    GameKeyDispatch(kaPlayer1 + 3, 52, KeyDown);  // slot 4 is empty
    EXPECT_EQ(sender.sent.size(), 1u);
    GameKeyDispatch(kaPlayer1 + 4, 53, KeyDown);
    EXPECT_EQ(sender.sent.back().second, Usage("5", 2, "cn"));
    GameKeyDispatch(kaDiscardSpecial, 68, KeyDown);
    EXPECT_EQ(sender.sent.back().second, Usage("d", 3, "n"));
    EXPECT_EQ(g.Inventory, "");
    EXPECT_EQ(AckUsageLog, std::string("\x01u\x02u\x03") + "d");
    GameKeyDispatch(kaDiscardSpecial, 68, KeyDown);  // nothing left
    EXPECT_EQ(sender.sent.size(), 3u);
}

TEST_F(SpecialKeyTest, ASpecialOnAPlayerWhoLostDoesNothing) {
    g.TargetSlot = 3;
    GameKeyDispatch(kaUseSpecial, 20, KeyDown);
    UseSpecial(4);  // empty slot
    UseSpecial(7);
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(g.Inventory, "acn");
}

TEST_F(SpecialKeyTest, ImmunityBlocksOthersAndTheOwnSlotUnlessAllowed) {
    input.timed = {"2i", "1i"};
    UseSpecial(2);
    UseSpecial(1);
    EXPECT_TRUE(sender.sent.empty());
    Settings.rules.sbiself = 1;
    UseSpecial(2);
    EXPECT_TRUE(sender.sent.empty());
    UseSpecial(1);
    EXPECT_EQ(sender.sent.size(), 1u);
}

TEST_F(SpecialKeyTest, UsagesGoIntoTheLastPendingEntry) {
    GameKeyDispatch(kaDropPiece, 32, KeyDown);  // one piece pending
    ASSERT_EQ(PendingHistory.size(), 1u);
    sender.sent.clear();
    Settings.rules.sacrifice = 1;
    GameKeyDispatch(kaSacrificeSpecial, 83, KeyDown);
    EXPECT_EQ(sender.sent.at(0).second, Usage("s", 1, "acn"));
    EXPECT_EQ(PendingHistory.back()->UsageLog, "\x01s");
    EXPECT_EQ(g.Inventory.size(), 2u);  // one letter sacrificed, the rest shuffled
}

TEST_F(SpecialKeyTest, LostPlayerUsesSpecialsOnlyWithDeadsb) {
    own->plr->PlayerState = psLost;
    g.TargetSlot = 2;
    GameKeyDispatch(kaUseSpecial, 20, KeyDown);
    GameKeyDispatch(kaMoveLeft, 37, KeyDown);
    EXPECT_TRUE(sender.sent.empty());
    Settings.rules.deadsb = 1;
    const int x = g.PieceX;
    GameKeyDispatch(kaUseSpecial, 20, KeyDown);
    GameKeyDispatch(kaMoveLeft, 37, KeyDown);
    EXPECT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(g.PieceX, x);  // pieces stay still for a player who lost
}

TEST_F(SpecialKeyTest, WatchersPickAPlayerByDigit) {
    g.Spectating = 1;
    SpectatorViewKey('3', false);
    SpectatorViewKey('3', true);
    SpectatorViewKey('7', false);
    EXPECT_EQ(input.viewRequests, std::vector<int>{3});
    GameKeyDispatch(kaUseSpecial, 20, KeyDown);
    EXPECT_TRUE(sender.sent.empty());
}

class QuietTimedHost : public TimedHost {
public:
    int32_t SecondClock() override { return 100; }
    int OwnSlot() override { return 1; }
    void RedrawField(int) override {}
    void RefreshSlot(int, int) override {}
    void PlayThemeSound(const std::string&) override {}
    void SetTimedTimer(bool) override {}
};

TEST(GameInputHost, ReadsTimedEffectsFromTheProgramsList) {
    GameInputHost host;
    EXPECT_FALSE(host.TimedActive(1, "d"));  // no list yet
    QuietTimedHost timedHost;
    InitTimedSpecials(timedHost);
    TimedSpecials->AddTimed(1, 2, "d", 10, 1, 10, false, tkSeconds, tkSeconds);
    EXPECT_TRUE(host.TimedActive(1, "d"));
    EXPECT_FALSE(host.TimedActive(2, "d"));
    EXPECT_FALSE(host.TimedActive(1, "i"));
    FreeTimedSpecials();
}

TEST(UsageId, OneMoreThanTheLargestId) {
    EXPECT_EQ(NextUsageId(""), 1);
    EXPECT_EQ(NextUsageId(std::string("\x05u\x02"
                                      "d")),
              6);
}

}  // namespace
}  // namespace pk
