#include "game/zrsb.h"

#include <gtest/gtest.h>

#include <map>

#include "game/specials_env.h"
#include "game/zrgameio.h"
#include "game/zrkey.h"

namespace pk {
namespace {

using testing::FakeSpecialEnv;
using testing::PackBits;

// A 12 x 22 field, empty but for the given rows (1-based).
std::string Field(const std::map<int, std::string>& rows) {
    std::string field(12 * 22, '0');
    for (const auto& [row, cells] : rows) field.replace((row - 1) * 12, 12, cells);
    return field;
}

// Quake data for a 22-row field: rows 1-19 still, row 20 left 2, row 21 right 1, row 22 left 1.
std::string QuakeData() {
    std::vector<std::pair<uint32_t, int>> bits(19, {0, 3});
    bits.insert(bits.end(), {{1, 1}, {2, 2}, {0, 1}, {1, 2}, {1, 1}, {1, 2}});
    return PackBits(bits);
}

class SpecialTest : public ::testing::Test {
protected:
    FakeSpecialEnv env;
    const std::string stack =
        Field({{20, "000000000003"}, {21, "0o0000000000"}, {22, "1111n1111110"}});

    void SetUp() override { env.Field(1) = stack; }
};

TEST_F(SpecialTest, AddLineOnOwnField) {
    destsb(env, "a", "123451234512", 2, 1);
    EXPECT_EQ(env.Field(1), Field({{19, "000000000003"},
                                   {20, "0o0000000000"},
                                   {21, "1111n1111110"},
                                   {22, "123451234512"}}));
    EXPECT_EQ(env.revenge, 2);
    EXPECT_EQ(env.finished, 1);
    EXPECT_EQ(env.redraws, (std::vector<int>{1}));
}

TEST_F(SpecialTest, EveryPlainSpecialOnOwnFieldGivesItsField) {
    struct Case {
        const char* letters;
        std::string data;
        std::string expected;
    };
    env.rules.sbnlines = 2;
    env.rules.sbrblocks = 2;
    const std::vector<Case> cases = {
        {"c", "", Field({{21, "000000000003"}, {22, "0o0000000000"}})},
        {"n", "", Field({{22, "000000000003"}})},
        {"r", PackBits({{12, 4}, {20, 5}, {5, 4}, {22, 5}}),
         Field({{21, "0o0000000000"}, {22, "111101111110"}})},
        {"s", Field({{1, "555555555555"}}), Field({{1, "555555555555"}})},
        {"b", "4", Field({{20, "000000000003"}, {21, "040000000000"}, {22, "111141111110"}})},
        {"q", QuakeData(),
         Field({{20, "000000000300"}, {21, "00o000000000"}, {22, "111n11111100"}})},
        // The bomb's square holds three blocks of row 22; the data moves two of them to the
        // top corners and runs out before the third, which stays.
        {"o", PackBits({{1, 4}, {1, 5}, {12, 4}, {1, 5}}),
         Field({{1, "100000000001"}, {20, "000000000003"}, {22, "0011n1111110"}})},
        {"v", "12", Field({{21, "0o0000000000"}, {22, "1111n1111110"}})},
    };
    for (const Case& c : cases) {
        env.Field(1) = stack;
        destsb(env, c.letters, c.data, 2, 1);
        EXPECT_EQ(env.Field(1), c.expected) << c.letters;
        EXPECT_EQ(env.Field(1).size(), 12u * 22u) << c.letters;
    }
    EXPECT_EQ(env.finished, static_cast<int>(cases.size()));
}

TEST_F(SpecialTest, GravityCompletesCountsCollectsAndRemovesRows) {
    env.rules.sbglines = true;
    env.rules.sbgcollect = true;
    destsb(env, "g", std::string("\x07", 1), 2, 1);
    // Column 12's block falls into the hole of row 22, which is then full and removed with
    // its 'n'; the 'o' above it comes down with the rest.
    EXPECT_EQ(env.Field(1), Field({{22, "0o0000000000"}}));
    EXPECT_EQ(env.lines, 1);
    EXPECT_EQ(env.level, 7);
    EXPECT_EQ(env.collected, (std::vector<std::pair<int, std::string>>{{1, "n"}}));
    EXPECT_EQ(env.refreshes, (std::vector<int>{rfAfterGravity}));
}

TEST_F(SpecialTest, GravityWithoutLineRuleStillRemovesCompletedRows) {
    destsb(env, "g", "", 2, 1);
    EXPECT_EQ(env.Field(1), Field({{22, "0o0000000000"}}));
    EXPECT_EQ(env.lines, 0);
    EXPECT_EQ(env.level, 1);
    EXPECT_TRUE(env.collected.empty());
}

TEST_F(SpecialTest, LinesForSeveralPlayers) {
    // Two rows of 1s for slots 1 and 3; slot 5 is empty and slot 9 does not exist.
    std::vector<std::pair<uint32_t, int>> bits = {{2, 5}};
    for (int i = 0; i < 24; ++i) bits.emplace_back(1, 4);
    for (uint32_t slot : {1u, 3u, 5u, 9u, 0u}) bits.emplace_back(slot, 4);
    const std::string data = PackBits(bits);
    destsb(env, "aa", data, 2, 1);
    const std::string two(24, '1');
    EXPECT_EQ(env.Field(1), Field({{18, "000000000003"},
                                   {19, "0o0000000000"},
                                   {20, "1111n1111110"},
                                   {21, two.substr(0, 12)},
                                   {22, two.substr(0, 12)}}));
    EXPECT_EQ(env.Field(3), Field({{21, two.substr(0, 12)}, {22, two.substr(0, 12)}}));
    EXPECT_EQ(env.Field(2), Field({}));
    EXPECT_EQ(env.attackLines, (std::vector<std::string>{"1. \x05"
                                                         "01\x05"
                                                         "192 Lines Added",
                                                         "  to \x05"
                                                         "03\x05"
                                                         "01All\x05\x05 from \x05"
                                                         "01P2"}));
    EXPECT_EQ(env.events,
              (std::vector<std::string>{"[12:00] Event: to All from P2: 2 lines added"}));
}

TEST_F(SpecialTest, OwnPlayerWhoLostOnlyEndsTheEntry) {
    env.players[1]->state = psLost;
    destsb(env, "n", "", 3, 1);
    EXPECT_EQ(env.Field(1), stack);
    EXPECT_EQ(env.revenge, 3);
    EXPECT_EQ(env.finished, 1);
    EXPECT_EQ(env.attackLines.size(), 2u);
}

TEST_F(SpecialTest, SpecialsFromALostPlayerFollowTheDeadRule) {
    env.players[2]->state = psLost;
    env.rules.deadsb = false;
    destsb(env, "c", "", 2, 1);
    EXPECT_EQ(env.Field(1), stack);
    env.rules.deadsb = true;
    destsb(env, "c", "", 2, 1);
    EXPECT_NE(env.Field(1), stack);
    // A switch from a lost player never switches.
    env.Field(1) = stack;
    destsb(env, "s", Field({}), 2, 1);
    EXPECT_EQ(env.Field(1), stack);
}

TEST_F(SpecialTest, NoGameNoEffect) {
    env.running = false;
    destsb(env, "n", "", 2, 1);
    EXPECT_EQ(env.Field(1), stack);
    EXPECT_EQ(env.finished, 1);
}

TEST_F(SpecialTest, SelfUseKeepsTheRevengeSlot) {
    env.revenge = 4;
    destsb(env, "g", "", 1, 1);
    EXPECT_EQ(env.revenge, 4);
}

TEST_F(SpecialTest, AttackLinesOfAnIncomingSpecial) {
    destsb(env, "q", "", 2, 1);
    EXPECT_EQ(env.attackLines, (std::vector<std::string>{"1. \x05"
                                                         "19\x05"
                                                         "01Blockquake\x05\x05",
                                                         "  to \x05"
                                                         "03\x05"
                                                         "01P1\x05\x05 from \x05"
                                                         "01P2"}));
    EXPECT_EQ(env.events, (std::vector<std::string>{"[12:00] Event: to P1 from P2: Blockquake"}));
    EXPECT_EQ(env.chat, (std::vector<std::string>{"\x05"
                                                  "01\x05"
                                                  "11Incoming!\x05 \x05"
                                                  "19\x05"
                                                  "01Blockquake\x05\x05"
                                                  " from \x05"
                                                  "01P2"}));
    env.showIncoming = false;
    destsb(env, "n", "", 2, 1);
    EXPECT_EQ(env.attackLines[2],
              "2. \x05"
              "12\x05"
              "01Nuke Field\x05\x05");
    EXPECT_EQ(env.chat.size(), 1u);
}

TEST_F(SpecialTest, AttackLinesWhileWatching) {
    env.spectating = true;
    otherperformsb(env, "i", "start", 1, 2);
    EXPECT_EQ(env.attackLines, (std::vector<std::string>{"1. \x05"
                                                         "12\x05"
                                                         "01Attack Immunity\x05\x05",
                                                         "  to \x05"
                                                         "01P2\x05 from \x05"
                                                         "01P1"}));
    EXPECT_TRUE(env.chat.empty());
}

TEST_F(SpecialTest, OwnSpecialOnAnotherPlayer) {
    OwnSpecialEcho(env, "d", "start", 1, 3);
    EXPECT_EQ(env.attackLines, (std::vector<std::string>{"1. \x05"
                                                         "19\x05"
                                                         "01Darkness\x05\x05",
                                                         "  to \x05"
                                                         "01P3\x05 from \x05"
                                                         "03\x05"
                                                         "01P1"}));
    EXPECT_EQ(env.finished, 1);
    // Only the switch changes the own field; on the own slot there is no attack line.
    OwnSpecialEcho(env, "s", Field({{22, "222222222222"}}), 1, 1);
    EXPECT_EQ(env.Field(1), Field({{22, "222222222222"}}));
    EXPECT_EQ(env.attackLines.size(), 2u);
    env.players[3]->state = psLost;
    OwnSpecialEcho(env, "s", Field({}), 1, 3);
    EXPECT_EQ(env.Field(1), Field({{22, "222222222222"}}));
    EXPECT_EQ(env.finished, 3);
}

TEST_F(SpecialTest, SpecialsBetweenOtherPlayers) {
    env.Field(2) = stack;
    otherperformsb(env, "c", "", 3, 2);
    EXPECT_EQ(env.Field(2), Field({{21, "000000000003"}, {22, "0o0000000000"}}));
    EXPECT_EQ(env.redraws, (std::vector<int>{2}));
    // Gravity removes what it completes.
    env.Field(2) = stack;
    otherperformsb(env, "g", "", 3, 2);
    EXPECT_EQ(env.Field(2), Field({{22, "0o0000000000"}}));
    // r, s, b and o arrive as field differences.
    for (const char* letters : {"r", "s", "b", "o"}) {
        env.Field(2) = stack;
        otherperformsb(env, letters, std::string(40, '\xff'), 3, 2);
        EXPECT_EQ(env.Field(2), stack) << letters;
    }
    // Nothing for a target who lost, or when no game runs; the line is still written.
    env.players[2]->state = psLost;
    const size_t lines = env.attackLines.size();
    otherperformsb(env, "n", "", 3, 2);
    EXPECT_EQ(env.Field(2), stack);
    EXPECT_EQ(env.attackLines.size(), lines + 2);
    EXPECT_EQ(env.finished, 0);
}

TEST_F(SpecialTest, OtherPlayersNeverChangeTheOwnFieldDirectly) {
    otherperformsb(env, "n", "", 3, 1);
    EXPECT_EQ(env.Field(1), stack);
    std::vector<std::pair<uint32_t, int>> bits = {{1, 5}};
    for (int i = 0; i < 12; ++i) bits.emplace_back(2, 4);
    bits.emplace_back(1, 4);
    bits.emplace_back(2, 4);
    otherperformsb(env, "aa", PackBits(bits), 3, 0);
    EXPECT_EQ(env.Field(1), stack);
    EXPECT_EQ(env.Field(2), Field({{22, "222222222222"}}));
}

TEST_F(SpecialTest, TimedEffectsFollowTheRulesInForce) {
    env.rules.sbdcount = 15;
    env.rules.sbdstack = true;
    destsb(env, "d", "start", 2, 1);
    destsb(env, "d", "repeat", 2, 1);
    ASSERT_EQ(env.timed.Entries().size(), 1u);
    const TTimedSpecialRec e = env.timed.Entries()[0];
    EXPECT_EQ(e.slot, 1);
    EXPECT_EQ(e.sourceSlot, 2);
    EXPECT_EQ(e.kind, 0);
    EXPECT_EQ(e.endTime - e.startTime, 15);
    EXPECT_EQ(env.attackLines.size(), 2u);  // "repeat" is not announced
    destsb(env, "d", "start", 3, 1);
    EXPECT_EQ(env.timed.Entries()[0].endTime - env.timed.Entries()[0].startTime, 30);
    destsb(env, "d", "end", 3, 1);
    EXPECT_TRUE(env.timed.Entries().empty());
    EXPECT_EQ(env.finished, 4);

    env.rules.sbmtimed = false;
    otherperformsb(env, "m",
                   "start\x02"
                   "x",
                   1, 3);
    ASSERT_EQ(env.timed.EntriesOf(3).size(), 1u);
    EXPECT_EQ(env.timed.EntriesOf(3)[0].flag, 1);
    EXPECT_EQ(env.timed.EntriesOf(3)[0].kind, 1);
    EXPECT_EQ(env.timed.EntriesOf(3)[0].limit, 3);
}

TEST_F(SpecialTest, ConfusionSwapsTheOwnKeysAndRestoresThemAtTheEnd) {
    env.random.state = 0;
    destsb(env, "f", "start", 2, 1);
    ASSERT_TRUE(env.confusion.has_value());
    EXPECT_EQ(*env.confusion, (std::array<int, 4>{3, 0, 1, 2}));
    EXPECT_EQ(env.keyResets, (std::vector<int>{krClearTimers}));
    destsb(env, "f", "end", 2, 1);
    EXPECT_EQ(env.keyResets, (std::vector<int>{krClearTimers, krConfusionEnd}));
    // Confusion of another player leaves the own keys alone.
    env.confusion.reset();
    otherperformsb(env, "f", "start", 1, 3);
    EXPECT_FALSE(env.confusion.has_value());
    EXPECT_TRUE(env.timed.TimedActive(3, "f"));
}

TEST_F(SpecialTest, ServerEventsStillApplyToAnImmunePlayer) {
    otherperformsb(env, "i", "start", 3, 2);
    EXPECT_TRUE(env.timed.TimedActive(2, "i"));
    // The server decides what lands: a special it sends anyway is applied.
    otherperformsb(env, "a", "111111111111", 3, 2);
    EXPECT_EQ(env.Field(2), Field({{22, "111111111111"}}));
    otherperformsb(env, "i", "end", 3, 2);
    EXPECT_FALSE(env.timed.TimedActive(2, "i"));
}

TEST_F(SpecialTest, UnknownSpecialsChangeNothing) {
    destsb(env, "z", "", 2, 1);
    otherperformsb(env, "xyz", "", 2, 3);
    EXPECT_EQ(env.Field(1), stack);
    EXPECT_TRUE(env.attackLines.empty());
    EXPECT_EQ(env.finished, 1);
    EXPECT_EQ(SpecialName("aa"), "");
    EXPECT_EQ(SpecialName("m"), "Mutated Pieces");
}

TEST_F(SpecialTest, SlotsOutsideTheRoomAreHarmless) {
    destsb(env, "a", "111111111111", 0, 1);
    destsb(env, "aa", PackBits({{1, 5}}), 15, 1);
    otherperformsb(env, "c", "", 9, -4);
    OwnSpecialEcho(env, "s", "", 1, 77);
    EXPECT_EQ(env.revenge, 0);
    EXPECT_EQ(env.Field(1).size(), 12u * 22u);
}

}  // namespace
}  // namespace pk
