#include "game/zrfmqueue.h"

#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "game/zrfield.h"
#include "game/zrowngame.h"
#include "support/asan.h"
#include "support/fake_game_io.h"

namespace pk {
namespace {

using testing::Tokens;

const std::string kBar = "04011111", kSquare = "02022222";

class QueueTest : public testing::EngineTest {
protected:
    std::vector<int> Kinds() const {
        std::vector<int> k;
        for (const auto& e : EventQueue) k.push_back(e->kind);
        return k;
    }
    std::string Event(const std::string& field, const std::string& data = "") {
        return std::to_string(FieldChecksum(field)) + '\x02' + data;
    }
    tmegame& g = ClientState.game;
};

TEST_F(QueueTest, UrgentEntriesGoBehindTheRunningOneInReverseOrder) {
    effects.holdEntry = true;
    QueueSpecialEvent(false, seAtOwnField, "d", Event(OwnField(), "start"), 2, 1);
    ASSERT_EQ(EventQueue.size(), 1u);
    EXPECT_EQ(EventQueue.front()->running, 1);
    EXPECT_EQ(g.QueueBusy, 1);

    QueueAcknowledgement(false, tqpa{});
    QueueStartPiece(true);
    QueueEndPiece(true);
    QueueHoldPiece(false);
    EXPECT_EQ(Kinds(),
              (std::vector<int>{qkSpecial, qkEndPiece, qkStartPiece, qkAcknowledge, qkHoldPiece}));
    for (size_t i = 1; i < EventQueue.size(); ++i) EXPECT_EQ(EventQueue[i]->running, 0);
    ClearEventQueue();
    EXPECT_EQ(g.QueueBusy, 0);
}

#ifdef PK_TEST_ASAN
TEST_F(QueueTest, AFinishedEntryKeptForReuseIsPoisoned) {
    // A reference kept to a spent entry must still be reported, as one to a freed entry is.
    effects.holdEntry = true;
    QueueSpecialEvent(false, seAtOwnField, "d", Event(OwnField(), "start"), 2, 1);
    QueueHoldPiece(false);
    ASSERT_EQ(EventQueue.size(), 2u);
    const TQueueEntryRec* running = EventQueue[0].get();
    const TQueueEntryRec* waiting = EventQueue[1].get();
    ClearEventQueue();
    EXPECT_TRUE(__asan_address_is_poisoned(running));
    EXPECT_TRUE(__asan_address_is_poisoned(waiting));
    QueueSpecialEvent(false, seAtOwnField, "d", Event(OwnField(), "again"), 2, 1);
    ASSERT_EQ(EventQueue.size(), 1u);
    EXPECT_FALSE(__asan_address_is_poisoned(EventQueue.front().get()));
    ClearEventQueue();
}
#endif

TEST_F(QueueTest, ReusedEntriesStartWithoutTheirOldPayload) {
    // Spent entries are kept for reuse: one that comes back must carry nothing of its past.
    effects.holdEntry = true;
    QueueSpecialEvent(false, seAtOwnField, "d", Event(OwnField(), "start"), 2, 1);
    QueueAcknowledgement(false, tqpa{});
    QueueGetSpecials(false, "ab", "c");
    ClearEventQueue();
    QueueSpecialEvent(false, seAtOwnField, "q", Event(OwnField(), "again"), 2, 1);
    for (int i = 0; i < 3; ++i) QueueHoldPiece(false);
    ASSERT_EQ(Kinds(), (std::vector<int>{qkSpecial, qkHoldPiece, qkHoldPiece, qkHoldPiece}));
    ASSERT_TRUE(EventQueue.front()->sb);
    EXPECT_EQ(EventQueue.front()->sb->letters, "q");
    EXPECT_FALSE(EventQueue.front()->pa);
    EXPECT_FALSE(EventQueue.front()->asb);
    for (size_t i = 1; i < EventQueue.size(); ++i) {
        const TQueueEntryRec& e = *EventQueue[i];
        EXPECT_EQ(e.running, 0);
        EXPECT_FALSE(e.sb || e.pa || e.asb);
    }
    ClearEventQueue();
}

TEST_F(QueueTest, UrgentEntryOnAnIdleQueueStartsAtOnce) {
    g.PendingLimit = 10;
    g.UpcomingPieces = Tokens({"1" + kBar, "1" + kSquare});
    QueueStartPiece(true);
    EXPECT_TRUE(EventQueue.empty());
    EXPECT_EQ(g.QueueBusy, 0);
    EXPECT_EQ(g.PieceX, 5);
}

TEST_F(QueueTest, FinishOnAnEmptyQueueOnlyClearsBusy) {
    g.QueueBusy = 1;
    FinishQueueEntry();
    EXPECT_EQ(g.QueueBusy, 0);
    EXPECT_TRUE(EventQueue.empty());
}

TEST_F(QueueTest, ServerSpecialMessagesPinTheSlotOrder) {
    effects.holdEntry = true;
    g.OwnSlot = 3;
    // 0x15: the own special echoed on slot 5.
    QueueServerSpecial(MsgOwnSpecialEcho, "s", 5, Event(OwnField(), "xyz"));
    // 0x16: slot 4's special on the own field.
    QueueServerSpecial(MsgSpecialAtOwnField, "q", 4, Event(OwnField(), "\x01\x02"));
    ASSERT_EQ(EventQueue.size(), 2u);
    const tqsb& echo = *EventQueue[0]->sb;
    EXPECT_EQ(echo.subkind, seOwnSpecialEcho);
    EXPECT_EQ(echo.fromslot, 3);
    EXPECT_EQ(echo.toslot, 5);
    EXPECT_EQ(echo.letters, "s");
    EXPECT_EQ(echo.data, "xyz");
    EXPECT_EQ(echo.checksum, FieldChecksum(OwnField()));
    const tqsb& hit = *EventQueue[1]->sb;
    EXPECT_EQ(hit.subkind, seAtOwnField);
    EXPECT_EQ(hit.fromslot, 4);
    EXPECT_EQ(hit.toslot, 3);
    EXPECT_EQ(hit.data, "\x01\x02");
    ASSERT_EQ(effects.events.size(), 1u);  // only the first has run so far
    FinishQueueEntry();
    EXPECT_EQ(effects.events.size(), 2u);
    EXPECT_EQ(effects.events[1].letters, "q");
}

TEST_F(QueueTest, SpecialWithoutPendingWorksOnTheLiveStateAndRefreshesThePiece) {
    g.PendingLimit = 10;
    g.UpcomingPieces = Tokens({"1" + kBar, "1" + kSquare});
    QueueStartPiece(true);
    OwnField()[100] = '3';
    static std::string expect;
    expect = OwnField();
    effects.onEvent = [](const tqsb&) {
        EXPECT_EQ(OwnField(), expect);  // no rollback without pending pieces
        OwnField()[0] = '5';
        FinishQueueEntry();
    };
    std::string after = OwnField();
    after[0] = '5';
    QueueSpecialEvent(false, seAtOwnField, "r", Event(after), 2, 1);
    EXPECT_EQ(OwnField(), after);
    EXPECT_EQ(g.CurrentPiece, kBar);
    EXPECT_EQ(g.NextPieceToken, "1" + kSquare);
    EXPECT_TRUE(EventQueue.empty());
    EXPECT_EQ(g.QueueBusy, 0);
}

TEST_F(QueueTest, SpecialWithPendingPiecesUsesTheAcknowledgedSeed) {
    testing::EngineTest::StartWith(Tokens({"1" + kSquare, "1" + kBar, "1" + kBar}), 1000, 2000, 10);
    Settings.rules.sbchance[1] = "a";
    OwnField() = testing::FieldFromRows({"111111111100"});
    g.PieceX = 11;
    QueueEndPiece(true);  // clears a line: the live seeds move on
    ASSERT_EQ(PendingHistory.size(), 1u);
    ASSERT_NE(g.SeedA, 1000);
    static int32_t seen = 0;
    effects.onEvent = [](const tqsb&) {
        seen = ClientState.game.SeedA;
        FinishQueueEntry();
    };
    QueueSpecialEvent(false, seAtOwnField, "c", Event(PendingHistory.front()->snapshot.field), 2,
                      1);
    EXPECT_EQ(seen, 1000);
    EXPECT_NE(g.SeedA, 1000);  // the replay moved them on again
}

TEST_F(QueueTest, ChecksumMismatchFreesTheEntryAndStallsTheQueue) {
    effects.holdEntry = true;
    QueueSpecialEvent(false, seAtOwnField, "a",
                      "12\x02"
                      "000000000000",
                      2, 1);
    QueueStartPiece(false);
    ASSERT_EQ(EventQueue.size(), 2u);
    try {
        FinishQueueEntry();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Unsynchronized special block \"a\"");
    }
    EXPECT_NE(ClientLog().find("BUG: unsynchronized after \"a\" " + OwnField()), std::string::npos);
    // The special is gone (and freed); the start-piece entry waits, not started.
    ASSERT_EQ(EventQueue.size(), 1u);
    EXPECT_EQ(EventQueue.front()->kind, qkStartPiece);
    EXPECT_EQ(EventQueue.front()->running, 0);
    EXPECT_EQ(g.QueueBusy, 1);
}

TEST_F(QueueTest, FailingEntryStaysFirstAndRunning) {
    g.CurrentPiece = kBar;
    g.OwnPlayer = nullptr;  // no own field: the end-piece routine fails
    EXPECT_THROW(QueueEndPiece(true), std::logic_error);
    EXPECT_NE(ClientLog().find("Error in endpiece"), std::string::npos);
    EXPECT_NE(ClientLog().find("Error in advancequeue 1"), std::string::npos);
    ASSERT_EQ(EventQueue.size(), 1u);
    EXPECT_EQ(EventQueue.front()->running, 1);
    QueueHoldPiece(false);  // queued behind it, never started
    EXPECT_EQ(EventQueue.size(), 2u);
    EXPECT_EQ(g.QueueBusy, 1);
}

TEST_F(QueueTest, SpecialEventWithoutAnOwnFieldJustEnds) {
    g.OwnPlayer = nullptr;  // watching: no own field to check
    QueueServerSpecial(MsgSpecialAtOwnField, "a", 2,
                       "12\x02"
                       "000000000000");
    EXPECT_TRUE(EventQueue.empty());
    EXPECT_EQ(g.QueueBusy, 0);
    EXPECT_EQ(ClientLog().find("Error in"), std::string::npos) << ClientLog();
}

TEST_F(QueueTest, LongQueueOfEntriesThatEndAtOnceRunsWithoutNesting) {
    // A flood of acknowledgements piles up behind an effect that holds the queue; when it ends
    // they all run, one after the other, however many there are.
    effects.holdEntry = true;
    QueueSpecialEvent(false, seAtOwnField, "i", Event(OwnField(), "start"), 2, 1);
    tqpa a;
    a.level = 7;
    for (int i = 0; i < 200000; ++i) QueueAcknowledgement(false, a);
    ASSERT_EQ(EventQueue.size(), 200001u);
    FinishQueueEntry();
    EXPECT_TRUE(EventQueue.empty());
    EXPECT_EQ(g.QueueBusy, 0);
    EXPECT_EQ(g.OwnLevel, 7);
}

}  // namespace
}  // namespace pk
