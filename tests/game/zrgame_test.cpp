#include "game/zrgame.h"

#include <gtest/gtest.h>

#include "game/zrfield.h"
#include "support/fake_game_io.h"

namespace pk {
namespace {

class SlotTest : public testing::EngineTest {};

std::vector<int> removedTimed;
int nextTargetCalls = 0;

TEST_F(SlotTest, AddPlayerReusesTheFirstHole) {
    tclient* a = AddPlayer("Anna");
    tclient* b = AddPlayer("bert");
    AddPlayer("Cid");
    ASSERT_EQ(Players.size(), 4u);  // "me" first
    RemovePlayer(a);
    EXPECT_EQ(Players[1], nullptr);
    tclient* d = AddPlayer("Dora");
    EXPECT_EQ(Players[1].get(), d);  // not the order of arrival
    EXPECT_EQ(FindPlayer("BERT"), b);
    EXPECT_EQ(FindPlayer("anna"), nullptr);
    EXPECT_EQ(d->slot, 0);
    EXPECT_EQ(d->plr, nullptr);
}

// A field state given back by a player who left is used again for the next
// player seated, who must still find it as new.
TEST_F(SlotTest, ASeatedPlayerGetsAFreshFieldStateAlsoWhenOneIsReused) {
    tclient* a = AddPlayer("Anna");
    SeatPlayer(*a, 2);
    tplr& used = *a->plr;
    used.field[5] = '3';
    used.CellLayerGrid[7][3].b[2] = 9;
    used.ReadyFlag = 1;
    used.SlotValue = 42;
    used.PlayerState = psLost;
    const tplr* address = a->plr.get();
    RemovePlayer(a);

    tclient* b = AddPlayer("Bert");
    SeatPlayer(*b, 3);
    ASSERT_NE(b->plr, nullptr);
    EXPECT_EQ(b->plr.get(), address);  // the same record, reused
    EXPECT_EQ(b->plr->field, EmptyField());
    EXPECT_EQ(b->plr->CellLayerGrid[7][3].b[2], 0);
    EXPECT_EQ(b->plr->ReadyFlag, 0);
    EXPECT_EQ(b->plr->SlotValue, 0);
    EXPECT_EQ(b->plr->PlayerState, psPlaying);
}

TEST_F(SlotTest, InitPlayerSlotsLeavesNoPointerToAFreedPlayer) {
    ASSERT_EQ(ClientState.game.OwnPlayer, own);
    InitPlayerSlots();
    EXPECT_TRUE(Players.empty());
    EXPECT_EQ(SlotPlayers[1], nullptr);
    EXPECT_EQ(ClientState.game.OwnPlayer, nullptr);
}

TEST_F(SlotTest, SlotCountsAndRemovalFromASlot) {
    EXPECT_EQ(PlayerCount(), 1);
    EXPECT_EQ(FirstFreeSlot(), 2);
    for (int s = 2; s <= 6; ++s) {
        tclient* c = AddPlayer("p" + std::to_string(s));
        c->slot = s;
        SlotPlayers[static_cast<size_t>(s)] = c;
        ResetPlayerField(*c);
    }
    EXPECT_EQ(PlayerCount(), 6);
    EXPECT_EQ(FirstFreeSlot(), 0);

    removedTimed.clear();
    nextTargetCalls = 0;
    SlotHooks.RemoveSlotTimed = [](int slot) { removedTimed.push_back(slot); };
    SlotHooks.NextTarget = [] { ++nextTargetCalls; };
    ClientState.game.TargetSlot = 4;
    RemovePlayer(SlotPlayers[4]);
    SlotHooks = PlayerSlotHooks{};
    EXPECT_EQ(SlotPlayers[4], nullptr);
    EXPECT_EQ(FirstFreeSlot(), 4);
    EXPECT_EQ(removedTimed, std::vector<int>{4});
    EXPECT_EQ(nextTargetCalls, 1);
    ASSERT_FALSE(display.refreshes.empty());
    EXPECT_EQ(display.refreshes.back(), std::make_pair(rfSlotElements, 4));
}

TEST_F(SlotTest, ResetPlayerFieldUsesTheCurrentGeometry) {
    FieldWidth = 10;
    FieldHeight = 20;
    own->plr->PlayerState = psLost;
    own->plr->ReadyFlag = 1;
    own->plr->CellLayerGrid[3][4].b[2] = 9;
    ResetPlayerField(*own);
    EXPECT_EQ(own->plr->field, std::string(200, '0'));
    EXPECT_EQ(own->plr->PlayerState, psPlaying);
    EXPECT_EQ(own->plr->ReadyFlag, 0);
    EXPECT_EQ(own->plr->CellLayerGrid[3][4].b[2], 0);
}

TEST_F(SlotTest, ResetRoundKeepsWhatOutlivesARound) {
    tmegame& g = ClientState.game;
    g.Spectating = 0;
    g.GameRunning = 1;
    g.OwnSlot = 3;
    g.TargetSlot = 2;
    g.AttackCount = 7;
    g.Inventory = "abc";
    g.PieceX = 5;
    g.OwnLevel = 9;
    g.HoldToken = "102022222";
    g.SeedA = 77;
    g.QueueBusy = 1;
    GameTiming.NextFallTime = 1234;
    GameTiming.PieceActive = 1;
    GameTiming.LockPending = 1;
    GameTiming.PieceDelayStart = 99;
    ResetRound();
    EXPECT_EQ(g.PieceX, -1);
    EXPECT_EQ(g.OwnLevel, 1);
    EXPECT_EQ(g.HoldToken, "");
    EXPECT_EQ(g.SeedA, 0);
    EXPECT_EQ(g.QueueBusy, 0);
    EXPECT_EQ(GameTiming.NextFallTime.load(), 0);
    // No piece is left falling, locking or waiting for its delay.
    EXPECT_EQ(GameTiming.PieceActive.load(), 0);
    EXPECT_EQ(GameTiming.LockPending.load(), 0);
    EXPECT_EQ(GameTiming.PieceDelayStart.load(), 0);
    EXPECT_EQ(g.Inventory, "abc");
    EXPECT_EQ(g.AttackCount, 7);
    EXPECT_EQ(g.TargetSlot, 2);
    EXPECT_EQ(g.OwnSlot, 3);
    EXPECT_EQ(g.GameRunning, 1);
    ResetGame();
    EXPECT_EQ(g.Inventory, "");
    EXPECT_EQ(g.OwnSlot, 1);
    EXPECT_EQ(g.Spectating, 1);
    EXPECT_EQ(g.OwnPlayer, nullptr);
    EXPECT_EQ(g.ShadowPlace, (std::array<int32_t, 4>{-1, -1, -1, -1}));
}

}  // namespace
}  // namespace pk
