#include "game/zrtimedsb.h"

#include <gtest/gtest.h>

#include "game/specials_env.h"
#include "game/zrgameio.h"

namespace pk {
namespace {

using testing::FakeTimedHost;

class TimedTest : public ::testing::Test {
protected:
    FakeTimedHost host;
    TTimedSpecials timed{host};

    // A timed special as the special blocks add it: count as duration and limit, repeat 1.
    void Add(int slot, const char* name, int count, bool stack, bool seconds,
             bool mutated = false) {
        timed.AddTimed(slot, 2, name, count, 1, count, stack, seconds ? tkSeconds : tkPieces,
                       mutated ? tkPieces : tkSeconds);
    }
};

TEST_F(TimedTest, StartOnOwnSlotRedrawsAndSounds) {
    host.own = 1;
    Add(1, "d", 10, false, true);
    ASSERT_EQ(timed.Entries().size(), 1u);
    const TTimedSpecialRec& e = timed.Entries()[0];
    EXPECT_EQ(e.flag, 0);
    EXPECT_EQ(e.kind, 0);
    EXPECT_EQ(e.slot, 1);
    EXPECT_EQ(e.sourceSlot, 2);
    EXPECT_EQ(e.name, "d");
    EXPECT_EQ(e.startTime, 1000);
    EXPECT_EQ(e.lastStep, 1000);
    EXPECT_EQ(e.endTime, 1010);
    EXPECT_EQ(e.repeat, 1);
    EXPECT_EQ(e.limit, 10);
    EXPECT_EQ(host.sounds, (std::vector<std::string>{"newtimed"}));
    EXPECT_EQ(host.redraws, (std::vector<int>{1}));
    EXPECT_TRUE(host.timerOn);
    // Another slot only refreshes its display.
    Add(3, "f", 10, false, true);
    EXPECT_EQ(host.refreshes.back(), std::make_pair(int{rfSlotName}, 3));
    EXPECT_EQ(host.sounds.size(), 1u);
    EXPECT_TRUE(timed.TimedActive(3, "F"));
    EXPECT_FALSE(timed.TimedActive(2, "f"));
}

TEST_F(TimedTest, StackedDarknessEndsTwentySecondsAfterTheFirstStart) {
    Add(1, "d", 10, true, true);
    host.clock = 1004;
    timed.AddTimed(1, 3, "d", 10, 1, 10, true, tkSeconds, tkSeconds);
    ASSERT_EQ(timed.Entries().size(), 1u);
    EXPECT_EQ(timed.Entries()[0].endTime, 1020);
    EXPECT_EQ(timed.Entries()[0].sourceSlot, 3);
    EXPECT_EQ(timed.Entries()[0].startTime, 1000);
}

TEST_F(TimedTest, UnstackedDarknessRestartsAtTheSecondSpecial) {
    Add(1, "d", 10, false, true);
    host.clock = 1004;
    Add(1, "d", 10, false, true);
    ASSERT_EQ(timed.Entries().size(), 1u);
    EXPECT_EQ(timed.Entries()[0].startTime, 1004);
    EXPECT_EQ(timed.Entries()[0].endTime, 1014);
}

TEST_F(TimedTest, StackedPieceCountAddsToTheLimit) {
    Add(1, "i", 3, true, false);
    Add(1, "i", 3, true, false);
    ASSERT_EQ(timed.Entries().size(), 1u);
    EXPECT_EQ(timed.Entries()[0].limit, 6);
}

TEST_F(TimedTest, TimeCountedDarknessRunsOutButStaysUntilTheServerEndsIt) {
    Add(1, "d", 2, false, true);
    host.clock = 1001;
    timed.TickTimedSpecials(tkSeconds);
    EXPECT_EQ(timed.Entries()[0].lastStep, 1001);
    host.clock = 1002;
    timed.TickTimedSpecials(tkSeconds);
    EXPECT_EQ(timed.Entries()[0].repeat, 1);
    // Piece steps do not touch a time-counted effect without the mutation flag.
    timed.TickTimedSpecials(tkPieces);
    EXPECT_EQ(timed.Entries()[0].counter, 0);
    // Ticked past its end: it has run out (repeat 0) but is still in force.
    host.clock = 1003;
    host.redraws.clear();
    timed.TickTimedSpecials(tkSeconds);
    ASSERT_EQ(timed.Entries().size(), 1u);
    EXPECT_EQ(timed.Entries()[0].repeat, 0);
    EXPECT_EQ(timed.Entries()[0].lastStep, 1003);
    EXPECT_TRUE(timed.TimedActive(1, "d"));
    EXPECT_EQ(host.redraws, (std::vector<int>{1}));
    EXPECT_EQ(host.sounds.back(), "newtimed");
    EXPECT_TRUE(host.timerOn);
    // Later ticks pass over it and change nothing.
    host.clock = 1100;
    host.redraws.clear();
    timed.TickTimedSpecials(tkSeconds);
    EXPECT_EQ(timed.Entries()[0].lastStep, 1003);
    EXPECT_TRUE(host.redraws.empty());
    // The server's end removes it.
    timed.timeddelete(1, "d");
    EXPECT_FALSE(timed.TimedActive(1, "d"));
    EXPECT_EQ(host.sounds.back(), "removetimed");
    EXPECT_FALSE(host.timerOn);
}

TEST_F(TimedTest, MissedIntervalsAreSteppedAtOnce) {
    Add(2, "f", 500, false, true);
    host.clock = 1000 + 123;
    timed.TickTimedSpecials(tkSeconds);
    EXPECT_EQ(timed.Entries()[0].lastStep, 1123);
    // A clock that jumps by years neither loops nor overflows; the effect has run out.
    host.clock = 2'000'000'000;
    timed.TickTimedSpecials(tkSeconds);
    ASSERT_EQ(timed.Entries().size(), 1u);
    EXPECT_EQ(timed.Entries()[0].lastStep, 2'000'000'000);
    EXPECT_EQ(timed.Entries()[0].repeat, 0);
    // A clock that goes back changes nothing.
    Add(2, "f", 5, false, true);
    host.clock = 0;
    timed.TickTimedSpecials(tkSeconds);
    EXPECT_EQ(timed.Entries()[0].lastStep, 2'000'000'000);
}

TEST_F(TimedTest, PieceCountedImmunityRunsOutAtTheFourthPieceAndStaysUntilEnd) {
    Add(1, "i", 3, false, false);
    for (int piece = 1; piece <= 3; ++piece) {
        timed.TickTimedSpecials(tkPieces);
        ASSERT_TRUE(timed.TimedActive(1, "i")) << piece;
        EXPECT_EQ(timed.Entries()[0].counter, piece);
    }
    timed.TickTimedSpecials(tkPieces);
    ASSERT_EQ(timed.Entries().size(), 1u);
    EXPECT_EQ(timed.Entries()[0].counter, 4);
    EXPECT_EQ(timed.Entries()[0].limit, 0);
    EXPECT_TRUE(timed.TimedActive(1, "i"));
    // Further pieces leave it alone; "end" (cleartimed at a loss or game end alike) removes it.
    timed.TickTimedSpecials(tkPieces);
    EXPECT_EQ(timed.Entries()[0].counter, 4);
    timed.cleartimed(1);
    EXPECT_FALSE(timed.TimedActive(1, "i"));
}

TEST_F(TimedTest, MutatedPiecesCountedInPiecesDoNotNeedTheTimer) {
    Add(1, "m", 3, false, false, true);
    EXPECT_FALSE(host.timerOn);
    // The timer's step passes over it; the piece step counts it.
    host.clock = 1100;
    timed.TickTimedSpecials(tkSeconds);
    EXPECT_EQ(timed.Entries()[0].lastStep, 1000);
    timed.TickTimedSpecials(tkPieces);
    EXPECT_EQ(timed.Entries()[0].counter, 1);
    // Counted in seconds, it also counts pieces but ends by time only.
    Add(2, "m", 3, false, true, true);
    EXPECT_TRUE(host.timerOn);
    for (int i = 0; i < 5; ++i) timed.TickTimedSpecials(tkPieces);
    ASSERT_TRUE(timed.TimedActive(2, "m"));
    EXPECT_EQ(timed.EntriesOf(2)[0].counter, 5);
}

TEST_F(TimedTest, DeleteAndClear) {
    Add(1, "d", 10, false, true);
    Add(2, "d", 10, false, true);
    Add(2, "i", 10, false, true);
    timed.timeddelete(2, "D");
    EXPECT_FALSE(timed.TimedActive(2, "d"));
    EXPECT_TRUE(timed.TimedActive(2, "i"));
    timed.timeddelete(4, "d");  // nothing there
    EXPECT_EQ(timed.Entries().size(), 2u);
    timed.cleartimed(2);
    EXPECT_EQ(timed.Entries().size(), 1u);
    EXPECT_TRUE(host.timerOn);
    timed.cleartimed(0);
    EXPECT_TRUE(timed.Entries().empty());
    EXPECT_FALSE(host.timerOn);
}

TEST_F(TimedTest, NamesAreCutToTenCharacters) {
    timed.AddTimed(1, 1, "abcdefghijklmnop", 1, 1, 1, false, tkSeconds, tkSeconds);
    EXPECT_EQ(timed.Entries()[0].name, "abcdefghij");
}

}  // namespace
}  // namespace pk
