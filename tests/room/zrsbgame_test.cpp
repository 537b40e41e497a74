// The special blocks inside the engine: events from the server's messages run through the
// event queue, their result passes the queue's checksum check, and the timed effects follow
// the game records.
#include "room/zrsbgame.h"

#include <gtest/gtest.h>

#include "game/specials_env.h"
#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrkey.h"
#include "game/zrowngame.h"
#include "support/fake_game_io.h"
#include "support/room_fakes.h"

namespace pk {
namespace {

using testing::FieldFromRows;
using testing::PackBits;

class RecordingOutlets : public SpecialOutlets {
public:
    void SetTimedTimer(bool running) override { timer = running; }
    bool timer = false;
};

class SpecialGameTest : public testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        InstallSpecialBlocks();
        SetSpecialOutlets(&outlets);
        SetRoomHost(&room);
        for (int slot : {2, 3}) {
            tclient* c = AddPlayer(slot == 2 ? "Bob" : "Cy");
            c->slot = slot;
            SlotPlayers[static_cast<size_t>(slot)] = c;
            ResetPlayerField(*c);
        }
        ClientState.game.GameRunning = 1;
        ClientState.game.GameEventLog.clear();
        own->plr->field = FieldFromRows({"000000000003", "1111n1111110"});
    }
    void TearDown() override {
        SetSpecialOutlets(nullptr);
        SetRoomHost(nullptr);
        UninstallSpecialBlocks();
        EngineTest::TearDown();
    }
    // The event text of messages 0x15/0x16: the expected checksum, then the data.
    static std::string EventText(const std::string& expectedField, const std::string& data) {
        return std::to_string(FieldChecksum(expectedField)) + '\x02' + data;
    }

    RecordingOutlets outlets;
    test::RecordingRoomHost room;
};

TEST_F(SpecialGameTest, IncomingSpecialChangesTheOwnFieldAndPassesTheCheck) {
    const std::string expected = FieldFromRows({"000000000003"});
    QueueServerSpecial(MsgSpecialAtOwnField, "c", 2, EventText(expected, ""));
    EXPECT_EQ(own->plr->field, expected);
    EXPECT_TRUE(EventQueue.empty());
    EXPECT_EQ(ClientState.game.QueueBusy, 0);
    EXPECT_EQ(ClientState.game.RevengeSlot, 2);
    EXPECT_EQ(ClientState.game.AttackCount, 1);
    ASSERT_EQ(room.attack.size(), 2u);
    EXPECT_EQ(room.attack[1],
              "  to \x05"
              "03\x05"
              "01me\x05\x05 from \x05"
              "01Bob");
    // The incoming line reaches the in-game chat.
    ASSERT_EQ(room.game.size(), 1u);
    EXPECT_EQ(room.game[0].rfind("\x05"
                                 "01\x05"
                                 "11Incoming!",
                                 0),
              0u);
    ASSERT_EQ(ClientState.game.GameEventLog.size(), 1u);
    EXPECT_NE(ClientState.game.GameEventLog[0].find("Event: to me from Bob: Clear Line"),
              std::string::npos);
}

TEST_F(SpecialGameTest, AResultThatDiffersFromTheServersIsReported) {
    EXPECT_THROW(
        QueueServerSpecial(MsgSpecialAtOwnField, "n", 2, EventText(FieldFromRows({"1"}), "")),
        std::exception);
}

TEST_F(SpecialGameTest, GravityCollectsIntoTheInventoryInTheGeneratorsOrder) {
    Settings.rules.sbgcollect = 1;
    Settings.rules.invcap = 17;
    ClientState.game.Inventory = "ac";
    ClientState.game.SeedA = 12345;
    const std::string expected = EmptyField();
    QueueServerSpecial(MsgSpecialAtOwnField, "g", 3, EventText(expected, ""));
    EXPECT_EQ(own->plr->field, expected);
    // Seed 12345: the first draw of 0..2 is 1, so the 'n' goes before position 2.
    EXPECT_EQ(ClientState.game.Inventory, "anc");
}

TEST_F(SpecialGameTest, SpecialBetweenOtherPlayersFromTheRoomMessage) {
    SlotPlayers[2]->plr->field = FieldFromRows({"123451234512"});
    RoomMsgOtherSpecial(
        "n\x02"
        "3\x02"
        "2\x02");
    EXPECT_EQ(SlotPlayers[2]->plr->field, EmptyField());
    RoomMsgOtherSpecial(std::string("a\x02"
                                    "3\x02"
                                    "2\x02") +
                        "333333333333");
    EXPECT_EQ(SlotPlayers[2]->plr->field, FieldFromRows({"333333333333"}));
    // A special letter with bit data holding the separator byte keeps all of its data.
    // Rows 1-2 still, row 3 "left 0" (which makes the first byte 0x02), rows 4-21 still, row
    // 22 right by 1.
    std::vector<std::pair<uint32_t, int>> bits = {{0, 3}, {0, 3}, {1, 1}, {0, 2}};
    bits.insert(bits.end(), 18, {0, 3});
    bits.insert(bits.end(), {{0, 1}, {1, 2}});
    const std::string quake = PackBits(bits);
    ASSERT_EQ(quake[0], '\x02');
    RoomMsgOtherSpecial(
        "q\x02"
        "3\x02"
        "2\x02" +
        quake);
    EXPECT_EQ(SlotPlayers[2]->plr->field, FieldFromRows({"033333333333"}));
    EXPECT_EQ(ClientState.game.AttackCount, 3);
}

TEST_F(SpecialGameTest, RoomTimedSpecialBeforeTheListExists) {
    // The room dispatches message 0x11 whether or not the special blocks are installed.
    UninstallSpecialBlocks();
    ASSERT_EQ(TimedSpecials, nullptr);
    RoomMsgOtherSpecial(
        "d\x02"
        "3\x02"
        "2\x02"
        "start");
    ASSERT_NE(TimedSpecials, nullptr);
    EXPECT_TRUE(TimedSpecials->TimedActive(2, "d"));
}

TEST_F(SpecialGameTest, TimedEffectsFollowThePiecesAndTheRoom) {
    Settings.rules.sbicount = 1;
    Settings.rules.sbitimed = 0;
    QueueServerSpecial(MsgSpecialAtOwnField, "i", 2, EventText(own->plr->field, "start"));
    ASSERT_TRUE(TimedSpecials->TimedActive(1, "i"));
    EXPECT_EQ(display.sounds.back(), "newtimed");
    GameFx().TickPieceEffects();
    EXPECT_TRUE(TimedSpecials->TimedActive(1, "i"));
    // Run out by its count, it still protects until the server's end of it.
    GameFx().TickPieceEffects();
    EXPECT_TRUE(TimedSpecials->TimedActive(1, "i"));
    EXPECT_EQ(TimedSpecials->Entries()[0].limit, 0);
    QueueServerSpecial(MsgSpecialAtOwnField, "i", 2, EventText(own->plr->field, "end"));
    EXPECT_FALSE(TimedSpecials->TimedActive(1, "i"));

    Settings.rules.sbdcount = 10;
    Settings.rules.sbdtimed = 1;
    RoomMsgOtherSpecial(
        "d\x02"
        "1\x02"
        "3\x02start");
    EXPECT_TRUE(TimedSpecials->TimedActive(3, "d"));
    EXPECT_TRUE(outlets.timer);
    // A player who leaves takes the effect along; the timer stops with the last effect.
    RemovePlayer(SlotPlayers[3]);
    EXPECT_FALSE(TimedSpecials->TimedActive(3, "d"));
    EXPECT_FALSE(outlets.timer);
}

TEST_F(SpecialGameTest, ConfusionLastsUntilTheServerEndsIt) {
    Settings.rules.sbfcount = 2;
    Settings.rules.sbftimed = 1;
    ResetKeyTable(krEverything);
    QueueServerSpecial(MsgSpecialAtOwnField, "f", 2, EventText(own->plr->field, "start"));
    // The four keys now differ from their settings; the first three never keep their own.
    int moved = 0;
    for (int action : ConfusableActions) {
        const TKeySlotRec& slot = KeyTable()[static_cast<size_t>(action)];
        moved += slot.KeyInUse != slot.KeySetting;
    }
    EXPECT_GE(moved, 3);
    const std::vector<TKeySlotRec> confused(KeyTable().begin(), KeyTable().end());
    // Run out on the timer, it stays in force with the keys still confused.
    clock.ms += 3000;
    TimedSpecialsTimer();
    ASSERT_TRUE(TimedSpecials->TimedActive(1, "f"));
    EXPECT_EQ(TimedSpecials->Entries()[0].repeat, 0);
    for (size_t i = 0; i < confused.size(); ++i)
        EXPECT_EQ(KeyTable()[i].KeyInUse, confused[i].KeyInUse) << i;
    // The server's end gives the keys back.
    QueueServerSpecial(MsgSpecialAtOwnField, "f", 2, EventText(own->plr->field, "end"));
    EXPECT_FALSE(TimedSpecials->TimedActive(1, "f"));
    for (int action : ConfusableActions) {
        const TKeySlotRec& slot = KeyTable()[static_cast<size_t>(action)];
        EXPECT_EQ(slot.KeyInUse, slot.KeySetting);
    }
}

TEST_F(SpecialGameTest, ImmunePlayersAreSparedByTheKeyActions) {
    ClientState.game.Inventory = "aaa";
    RoomMsgOtherSpecial(
        "i\x02"
        "3\x02"
        "2\x02start");
    UseSpecial(2);
    EXPECT_EQ(ClientState.game.Inventory, "aaa");
    EXPECT_TRUE(sender.sent.empty());
    // The own immunity allows self-use only with the rule on.
    QueueServerSpecial(MsgSpecialAtOwnField, "i", 2, EventText(own->plr->field, "start"));
    UseSpecial(1);
    EXPECT_EQ(ClientState.game.Inventory, "aaa");
    Settings.rules.sbiself = 1;
    UseSpecial(1);
    EXPECT_EQ(ClientState.game.Inventory, "aa");
    RoomMsgOtherSpecial(
        "i\x02"
        "3\x02"
        "2\x02"
        "end");
    UseSpecial(2);
    EXPECT_EQ(ClientState.game.Inventory, "a");
    EXPECT_EQ(sender.sent.size(), 2u);
}

TEST_F(SpecialGameTest, RulesInForceComeFromTheGameSet) {
    Settings.rules.sbnlines = 4;
    Settings.rules.sbosize = 2;
    Settings.rules.deadsb = 0;
    Settings.rules.sbmstack = 1;
    const SpecialRules r = RulesInForce();
    EXPECT_EQ(r.sbnlines, 4);
    EXPECT_EQ(r.sbosize, 2);
    EXPECT_FALSE(r.deadsb);
    EXPECT_TRUE(r.sbmstack);
}

}  // namespace
}  // namespace pk
