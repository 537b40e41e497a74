#include "game/zrowngame.h"

#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "support/ack_computer.h"
#include "support/fake_game_io.h"

namespace pk {
namespace {

using testing::AckComputer;
using testing::AckRules;
using testing::Tokens;

const std::string kBar = "04011111", kSquare = "02022222", kT = "0302011110";

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> out;
    for (int i = 1; i <= PieceTokenCount(list); ++i) out.push_back(PieceToken(list, i));
    return out;
}

class OwnGameTest : public testing::EngineTest {
protected:
    // Drops the falling piece at column x in its current rotation.
    void DropAt(int x) {
        ClientState.game.PieceX = x;
        QueueEndPiece(true);
    }
    std::string LastSent(uint8_t type) {
        for (auto it = sender.sent.rbegin(); it != sender.sent.rend(); ++it) {
            if (it->first == type)
                return it->second;
        }
        return "<none>";
    }
    // Acknowledges the first pending entry with exactly its snapshot's values.
    void AckFirst(const std::vector<std::string>& tokens, int level = 1) {
        const thistoryclientstate& s = PendingHistory.front()->snapshot;
        AcknowledgementMessage(
            AckComputer::Encode(level, tokens, s.inventory, FieldChecksum(s.field),
                                static_cast<uint32_t>(s.seedA), static_cast<uint32_t>(s.seedB)));
    }
    tmegame& g = ClientState.game;
};

TEST_F(OwnGameTest, StartPieceSpawnsAtTheCentreWithTheLevelSpeed) {
    Settings.rules.lvlstart = 11;
    StartWith(Tokens({"1" + kBar, "1" + kSquare, "1" + kT}), 5, 6, 10);
    EXPECT_EQ(g.PieceX, 5);
    EXPECT_EQ(g.PieceY, 1);
    EXPECT_EQ(g.PieceWaiting, 0);
    EXPECT_EQ(g.NextPieceToken, "1" + kSquare);
    EXPECT_EQ(GameTiming.LevelFallInterval.load(), 900);
    EXPECT_EQ(GameTiming.NextFallTime.load(), clock.ms + 900);
    EXPECT_EQ(GameTiming.PieceActive.load(), 1);
    EXPECT_EQ(g.QueueBusy, 0);
    EXPECT_TRUE(EventQueue.empty());
}

TEST_F(OwnGameTest, AcknowledgementRoadDropsThePendingEntry) {
    StartWith(Tokens({"2" + kBar, "2" + kSquare, "2" + kT}), 0x12345, 0x6789A, 10);
    DropAt(1);
    // 0x19: hold-used, x, y, rotation.
    EXPECT_EQ(LastSent(MsgPiecePlaced),
              "0\x02"
              "1\x02"
              "22\x02"
              "1");
    ASSERT_EQ(PendingHistory.size(), 1u);
    const thistoryclientstate& s = PendingHistory.front()->snapshot;
    EXPECT_EQ(s.field, EmptyField());
    EXPECT_EQ(s.upcoming, Tokens({"2" + kBar, "2" + kSquare, "2" + kT}));
    EXPECT_EQ(s.seedA, 0x12345);
    EXPECT_EQ(OwnField().substr(21 * 12), "111100000000");
    EXPECT_EQ(g.CurrentPiece, kSquare);
    EXPECT_EQ(g.PieceX, 6);  // the next piece is already falling

    // The server's seeds carry only 16 bits; the upper bits of ours do not matter.
    AcknowledgementMessage(
        AckComputer::Encode(4, {"1" + kBar}, "", FieldChecksum(EmptyField()), 0x2345, 0x789A));
    EXPECT_TRUE(PendingHistory.empty());
    EXPECT_EQ(g.OwnLevel, 4);
    EXPECT_EQ(g.UpcomingPieces, Tokens({"2" + kSquare, "2" + kT, "1" + kBar}));
    EXPECT_EQ(effects.pieceTicks, 1);
    EXPECT_EQ(ClientLog().find("BUG"), std::string::npos);
}

struct Mismatch {
    const char* name;
    int checksumDelta;
    uint32_t seedADelta, seedBDelta;
    std::string inventory;
    const char* text;
    const char* logged;
};

TEST_F(OwnGameTest, AcknowledgementThatDiffersRaisesTheBugTextAndKeepsTheEntry) {
    const Mismatch cases[] = {
        {"field", 1, 0, 0, "", "BUG: field doesn't match!", "BUG: field doesn't match! 26432"},
        {"seedA", 0, 1, 0, "", "BUG: random seeds don't match!",
         "BUG: random seeds don't match! 8=7 9=9"},
        {"seedB", 0, 0, 0x10001, "", "BUG: random seeds don't match!",
         "BUG: random seeds don't match! 7=7 10=9"},
        {"inventory", 0, 0, 0, "a", "BUG: inventory doesn't match!",
         "BUG: inventory doesn't match! a="},
    };
    for (const Mismatch& m : cases) {
        SCOPED_TRACE(m.name);
        TearDown();
        SetUp();
        StartWith(Tokens({"1" + kBar, "1" + kSquare, "1" + kT}), 7, 9, 10);
        DropAt(3);
        try {
            AcknowledgementMessage(AckComputer::Encode(
                1, {}, m.inventory, FieldChecksum(EmptyField()) + m.checksumDelta, 7 + m.seedADelta,
                9 + m.seedBDelta));
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), m.text);
        }
        const std::string log = ClientLog();
        EXPECT_NE(log.find(m.logged), std::string::npos) << log;
        EXPECT_NE(log.find("Error in acknowledgepiece"), std::string::npos);
        EXPECT_NE(log.find("Error in advancequeue 1"), std::string::npos);
        EXPECT_EQ(PendingHistory.size(), 1u);
        // The queue stops with the failed entry first and running.
        ASSERT_EQ(EventQueue.size(), 1u);
        EXPECT_EQ(EventQueue.front()->running, 1);
    }
}

TEST_F(OwnGameTest, AcknowledgementWithoutPendingOnlyUpdatesTheLevel) {
    AckUsageLog = "\x01u";
    tqpa a;
    a.level = 6;
    QueueAcknowledgement(false, a);
    EXPECT_EQ(g.OwnLevel, 6);
    EXPECT_EQ(AckUsageLog, "");
    EXPECT_EQ(display.refreshes.back().first, rfLevel);
}

TEST_F(OwnGameTest, LineClearCollectsSpecialsIntoTheInventoryInTheGeneratorsOrder) {
    // Seed 0: the first letter is appended, the second draw (0 of 2) puts 'c' in front.
    for (bool inOrder : {false, true}) {
        SCOPED_TRACE(inOrder);
        TearDown();
        SetUp();
        Settings.rules.sbsinorder = inOrder;
        OwnField() = testing::FieldFromRows({"a11c11111110"});
        StartWith(Tokens({"1" + kBar, "1" + kSquare, "1" + kT}), 0, 0, 10);
        g.CurrentPiece = chpiece(kBar, 2);
        g.PieceRotation = 2;
        DropAt(12);
        EXPECT_EQ(g.Inventory, inOrder ? "ac" : "ca");
        EXPECT_EQ(g.LinesCleared, 1);
        EXPECT_EQ(FullRows(OwnField()), "");
        EXPECT_EQ(OwnField().substr(19 * 12), "000000000001000000000001000000000001");
        EXPECT_EQ(display.sounds.front(), "clear");
        EXPECT_EQ(g.PieceX, 6);  // the next piece started after the specials
        EXPECT_TRUE(EventQueue.empty());
    }
}

TEST_F(OwnGameTest, InventoryCapacityDropsLettersAndMultColCountsEveryLine) {
    Settings.rules.invcap = 3;
    std::string inv = "qq";
    AddToInventory(Settings.rules, 0, 1, "abc", inv);
    EXPECT_EQ(inv.size(), 3u);
    Settings.rules.invcap = 10;
    Settings.rules.multcolsb = 1;
    Settings.rules.sbsinorder = 1;
    std::string inv2;
    AddToInventory(Settings.rules, 12345, 3, "ab", inv2);
    EXPECT_EQ(inv2, "aaabbb");
}

TEST_F(OwnGameTest, NewSpecialsFollowThePoolsAndMilestones) {
    std::string field = testing::FieldFromRows({"111111111100"});
    std::string placed;
    int32_t a = 1, b = 2;
    AddSpecials(Settings.rules, a, b, 5, placed, field, 1);  // empty pool: nothing, seeds untouched
    EXPECT_EQ(placed, "");
    EXPECT_EQ(a, 1);

    Settings.rules.sbchance[3] = "n";
    Settings.rules.multfieldsb = 1;
    Settings.rules.linesforsb = 2;
    Settings.rules.sbinc = 1;
    AddSpecials(Settings.rules, a, b, 7, placed, field, 3);  // milestones among 5, 6, 7: only 6
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[1], 22);
    EXPECT_EQ(placed[2], 'n');
    EXPECT_EQ(std::count(field.begin(), field.end(), 'n'), 1);
    EXPECT_NE(a, 1);
    EXPECT_NE(b, 2);

    // No normal block left: the lowest row with two empty cells takes it.
    std::string bare = testing::FieldFromRows({"aaaaaaaaaa00", "abababababa0"});
    std::string placed2;
    Settings.rules.sbchance[1] = "v";
    Settings.rules.multfieldsb = 0;
    AddSpecials(Settings.rules, a, b, 1, placed2, bare, 1);
    ASSERT_EQ(placed2.size(), 3u);
    EXPECT_EQ(placed2[1], 21);
    EXPECT_GE(placed2[0], 11);
    EXPECT_EQ(bare.size(), 264u);
}

TEST_F(OwnGameTest, HoldThenSwapReportsTheSwappedPieceWithHoldUsed) {
    Settings.rules.holdpiece = 1;
    StartWith(Tokens({"2" + kBar, "2" + kSquare, "2" + kT, "2" + kBar}), 3, 4, 10);
    AckComputer server(AckRules{}, EmptyField(), Split(g.UpcomingPieces), 3, 4);

    QueueHoldPiece(false);
    EXPECT_EQ(LastSent(MsgPiecePlaced),
              "1\x02"
              "0\x02"
              "0\x02"
              "0");
    EXPECT_EQ(g.HoldToken, "2" + kBar);
    EXPECT_EQ(g.CurrentPiece, kSquare);
    ASSERT_EQ(PendingHistory.size(), 1u);
    EXPECT_EQ(PendingHistory.front()->kind, hkHeld);
    EXPECT_EQ(PendingHistory.front()->holdused, 1);

    const size_t sentBefore = sender.sent.size();
    QueueHoldPiece(false);  // swap: no message, no entry
    EXPECT_EQ(sender.sent.size(), sentBefore);
    EXPECT_EQ(g.HoldUsed, 1);
    EXPECT_EQ(g.CurrentPiece, kBar);
    QueueHoldPiece(false);  // a second swap of the same piece is refused
    EXPECT_EQ(g.CurrentPiece, kBar);
    EXPECT_EQ(PendingHistory.size(), 1u);

    DropAt(1);
    EXPECT_EQ(LastSent(MsgPiecePlaced),
              "1\x02"
              "1\x02"
              "22\x02"
              "1");
    ASSERT_EQ(PendingHistory.size(), 2u);
    EXPECT_EQ(PendingHistory.back()->snapshot.hold, "2" + kBar);
    EXPECT_EQ(PendingHistory.back()->holdused, 1);

    for (const auto& [type, payload] : sender.sent) {
        if (type == MsgPiecePlaced)
            AcknowledgementMessage(server.OnReport(payload, {"1" + kT}));
    }
    EXPECT_EQ(ClientLog().find("BUG"), std::string::npos) << ClientLog();
    EXPECT_TRUE(PendingHistory.empty());
    EXPECT_EQ(effects.pieceTicks, 0);  // neither a hold nor a held piece advances them
    EXPECT_EQ(OwnField(), server.Field());
    EXPECT_EQ(g.HoldToken, "");
}

TEST_F(OwnGameTest, EntriesOfDroppedActionsComeBackBlank) {
    Settings.rules.holdpiece = 1;
    StartWith(Tokens({"2" + kBar, "2" + kSquare, "2" + kT, "2" + kBar}), 3, 4, 10);
    DropAt(4);
    ASSERT_EQ(PendingHistory.size(), 1u);
    PendingHistory.front()->UsageLog = "\x01u";
    FreePendingHistory();

    QueueHoldPiece(false);
    ASSERT_EQ(PendingHistory.size(), 1u);
    const thistoryevent& e = *PendingHistory.front();
    EXPECT_EQ(e.kind, hkHeld);
    EXPECT_EQ(e.x, 0);
    EXPECT_EQ(e.y, 0);
    EXPECT_EQ(e.rotation, 1);
    EXPECT_EQ(e.holdused, 1);
    EXPECT_EQ(e.UsageLog, "");
    EXPECT_EQ(e.snapshot.hold, "");
    EXPECT_EQ(e.snapshot.upcoming, Tokens({"2" + kSquare, "2" + kT, "2" + kBar}));
}

TEST_F(OwnGameTest, MergedTokensKeepKindTwoBeforeKindOne) {
    StartWith(Tokens({"2" + kBar, "1" + kSquare}), 0, 0, 10);
    DropAt(1);
    AckFirst({"2" + kT, "3" + kT, "1" + kT, "2" + kBar});
    // Old kind 2 (placed), new kind 2s in order, old kind 1, new kind 1s; kind 3 dropped.
    EXPECT_EQ(g.UpcomingPieces, Tokens({"2" + kT, "2" + kBar, "1" + kSquare, "1" + kT}));
}

TEST_F(OwnGameTest, NoTokenLeftKeepsThePieceWaitingUntilAnAcknowledgementBringsSome) {
    StartWith(Tokens({"1" + kBar}), 0, 0, 10);
    DropAt(1);
    EXPECT_EQ(g.PieceWaiting, 1);
    EXPECT_EQ(g.PieceX, -1);
    EXPECT_EQ(g.CurrentPiece, "");
    EXPECT_TRUE(EventQueue.empty());
    EXPECT_EQ(g.QueueBusy, 0);
    AckFirst({"1" + kSquare, "1" + kT, "1" + kBar});
    EXPECT_EQ(g.PieceWaiting, 0);
    EXPECT_EQ(g.CurrentPiece, kSquare);
    EXPECT_EQ(g.PieceX, 6);
}

TEST_F(OwnGameTest, PendingLimitHoldsThePieceBack) {
    StartWith(Tokens({"1" + kBar, "1" + kBar, "1" + kBar, "1" + kBar, "1" + kBar}), 0, 0, 4);
    DropAt(1);
    DropAt(5);
    EXPECT_EQ(PendingHistory.size(), 2u);
    EXPECT_EQ(g.PieceWaiting, 1);  // 2 >= 4 - 2
    EXPECT_EQ(g.PieceX, -1);
    AckFirst({});
    EXPECT_EQ(g.PieceWaiting, 0);
    EXPECT_EQ(g.PieceX, 5);
}

TEST_F(OwnGameTest, ATinyPendingLimitStillStartsAPieceWithNothingPending) {
    // A limit of 2 would otherwise hold the very first piece back for an acknowledgement that
    // can never come.
    StartWith(Tokens({"1" + kBar, "1" + kSquare, "1" + kT}), 0, 0, 2);
    EXPECT_EQ(g.PieceWaiting, 0);
    EXPECT_EQ(g.PieceX, 5);
    DropAt(1);
    EXPECT_EQ(g.PieceWaiting, 1);  // one pending is enough to wait now
    AckFirst({"1" + kBar});
    EXPECT_EQ(g.PieceWaiting, 0);
    EXPECT_EQ(g.CurrentPiece, kSquare);
}

TEST_F(OwnGameTest, SecondLockOfAPieceAlreadyPlacedReportsNothing) {
    Settings.rules.piecedelay = 300;
    StartWith(Tokens({"1" + kBar, "1" + kSquare, "1" + kT}), 0, 0, 10);
    DelayedPieceStart();
    DropAt(1);
    ASSERT_EQ(PendingHistory.size(), 1u);
    const size_t sent = sender.sent.size();
    const std::string field = OwnField();
    QueueEndPiece(true);  // a late lock while the next piece waits for its delay
    EXPECT_EQ(sender.sent.size(), sent);
    EXPECT_EQ(PendingHistory.size(), 1u);
    EXPECT_EQ(OwnField(), field);
    EXPECT_TRUE(EventQueue.empty());
    EXPECT_EQ(g.QueueBusy, 0);
}

TEST_F(OwnGameTest, PieceDelayWaitsForTheGameThreadAndNeverEndsAnotherEntry) {
    Settings.rules.piecedelay = 300;
    StartWith(Tokens({"1" + kBar, "1" + kSquare, "1" + kT}), 0, 0, 10);
    EXPECT_EQ(GameTiming.PieceDelayStart.load(), clock.ms);  // the first start honours it too
    DelayedPieceStart();
    EXPECT_EQ(g.PieceX, 5);
    EXPECT_EQ(GameTiming.PieceDelayStart.load(), 0);
    DropAt(1);
    EXPECT_EQ(g.PieceWaiting, 1);
    EXPECT_GT(GameTiming.PieceDelayStart.load(), 0);

    effects.holdEntry = true;  // a special with on-screen phases keeps the queue busy
    QueueSpecialEvent(false, seAtOwnField, "i",
                      std::to_string(FieldChecksum(EmptyField())) + "\x02start", 2, 1);
    ASSERT_EQ(EventQueue.size(), 1u);
    DelayedPieceStart();
    EXPECT_EQ(EventQueue.size(), 1u);  // the running special was not ended
    EXPECT_EQ(g.PieceWaiting, 1);
    FinishQueueEntry();
    DelayedPieceStart();
    EXPECT_EQ(g.PieceWaiting, 0);
    EXPECT_EQ(g.CurrentPiece, kSquare);
}

TEST_F(OwnGameTest, PendingPiecesReplayOnAServerChange) {
    StartWith(Tokens({"1" + kBar, "1" + kSquare, "1" + kT, "1" + kBar, "1" + kSquare}), 11, 22, 10);
    AckComputer server(AckRules{}, EmptyField(), Split(g.UpcomingPieces), 11, 22);
    DropAt(1);
    DropAt(1);
    DropAt(3);
    ASSERT_EQ(PendingHistory.size(), 3u);

    // The server adds a line to the acknowledged field (before the first pending piece).
    const std::string newRow = "101111111111";
    std::string changed = EmptyField().substr(12) + newRow;
    const int expectedChecksum = FieldChecksum(changed);
    static std::string s_row;
    s_row = newRow;
    effects.onEvent = [](const tqsb& ev) {
        TFieldString& f = OwnField();
        f = f.substr(ev.data.size()) + ev.data;
        FinishQueueEntry();
    };
    QueueServerSpecial(MsgSpecialAtOwnField, "a", 2,
                       std::to_string(expectedChecksum) + "\x02" + s_row);
    EXPECT_EQ(PendingHistory.front()->snapshot.field, changed);

    auto& srows = server.state_for_change().rows;
    srows.erase(srows.begin());
    srows.push_back(newRow);
    for (const auto& [type, payload] : sender.sent) {
        if (type == MsgPiecePlaced)
            server.OnReport(payload, {});
    }
    EXPECT_EQ(OwnField(), server.Field());
    EXPECT_EQ(g.LinesCleared, server.state().lines);
    EXPECT_EQ(g.SeedA, static_cast<int32_t>(server.state().seedA));
}

TEST_F(OwnGameTest, AcknowledgementPayloadGoldenBytes) {
    // level 3 | 1 token | kind 1, w 2, h 2, cells 2 2 2 2 | inventory 2: a(1) c(2) |
    // checksum 0x1234 | seed A 0xABCD | seed B 0x0001
    const std::string bits("\x03\x09\x21\x24\x90\x82\x21\x23\x4a\xbc\xd0\x00\x10", 13);
    auto a = DecodeAcknowledgement(bits);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->level, 3);
    EXPECT_EQ(a->tokens, "102022222");
    EXPECT_EQ(a->inventory, "ac");
    EXPECT_EQ(a->checksum, 0x1234);
    EXPECT_EQ(a->seedA, 0xABCD);
    EXPECT_EQ(a->seedB, 1);
    EXPECT_EQ(AckComputer::Encode(3, {"102022222"}, "ac", 0x1234, 0xABCD, 1), bits);

    EXPECT_FALSE(DecodeAcknowledgement(bits.substr(0, 12)));
    EXPECT_FALSE(DecodeAcknowledgement(""));
}

TEST_F(OwnGameTest, InventoryIndexOutsideTheAlphabetDecodesToNoLetter) {
    // level 1 | no tokens | inventory 3: index 15, 'a', index 0 | zero checksum and seeds
    std::string bits = AckComputer::Encode(1, {}, "xax", 0, 0, 0);  // 'x' encodes as index 0
    int pos = 8 + 5 + 5;
    bits[static_cast<size_t>(pos / 8)] |= static_cast<char>(0x0f << 3 >> (pos % 8));  // 15
    auto a = DecodeAcknowledgement(bits);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->inventory, "a");
    EXPECT_NE(ClientLog().find("Bad special letter index 15"), std::string::npos);
    EXPECT_NE(ClientLog().find("Bad special letter index 0"), std::string::npos);
}

TEST_F(OwnGameTest, UsageConfirmationClearsTheAcknowledgedLog) {
    // flag 0 | id 2 | inventory 1: 'n' (3)
    const std::string bits("\x01\x04\x60", 3);
    auto c = DecodeUsageConfirmation(bits);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->id, 2);
    EXPECT_EQ(c->inventory, "n");
    AckUsageLog = std::string(
        "\x01u\x02"
        "d",
        4);
    UsageConfirmationMessage(bits);
    EXPECT_EQ(AckUsageLog, "\x01u");
    EXPECT_EQ(g.Inventory, "n");

    // With a pending entry the confirmed inventory goes into its snapshot and is replayed.
    AckUsageLog.clear();
    StartWith(Tokens({"1" + kBar, "1" + kSquare, "1" + kT}), 0, 0, 10);
    DropAt(1);
    PendingHistory.front()->UsageLog = std::string(
        "\x02"
        "d",
        2);
    UsageConfirmed(tusageconfirm{0, 2, "qn"});
    EXPECT_EQ(PendingHistory.front()->UsageLog, "");
    EXPECT_EQ(g.Inventory, "qn");
}

TEST_F(OwnGameTest, RoomGameSetMessageCarriesNameAndStoredForm) {
    SendRoomGameSet("Classic", "k=v");
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].first, 0x20);
    EXPECT_EQ(sender.sent[0].second,
              "Classic\x02"  // name
              "k=v");        // stored form
}

TEST_F(OwnGameTest, ShuffleInventoryRemovesOneLetterAndKeepsTheRest) {
    std::string inv = "abcdef";
    ShuffleInventory(99, inv);
    EXPECT_EQ(inv.size(), 5u);
    std::string sorted = inv;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_TRUE(std::includes(std::string("abcdef").begin(), std::string("abcdef").end(),
                              sorted.begin(), sorted.end()));
    std::string again = "abcdef";
    ShuffleInventory(99, again);
    EXPECT_EQ(again, inv);  // the same seed, the same result
    // State 99 + 97 - 98 + 99 - 100 + 101 - 102 = 96: draws drop 'a', then take e, d, f, c, b.
    EXPECT_EQ(inv, "edfcb");
    std::string empty;
    ShuffleInventory(1, empty);
    EXPECT_EQ(empty, "");
}

}  // namespace
}  // namespace pk
