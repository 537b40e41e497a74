#include <gtest/gtest.h>

#include <random>

#include "game/zrfield.h"
#include "peers/game_server.h"
#include "room/zrgamelink.h"

namespace pk {
namespace {

class FieldDiff : public ::testing::Test {
protected:
    void SetUp() override {
        FieldWidth = 12;
        FieldHeight = 22;
    }
    void TearDown() override {
        FieldWidth = 12;
        FieldHeight = 22;
    }
    static std::string Full(char c) { return std::string(12 * 22, c); }
};

TEST_F(FieldDiff, WholeFieldWithNoRowsEmptiesTheField) {
    // mode 0, then 22 row bits of 0: 23 bits in three bytes.
    std::string field = Full('3');
    DecodeFieldDiff(field, std::string("\x00\x00\x00", 3));
    EXPECT_EQ(field, Full('0'));
}

TEST_F(FieldDiff, GoldenWholeFieldOneCell) {
    // 0 (whole field) 1 (row 1 mentioned) 1 (cell 1 set) 00001 ('1'),
    // 11 cells 0, 21 rows 0: 0x61 then 32 zero bits.
    std::string field = Full('5');
    DecodeFieldDiff(field, std::string("\x61\x00\x00\x00\x00", 5));
    std::string expected = Full('0');
    expected[0] = '1';
    EXPECT_EQ(field, expected);
}

TEST_F(FieldDiff, GoldenChangesKeepUnmentionedCells) {
    // 1 (changes) 1 (row 1) 0 (cell 1 kept) 1 (cell 2 set) 10011 (19 = 'm'),
    // 10 cells 0, 21 rows 0: D9 80 00 00 00.
    std::string field = Full('2');
    DecodeFieldDiff(field, std::string("\xD9\x80\x00\x00\x00", 5));
    std::string expected = Full('2');
    expected[1] = 'm';
    EXPECT_EQ(field, expected);
}

TEST_F(FieldDiff, InvalidValuesAndShortInputGiveEmptyCells) {
    // 1 (changes) 1 (row 1) 1 (cell 1) 11111 (31: invalid), then the bits run out.
    std::string field = Full('4');
    DecodeFieldDiff(field, std::string("\xFF", 1));
    EXPECT_EQ(field[0], '0');
    // Bits past the end read as 0: the rest of row 1 and all other rows are kept.
    EXPECT_EQ(field.substr(1), Full('4').substr(1));
}

TEST_F(FieldDiff, FieldOfWrongSizeIsBroughtToTheGeometry) {
    std::string field = "123";
    DecodeFieldDiff(field, std::string("\x80", 1));
    EXPECT_EQ(field.size(), 12u * 22u);
    EXPECT_EQ(field.substr(0, 3), "123");
}

TEST_F(FieldDiff, RoundTripsWithTheServersEncoderOnAnyGeometry) {
    std::mt19937 random(7);
    const std::string cells = "0000012345acnrsbgqovidfm";
    for (const auto& [w, h] : {std::pair{12, 22}, std::pair{6, 4}, std::pair{1, 1}}) {
        FieldWidth = w;
        FieldHeight = h;
        for (int round = 0; round < 20; ++round) {
            std::string before(static_cast<std::size_t>(w * h), '0');
            std::string after = before;
            for (char& c : before) {
                c = cells[random() % cells.size()];
            }
            for (char& c : after) {
                c = cells[random() % cells.size()];
            }
            std::string field = before;
            DecodeFieldDiff(field, peers::EncodeFieldDiff(after));
            EXPECT_EQ(field, after);
            field = before;
            DecodeFieldDiff(field, peers::EncodeFieldChanges(before, after));
            EXPECT_EQ(field, after);
        }
    }
}

TEST(Countdown, TimeTexts) {
    EXPECT_EQ(CountdownText(150),
              "\x05"
              "012min 30sec\x05");
    EXPECT_EQ(CountdownText(120),
              "\x05"
              "012min\x05");
    EXPECT_EQ(CountdownText(45),
              "\x05"
              "0145sec\x05");
    EXPECT_EQ(CountdownText(0),
              "\x05"
              "010sec\x05");
}

}  // namespace
}  // namespace pk
