#include "room/zrviewslot.h"

#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "room/zrgamelink.h"
#include "support/fake_game_io.h"

namespace pk {
namespace {

class ViewedSlotTest : public testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A watcher: the own record sits in no slot; slots 2 and 4 play.
        own->slot = 0;
        SlotPlayers[1] = nullptr;
        ClientState.game.Spectating = 1;
        for (int slot : {2, 4}) SeatPlayer(*AddPlayer("p" + std::to_string(slot)), slot);
        ClientState.game.OwnSlot = 2;
    }
    void TearDown() override {
        SlotHooks = PlayerSlotHooks{};
        SetRoomHandler(0x21, nullptr);
        EngineTest::TearDown();
    }
};

TEST_F(ViewedSlotTest, RequestSendsTheSlotInDecimal) {
    RequestViewedSlot(4);
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], std::make_pair(uint8_t{0x21}, std::string("4")));
}

TEST_F(ViewedSlotTest, AnotherSlotBecomesTheBigFieldAndRefreshesEverything) {
    SetViewedSlot(4, "102022222", "10302044444", 7, 33);
    const tmegame& g = ClientState.game;
    EXPECT_EQ(g.OwnSlot, 4);
    EXPECT_EQ(g.NextPieceToken, "102022222");
    EXPECT_EQ(g.HoldToken, "10302044444");
    EXPECT_EQ(g.OwnLevel, 7);
    EXPECT_EQ(g.LinesCleared, 33);
    EXPECT_EQ(display.refreshes.back(), std::make_pair(0x40, 4));
    // The same slot again refreshes next piece, level, line count and hold piece.
    SetViewedSlot(4, "", "", 8, 34);
    EXPECT_EQ(display.refreshes.back(), std::make_pair(0x20E, 4));
    // A slot outside 1..6 changes nothing.
    SetViewedSlot(9, "x", "y", 1, 1);
    SetViewedSlot(0, "x", "y", 1, 1);
    EXPECT_EQ(g.OwnSlot, 4);
    EXPECT_EQ(g.OwnLevel, 8);
}

TEST_F(ViewedSlotTest, ServerMessageThroughTheRoomDispatcher) {
    InitRoomHandlers();
    // Tokens: slot, level, line count, next piece token, hold piece token.
    ASSERT_TRUE(CallRoomHandler(0x21,
                                "4\x02"
                                "5\x02"
                                "12\x02"
                                "104011111\x02"
                                "102022222"));
    const tmegame& g = ClientState.game;
    EXPECT_EQ(g.OwnSlot, 4);
    EXPECT_EQ(g.OwnLevel, 5);
    EXPECT_EQ(g.LinesCleared, 12);
    EXPECT_EQ(g.NextPieceToken, "104011111");
    EXPECT_EQ(g.HoldToken, "102022222");
    // Missing numbers count as 0; a bad slot is dropped with a log line.
    CallRoomHandler(0x21, "2");
    EXPECT_EQ(g.OwnSlot, 2);
    EXPECT_EQ(g.OwnLevel, 0);
    ClearClientLog();
    CallRoomHandler(0x21,
                    "seven\x02"
                    "1");
    CallRoomHandler(0x21, "");
    EXPECT_EQ(g.OwnSlot, 2);
    EXPECT_NE(ClientLog().find("Viewed slot message without a valid slot dropped"),
              std::string::npos);
}

TEST_F(ViewedSlotTest, APlayingClientKeepsItsOwnSlot) {
    ClientState.game.Spectating = 0;
    ClientState.game.OwnSlot = 1;
    ClearClientLog();
    RoomMsgViewedSlot(
        "4\x02"
        "5");
    EXPECT_EQ(ClientState.game.OwnSlot, 1);
    EXPECT_NE(ClientLog().find("Viewed slot message ignored while playing"), std::string::npos);
}

TEST_F(ViewedSlotTest, TheWatchedPlayerLeaving) {
    InstallViewedSlot();
    ClientState.game.NextPieceToken = "104011111";
    ClientState.game.HoldToken = "102022222";
    ClientState.game.OwnLevel = 6;
    RemovePlayer(SlotPlayers[2]);
    const tmegame& g = ClientState.game;
    EXPECT_EQ(g.OwnSlot, 2);
    EXPECT_TRUE(g.NextPieceToken.empty());
    EXPECT_TRUE(g.HoldToken.empty());
    EXPECT_EQ(g.OwnLevel, 6);
    EXPECT_EQ(display.refreshes.back(), std::make_pair(0x20E, 2));
}

}  // namespace
}  // namespace pk
