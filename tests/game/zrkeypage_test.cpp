#include "game/zrkeypage.h"

#include <gtest/gtest.h>

#include "game/zrkey.h"
#include "platform/keystate.h"

namespace pk {
namespace {

class KeyPageTest : public ::testing::Test {
protected:
    void SetUp() override { ResetKeyTable(table, krEverything); }
    TKeySlotRec& slot(int i) { return table[static_cast<std::size_t>(i)]; }
    TKeyTable table;
};

TEST_F(KeyPageTest, GridRowsEditTheirSlotsInActionOrder) {
    EXPECT_EQ(KeyGridSlot(KeyGrid::Move, 0), kaRotateRight);
    EXPECT_EQ(KeyGridSlot(KeyGrid::Move, 5), kaMoveRight);
    EXPECT_EQ(KeyGridSlot(KeyGrid::Misc, 0), kaToggleTarget);
    EXPECT_EQ(KeyGridSlot(KeyGrid::Misc, 6), kaRevengeAttack);
    EXPECT_EQ(KeyGridSlot(KeyGrid::Special, 0), kaPlayer1);
    EXPECT_EQ(KeyGridSlot(KeyGrid::Special, 5), 18);
    for (KeyGrid g : {KeyGrid::Move, KeyGrid::Misc, KeyGrid::Special}) {
        EXPECT_EQ(KeyGridSlot(g, -1), -1);
        EXPECT_EQ(KeyGridSlot(g, KeyGridRows(g)), -1);
    }
    EXPECT_EQ(
        KeyGridRows(KeyGrid::Move) + KeyGridRows(KeyGrid::Misc) + KeyGridRows(KeyGrid::Special),
        KeySlotCount);
}

TEST_F(KeyPageTest, APickedKeyActsAtOnceOnlyWhereTheCopiesWereEqual) {
    SetPickedKey(table, kaDropPiece, 'X');
    EXPECT_EQ(slot(kaDropPiece).KeySetting, 'X');
    EXPECT_EQ(slot(kaDropPiece).KeyInUse, 'X');
    // Confusion gave "Move left" another key in use: only the setting changes.
    ConfuseKeys(table, {0, 1, 3, 2});
    ASSERT_NE(slot(kaMoveLeft).KeyInUse, slot(kaMoveLeft).KeySetting);
    const int confused = slot(kaMoveLeft).KeyInUse;
    SetPickedKey(table, kaMoveLeft, 'J');
    EXPECT_EQ(slot(kaMoveLeft).KeySetting, 'J');
    EXPECT_EQ(slot(kaMoveLeft).KeyInUse, confused);
    // The next game start brings it into use.
    ResetKeyTable(table, krGameStart);
    EXPECT_EQ(slot(kaMoveLeft).KeyInUse, 'J');
}

TEST_F(KeyPageTest, ACaptureClosedWithoutAKeyStoresZero) {
    SetPickedKey(table, kaPlayer1 + 2, 0);
    EXPECT_EQ(slot(kaPlayer1 + 2).KeySetting, 0);
    EXPECT_EQ(slot(kaPlayer1 + 2).KeyInUse, 0);
    SetPickedKey(table, -1, 'A');  // no such slot: nothing changes
    SetPickedKey(table, KeySlotCount, 'A');
    EXPECT_EQ(slot(0).KeySetting, VkUp);
}

TEST_F(KeyPageTest, DefaultKeysActAtOnceOnlyOutsideAGame) {
    for (int i = 0; i < KeySlotCount; ++i) SetPickedKey(table, i, 'Z');
    EXPECT_FALSE(DefaultKeysClick(table, false));
    for (int i = 0; i < KeySlotCount; ++i) {
        EXPECT_EQ(slot(i).KeySetting, KeyDefaults[static_cast<std::size_t>(i)].key) << i;
        EXPECT_EQ(slot(i).KeyInUse, KeyDefaults[static_cast<std::size_t>(i)].key) << i;
    }
    for (int i = 0; i < KeySlotCount; ++i) SetPickedKey(table, i, 'Z');
    EXPECT_TRUE(DefaultKeysClick(table, true));  // the caller shows the message
    EXPECT_EQ(slot(kaHoldPiece).KeySetting, VkReturn);
    EXPECT_EQ(slot(kaHoldPiece).KeyInUse, 'Z');
    // Sensitivity is not touched by the key button.
    EXPECT_EQ(slot(kaMoveLeft).DelaySetting, 120);
}

TEST_F(KeyPageTest, DefaultSensitivityActsAtOnceOnlyOutsideAGame) {
    HorzDelayChanged(table, 300);
    DownRepeatChanged(table, 9);
    EXPECT_TRUE(DefaultSensitivityClick(table, true));
    EXPECT_EQ(slot(kaMoveLeft).DelaySetting, 120);
    EXPECT_EQ(slot(kaMoveLeft).DelayInUse, 300);
    EXPECT_EQ(slot(kaFallFaster).RepeatSetting, 40);
    EXPECT_EQ(slot(kaFallFaster).RepeatInUse, 9);
    EXPECT_FALSE(DefaultSensitivityClick(table, false));
    EXPECT_EQ(slot(kaMoveLeft).DelayInUse, 120);
    EXPECT_EQ(slot(kaFallFaster).RepeatInUse, 40);
    EXPECT_EQ(slot(kaDropPiece).KeyInUse, VkSpace);  // keys untouched
}

TEST_F(KeyPageTest, TheMoveBarsSetBothMoveKeysAndFollowMoveLeftsCopies) {
    HorzDelayChanged(table, 250);
    HorzRepeatChanged(table, 33);
    for (int k : {kaMoveLeft, kaMoveRight}) {
        EXPECT_EQ(slot(k).DelaySetting, 250);
        EXPECT_EQ(slot(k).DelayInUse, 250);
        EXPECT_EQ(slot(k).RepeatSetting, 33);
        EXPECT_EQ(slot(k).RepeatInUse, 33);
    }
    // During a game after "Default Sensitivity", the copies differ: the settings only.
    DefaultSensitivityClick(table, true);
    HorzDelayChanged(table, 7);
    HorzRepeatChanged(table, 8);
    for (int k : {kaMoveLeft, kaMoveRight}) {
        EXPECT_EQ(slot(k).DelaySetting, 7);
        EXPECT_EQ(slot(k).DelayInUse, 250);
        EXPECT_EQ(slot(k).RepeatSetting, 8);
        EXPECT_EQ(slot(k).RepeatInUse, 33);
    }
}

TEST_F(KeyPageTest, TheFallBarFollowsFallFastersCopies) {
    DownRepeatChanged(table, 77);
    EXPECT_EQ(slot(kaFallFaster).RepeatSetting, 77);
    EXPECT_EQ(slot(kaFallFaster).RepeatInUse, 77);
    slot(kaFallFaster).RepeatInUse = 5;
    DownRepeatChanged(table, 60);
    EXPECT_EQ(slot(kaFallFaster).RepeatSetting, 60);
    EXPECT_EQ(slot(kaFallFaster).RepeatInUse, 5);
}

TEST_F(KeyPageTest, ShowingTheKeysPairsTheMoveKeysAndClampsTheBars) {
    slot(kaMoveLeft).DelaySetting = 9000;  // a hand-edited configuration
    slot(kaMoveLeft).RepeatSetting = -4;
    slot(kaFallFaster).RepeatSetting = 55;
    slot(kaMoveRight).DelaySetting = 1;
    const KeyPageBars bars = ShowKeysValues(table);
    EXPECT_EQ(bars.delay, DelayBarMax);
    EXPECT_EQ(bars.repeat, 1);
    EXPECT_EQ(bars.fall, 55);
    EXPECT_EQ(slot(kaMoveRight).DelaySetting, 9000);
    EXPECT_EQ(slot(kaMoveRight).RepeatSetting, -4);
}

}  // namespace
}  // namespace pk
