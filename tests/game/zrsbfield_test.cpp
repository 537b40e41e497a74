#include "game/zrsbfield.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/specials_env.h"

namespace pk {
namespace {

using testing::LibraryRandom;
using testing::PackBits;

// Small fields keep the goldens readable: 4 columns, 5 rows, one string per row.
constexpr int W = 4, H = 5;
std::string F(std::vector<std::string> rows) {
    std::string out;
    for (const auto& r : rows) out += r;
    return out;
}
const std::string kRows = F({"1111", "2222", "3333", "4444", "5555"});

TEST(SpecialFieldTest, OctalDigitsReadAsThreeBitValuesUpToTheEnd) {
    // From every bit position of payloads of 0 to 9 bytes: the digits and the position that
    // reading three bits at a time, while not past the end, gives.
    std::string bytes;
    for (int size = 0; size <= 9; ++size) {
        for (int skip = 0; skip <= size * 8 + 2; ++skip) {
            for (uint32_t n : {0u, 1u, 5u, 8u, 9u, 16u, 17u, 30u}) {
                SbBitReader fast(bytes), slow(bytes);
                for (int left = skip; left > 0; left -= 7) {
                    fast.Read(std::min(left, 7));
                    slow.Read(std::min(left, 7));
                }
                std::string expected;
                while (expected.size() < n && !slow.PastEnd())
                    expected += static_cast<char>('0' + slow.Read(3));
                std::string digits(n, '?');
                const uint32_t got = fast.ReadOctalDigits(digits.data(), n);
                ASSERT_EQ(digits.substr(0, got), expected) << size << " " << skip << " " << n;
                EXPECT_EQ(fast.PastEnd(), slow.PastEnd());
                EXPECT_EQ(fast.Read(5), slow.Read(5));
                EXPECT_EQ(fast.Read(13), slow.Read(13));
            }
        }
        bytes += static_cast<char>(0x5A + 37 * size);
    }
}

TEST(SpecialFieldTest, AddLinesDropsTopRowsAndKeepsSize) {
    EXPECT_EQ(AddLinesAtBottom(kRows, "1020", W, H), F({"2222", "3333", "4444", "5555", "1020"}));
    // A partial row is no row; characters that are no cell enter empty.
    EXPECT_EQ(AddLinesAtBottom(kRows, "a#Zq12", W, H), F({"2222", "3333", "4444", "5555", "a00q"}));
    // More rows than the field holds: the last five stay.
    EXPECT_EQ(AddLinesAtBottom(kRows, "1000200030004000500060007000", W, H),
              F({"3000", "4000", "5000", "6000", "7000"}));
    EXPECT_EQ(AddLinesAtBottom(kRows, "", W, H), kRows);
    // A field that arrives with the wrong size leaves with the right one.
    EXPECT_EQ(AddLinesAtBottom("11", "2222", W, H).size(), 20u);
}

TEST(SpecialFieldTest, NukeRemovesBottomLinesOrEverything) {
    EXPECT_EQ(NukeField(kRows, 3, W, H), F({"0000", "0000", "0000", "1111", "2222"}));
    EXPECT_EQ(NukeField(kRows, 0, W, H), std::string(20, '0'));
    EXPECT_EQ(NukeField(kRows, 5, W, H), std::string(20, '0'));
    EXPECT_EQ(NukeField(kRows, 100, W, H), std::string(20, '0'));
}

TEST(SpecialFieldTest, RandomClearSkipsPairsOutsideTheField) {
    const std::string data = PackBits({{2, 4},
                                       {3, 5},  // (2,3) cleared
                                       {0, 4},
                                       {1, 5},  // column 0: outside
                                       {15, 4},
                                       {2, 5},  // column 15: outside
                                       {1, 4},
                                       {31, 5},  // row 31: outside
                                       {4, 4},
                                       {5, 5}});  // (4,5) cleared
    EXPECT_EQ(RandomClear(kRows, data, 5, W, H), F({"1111", "2222", "3033", "4444", "5550"}));
    // Asking for more pairs than the data holds stops at its end.
    EXPECT_EQ(RandomClear(kRows, PackBits({{1, 4}, {1, 5}}), 100, W, H),
              F({"0111", "2222", "3333", "4444", "5555"}));
}

TEST(SpecialFieldTest, ClearSpecialsNeedsADigit) {
    const std::string field = F({"a000", "0q10", "0000", "0000", "m5vi"});
    EXPECT_EQ(ClearSpecials(field, "3", W, H), F({"3000", "0310", "0000", "0000", "3533"}));
    EXPECT_EQ(ClearSpecials(field, "", W, H), field);
    EXPECT_EQ(ClearSpecials(field, "x", W, H), field);
}

TEST(SpecialFieldTest, GravityKeepsColumnOrderAtBothEdges) {
    const std::string field = F({"a000", "0200", "1003", "0004", "0500"});
    EXPECT_EQ(GravityField(field, W, H), F({"0000", "0000", "0000", "a203", "1504"}));
    // A settled field and an empty one do not change.
    EXPECT_EQ(GravityField(kRows, W, H), kRows);
    EXPECT_EQ(GravityField(std::string(20, '0'), W, H), std::string(20, '0'));
    // A block in the top row of the last column falls to the bottom row.
    EXPECT_EQ(GravityField(F({"0001", "0000", "0000", "0000", "0000"}), W, H),
              F({"0000", "0000", "0000", "0000", "0001"}));
}

TEST(SpecialFieldTest, QuakeShiftsRowsAndLosesCellsAtTheEdges) {
    const std::string field = F({"1234", "1234", "1234", "1234", "1234"});
    const std::string data = PackBits({{1, 1},
                                       {1, 2},  // row 1: left 1
                                       {0, 1},
                                       {2, 2},  // row 2: right 2
                                       {1, 1},
                                       {0, 2},  // row 3: shift 0 keeps the row
                                       {0, 1},
                                       {3, 2}});  // row 4: right 3; row 5: no data
    EXPECT_EQ(QuakeRows(field, data, W, H), F({"2340", "0012", "1234", "0001", "1234"}));
}

TEST(SpecialFieldTest, BlockBombExplodesEachBombAfterThePreviousMoved) {
    const std::string field = F({"0000", "0o10", "0220", "0000", "o003"});
    const std::string data = PackBits({{1, 4},
                                       {4, 5},  // '1' of (3,2) to (1,4)
                                       {15, 4},
                                       {4, 5},  // '2' of (2,3): outside, stays
                                       {4, 4},
                                       {4, 5},  // '2' of (3,3) to (4,4)
                                       {3, 4},
                                       {1, 5}});  // second bomb: '1' of (1,4) to (3,1)
    EXPECT_EQ(BlockBomb(field, data, 1, W, H), F({"0010", "0000", "0200", "0002", "0003"}));
}

TEST(SpecialFieldTest, BlockBombWithoutDataOnlyClearsTheBombs) {
    const std::string field = F({"o1o1", "1o1o", "o1o1", "1o1o", "o1o1"});
    const std::string result = BlockBomb(field, "", 15, W, H);
    EXPECT_EQ(result, F({"0101", "1010", "0101", "1010", "0101"}));
}

TEST(SpecialFieldTest, ClearColumnTakesADecimalColumnInsideTheField) {
    EXPECT_EQ(ClearColumn(kRows, "3", W, H), F({"1101", "2202", "3303", "4404", "5505"}));
    EXPECT_EQ(ClearColumn(kRows, "", W, H), F({"0111", "0222", "0333", "0444", "0555"}));
    EXPECT_EQ(ClearColumn(kRows, "x", W, H), F({"0111", "0222", "0333", "0444", "0555"}));
    for (const char* outside : {"0", "5", "-1", "99", "99999999999999999999999"}) {
        EXPECT_EQ(ClearColumn(kRows, outside, W, H), kRows) << outside;
    }
}

TEST(SpecialFieldTest, AddedLinesParseCellsRowsAndSlots) {
    const std::string data = PackBits({{2, 5},  // two rows
                                       {1, 4},
                                       {2, 4},
                                       {3, 4},
                                       {4, 4},  // row 1
                                       {9, 4},
                                       {10, 4},
                                       {15, 4},
                                       {0, 4},  // 10, 15: no cell
                                       {2, 4},
                                       {7, 4},
                                       {3, 4},
                                       {0, 4},    // slots, 7 dropped
                                       {5, 4}});  // after the end
    const AddedLines lines = ParseAddedLines(data, W, H);
    EXPECT_EQ(lines.rowCount, 2);
    EXPECT_EQ(lines.rows, "12349000");
    EXPECT_EQ(lines.slots, (std::vector<int>{2, 3}));
    EXPECT_EQ(AddedLineCount(data), 2);
}

TEST(SpecialFieldTest, AddedLinesAboveTheFieldHeightKeepTheLastRows) {
    std::vector<std::pair<uint32_t, int>> fields = {{7, 5}};
    for (uint32_t row = 1; row <= 7; ++row) {
        for (int c = 0; c < W; ++c) fields.emplace_back(row, 4);
    }
    fields.emplace_back(1, 4);
    const std::string data = PackBits(fields);
    const AddedLines lines = ParseAddedLines(data, W, H);
    EXPECT_EQ(lines.rowCount, 7);
    EXPECT_EQ(lines.rows, F({"3333", "4444", "5555", "6666", "7777"}));
    EXPECT_EQ(lines.slots, (std::vector<int>{1}));
    // No data at all: no rows, no slots.
    EXPECT_EQ(ParseAddedLines("", W, H).rows, "");
    EXPECT_TRUE(ParseAddedLines("", W, H).slots.empty());
}

TEST(SpecialFieldTest, ConfusionOrderFollowsTheGenerator) {
    LibraryRandom zero{0};
    EXPECT_EQ(ConfusionOrder([&](int n) { return zero.Draw(n); }),
              (std::array<int, 4>{3, 0, 1, 2}));
    LibraryRandom other{12345};
    EXPECT_EQ(ConfusionOrder([&](int n) { return other.Draw(n); }),
              (std::array<int, 4>{1, 0, 3, 2}));
}

TEST(SpecialFieldTest, ConfusionOrderEndsWithAGeneratorThatKeepsMissing) {
    // Always 0, then always out of range: both still give a permutation in which the first
    // three actions lose their own key.
    for (int value : {0, 7, -1}) {
        const auto order = ConfusionOrder([value](int) { return value; });
        std::array<bool, 4> seen{};
        for (int k = 0; k < 4; ++k) {
            ASSERT_GE(order[k], 0);
            ASSERT_LT(order[k], 4);
            EXPECT_FALSE(seen[order[k]]);
            seen[order[k]] = true;
            if (k < 3) {
                EXPECT_NE(order[k], k);
            }
        }
    }
}

}  // namespace
}  // namespace pk
