#include "room/zrroomevents.h"

#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "game/zrgame.h"
#include "support/fake_game_io.h"
#include "support/room_fakes.h"

namespace pk {
namespace {

using test::kSc;
using test::Sc;

class RoomEventsTest : public ::testing::Test {
protected:
    test::RecordingRoomHost host;
    testing::RecordingSender sender;
    testing::RecordingDisplay display;
    testing::ManualClock clock;

    void SetUp() override {
        SetRoomHost(&host);
        SetGameSender(&sender);
        SetGameView(&display);
        SetGameClock(&clock);
        clock.ms = 1000000;
        Clean();
    }
    void TearDown() override {
        Clean();
        SetRoomHost(nullptr);
        SetGameSender(nullptr);
        SetGameView(nullptr);
        SetGameClock(nullptr);
    }
    static void Clean() {
        RemoveAllPlayers();
        Players.clear();
        SlotPlayers.fill(nullptr);
        ResetGame();
        Settings = tsettingsarray{};
        ClientState.game.GameEventLog.clear();
        ClientState.game.GamesPlayed = 0;
        ClientState.game.GameLinkState = LinkInRoom;
    }
    tclient* Seat(const std::string& name, int slot, const std::string& team = "") {
        tclient* c = AddPlayer(name);
        c->TeamName = team;
        SeatPlayer(*c, slot);
        return c;
    }
    tclient* SeatOwn(const std::string& name, int slot, const std::string& team = "") {
        tclient* c = Seat(name, slot, team);
        ClientState.game.OwnPlayer = c;
        ClientState.game.OwnSlot = slot > 0 ? slot : 1;
        ClientState.game.Spectating = slot > 0 ? 0 : 1;
        return c;
    }
    static bool AllColours(const std::string& field) {
        if (field.size() != static_cast<size_t>(FieldWidth * FieldHeight))
            return false;
        for (char c : field)
            if (c < '1' || c > '5')
                return false;
        return true;
    }
};

std::string Nibbles(const std::vector<int>& values) {
    std::string bits;
    for (size_t i = 0; i < values.size(); i += 2) {
        int hi = values[i], lo = i + 1 < values.size() ? values[i + 1] : 0;
        bits += static_cast<char>((hi << 4) | lo);
    }
    return bits;
}

TEST(StackField, FillsTheBottomRowsFromFourBitValues) {
    std::vector<int> v(24);
    for (int i = 0; i < 24; ++i) v[i] = i % 6;
    std::string field = StackField(Nibbles(v), 2);
    ASSERT_EQ(field.size(), 264u);
    EXPECT_EQ(field.substr(0, 240), std::string(240, '0'));
    EXPECT_EQ(field.substr(240), "012345012345012345012345");
}

TEST(StackField, StaysExactlyOneFieldForBadInput) {
    // Values above 9 have no cell and stay empty
    std::string field = StackField(Nibbles({10, 15, 9, 1}), 1);
    ASSERT_EQ(field.size(), 264u);
    EXPECT_EQ(field.substr(252, 4), "0091");
    // More rows than the field has: a full field, no longer
    field = StackField(std::string(200, '\x11'), 30);
    EXPECT_EQ(field, std::string(264, '1'));
    // Data that ends early leaves the rest empty; negative rows give an empty field
    EXPECT_EQ(StackField("\x12", 1).substr(252), "120000000000");
    EXPECT_EQ(StackField("\x12", -3), std::string(264, '0'));
}

TEST(StackField, FilledOverAnOldFieldGivesTheSameField) {
    // The own field is filled in place at a game start: what it held before must not show.
    const std::string data = Nibbles({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 9, 8, 7, 6});
    for (int rows : {-1, 0, 1, 2, 22, 40}) {
        for (const std::string& old :
             {std::string(), std::string(264, '5'), std::string(400, 'x')}) {
            std::string field = old;
            FillStackField(field, data, rows);
            EXPECT_EQ(field, StackField(data, rows)) << rows << " over " << old.size();
        }
    }
}

TEST_F(RoomEventsTest, StartGameWithAStackForThePlayer) {
    tclient* me = SeatOwn("Me", 2);
    Seat("Bob", 5);
    Settings.rules.stacks[2] = 1;
    Settings.rules.lvlstart = 7;
    Settings.rules.avglvl = 1;
    me->plr->field = std::string(264, '3');
    // count 2, two piece tokens, seeds, then the raw stack bits (one 0x02 byte among them)
    std::vector<int> stack{1, 2, 0, 2, 5, 5, 0, 0, 3, 3, 4, 4};
    RoomMsgStartGame(
        "2\x02"
        "102022222\x02"
        "104011111\x02"
        "77\x02"
        "-5\x02" +
        Nibbles(stack));

    tmegame& g = ClientState.game;
    EXPECT_EQ(g.PendingLimit, 2);
    EXPECT_EQ(g.UpcomingPieces,
              "102022222\x02"
              "104011111");
    EXPECT_EQ(g.CurrentPiece, "02022222");
    EXPECT_EQ(g.SeedA, 77);
    EXPECT_EQ(g.SeedB, -5);
    EXPECT_EQ(g.OwnLevel, 7);
    EXPECT_EQ(g.AverageLevel, 7);
    EXPECT_EQ(g.TargetSlot, 2);
    EXPECT_EQ(g.GameRunning, 1);
    EXPECT_EQ(me->plr->field, std::string(252, '0') + "120255003344");
    EXPECT_EQ(SlotPlayers[5]->plr->field, std::string(264, '0'));
    EXPECT_EQ(host.room,
              (std::vector<std::string>{Sc("19") + "*** The game has " + Sc("01") + "Started"}));
    EXPECT_TRUE(host.Called("SetGameChatText Press \"" + Sc("01") + "T" + kSc +
                            "\" to talk to other players"));
    EXPECT_TRUE(host.Called("SetGameEndTimer 1"));
    EXPECT_TRUE(host.Called("SetUIState 3 1"));
    EXPECT_TRUE(host.Called("SetLobbyTimerInterval 1000"));
    EXPECT_FALSE(host.Called("SetViewedSlot 2"));
    EXPECT_EQ(display.sounds, (std::vector<std::string>{"start"}));
    EXPECT_EQ(g.GameEventLog, (std::vector<std::string>{DateStamp() + " Game started"}));
    EXPECT_EQ(g.GameTimeBase, 1000);
    EXPECT_NE(ClientLog().find("START GAME"), std::string::npos);
}

TEST_F(RoomEventsTest, StartGameWhileWatchingLeavesTheOwnStateAlone) {
    SeatOwn("Me", 0);
    Seat("Bob", 1);
    SlotPlayers[1]->plr->field = std::string(264, '2');
    RoomMsgStartGame(
        "1\x02"
        "102022222\x02"
        "1\x02"
        "2");
    EXPECT_EQ(ClientState.game.UpcomingPieces, "");
    EXPECT_EQ(ClientState.game.TargetSlot, 0);
    EXPECT_EQ(SlotPlayers[1]->plr->field, std::string(264, '0'));
    EXPECT_TRUE(host.Called("SetViewedSlot 1"));
    EXPECT_EQ(ClientState.game.GameRunning, 1);
}

TEST_F(RoomEventsTest, StartGameWithAShortMessage) {
    SeatOwn("Me", 1);
    // Announces five tokens, sends one, no seeds: the list stops at the end of the data
    RoomMsgStartGame(
        "5\x02"
        "102022222");
    EXPECT_EQ(ClientState.game.PendingLimit, 5);
    EXPECT_EQ(ClientState.game.UpcomingPieces, "102022222");
    EXPECT_EQ(ClientState.game.SeedA, 0);
    EXPECT_EQ(SlotPlayers[1]->plr->field.size(), 264u);
    // The largest count there is still stops at the data
    RoomMsgStartGame(
        "2147483647\x02"
        "104011111\x02"
        "9");
    EXPECT_EQ(ClientState.game.UpcomingPieces,
              "104011111\x02"
              "9");
}

TEST_F(RoomEventsTest, PauseAndUnpauseOnlyChangeTheOtherState) {
    SeatOwn("Me", 1);
    startgame("", 0, 0, "");
    host.room.clear();
    clock.ms = 1010000;
    UnpauseGame();  // running: nothing
    RoomMsgPause("1");
    clock.ms = 1020000;
    RoomMsgPause("1");  // paused already: nothing
    EXPECT_EQ(ClientState.game.PauseStart, 1010);
    clock.ms = 1050000;
    RoomMsgPause("0");
    EXPECT_EQ(ClientState.game.GamePaused, 0);
    EXPECT_EQ(ClientState.game.GameTimeBase, 1040);  // 40 paused seconds moved the start
    EXPECT_EQ(host.room, (std::vector<std::string>{
                             Sc("19") + "*** The game is " + Sc("01") + "Paused" + Sc("01"),
                             Sc("19") + "*** The game is " + Sc("01") + "Unpaused" + Sc("01")}));
}

TEST_F(RoomEventsTest, EndDuringAPauseCountsUpToThePause) {
    SeatOwn("Me", 1);
    startgame("", 0, 0, "");
    clock.ms = 1030000;
    PauseGame();
    clock.ms = 1100000;
    endgame("");
    EXPECT_EQ(ClientState.game.GameTimeBase, 30);
    EXPECT_EQ(ClientState.game.GamePaused, 0);
    EXPECT_EQ(ClientState.game.GameRunning, 0);
    EXPECT_EQ(ClientState.game.GamesPlayed, 1);
    EXPECT_EQ(host.room.back(), Sc("19") + "*** The game has " + Sc("01") + "Ended");
    EXPECT_TRUE(host.Called("SetMainCaption Pelkorin v2.00.136 (NO SERVER INCLUDED) - me"));
}

TEST_F(RoomEventsTest, TeamWinMarksTheTeamInAnyCase) {
    SeatOwn("Me", 1, "reds");
    Seat("Bob", 2, "REDS");
    Seat("Cid", 3, "blues");
    startgame("", 0, 0, "");
    host.room.clear();
    RoomMsgEndGame("tReds");
    EXPECT_EQ(host.room.back(),
              Sc("14") + "*** Team " + Sc("01") + Sc("03") + "Reds" + kSc + kSc + " has WON!");
    EXPECT_EQ(SlotPlayers[1]->plr->PlayerState, psTeamWon);
    EXPECT_EQ(SlotPlayers[2]->plr->PlayerState, psTeamWon);
    EXPECT_EQ(SlotPlayers[3]->plr->PlayerState, psLost);
    EXPECT_EQ(display.sounds.back(), "won");
}

TEST_F(RoomEventsTest, PlayerWinBySlot) {
    SeatOwn("Me", 1);
    Seat("Bob", 4);
    startgame("", 0, 0, "");
    RoomMsgEndGame("4");
    EXPECT_EQ(host.room.back(),
              Sc("14") + "*** Player " + Sc("01") + Sc("03") + "Bob" + kSc + kSc + " has WON!");
    EXPECT_EQ(SlotPlayers[4]->plr->PlayerState, psWon);
    EXPECT_EQ(SlotPlayers[1]->plr->PlayerState, psLost);
    EXPECT_NE(display.sounds.back(), "won");
}

TEST_F(RoomEventsTest, WinnerSlotThatNamesNobodyStillEndsTheGame) {
    SeatOwn("Me", 1);
    startgame("", 0, 0, "");
    host.room.clear();
    for (const char* winner : {"5", "9", "x"}) {
        ClientState.game.GameRunning = 1;
        RoomMsgEndGame(winner);
        EXPECT_EQ(ClientState.game.GameRunning, 0);
    }
    EXPECT_EQ(host.room,
              std::vector<std::string>(3, Sc("19") + "*** The game has " + Sc("01") + "Ended"));
    EXPECT_EQ(SlotPlayers[1]->plr->PlayerState, psLost);
}

TEST_F(RoomEventsTest, JoiningARunningGameAsAPlayerLosesAtOnce) {
    tclient* me = SeatOwn("Me", 3);
    RoomMsgInGame("65");
    EXPECT_EQ(ClientState.game.GameRunning, 1);
    EXPECT_EQ(ClientState.game.GameTimeBase, 1000 - 65);
    EXPECT_EQ(me->plr->PlayerState, psLost);
    EXPECT_TRUE(AllColours(me->plr->field));
    EXPECT_EQ(display.sounds, (std::vector<std::string>{"lost"}));
    EXPECT_EQ(host.room,
              (std::vector<std::string>{Sc("19") + "*** The game is in " + Sc("01") + "Progress"}));
    EXPECT_EQ(ClientState.game.GameEventLog,
              (std::vector<std::string>{DateStamp() + " Game in progress"}));
}

TEST_F(RoomEventsTest, JoiningARunningGameAsAWatcherDoesNotLose) {
    SeatOwn("Me", 0);
    RoomMsgInGame("10");
    EXPECT_TRUE(display.sounds.empty());
    RoomMsgPlayerLost("");  // a watcher has nothing to lose
    EXPECT_TRUE(display.sounds.empty());
}

TEST_F(RoomEventsTest, ElapsedTimesFromTheServerAreBounded) {
    SeatOwn("Me", 0);
    RoomMsgInGame("-50");  // a start in the future counts from now
    EXPECT_EQ(ClientState.game.GameTimeBase, 1000);
    RoomMsgInGame("-2147483648");
    EXPECT_EQ(ClientState.game.GameTimeBase, 1000);
    RoomMsgInGame("2147483647");
    endgame("");  // the length saturates instead of wrapping round
    EXPECT_EQ(ClientState.game.GameTimeBase, 2147483647);
}

TEST_F(RoomEventsTest, OwnLossKeepsTheTargetOnlyWithSpecialsForTheDead) {
    SeatOwn("Me", 1);
    Seat("Bob", 2);
    ClientState.game.TargetSlot = 2;
    Settings.rules.deadsb = 1;
    RoomMsgPlayerLost("");
    EXPECT_EQ(ClientState.game.TargetSlot, 2);
    ClientState.game.TargetSlot = 1;
    RoomMsgPlayerLost("");
    EXPECT_TRUE(host.Called("NextTarget"));
    Settings.rules.deadsb = 0;
    RoomMsgPlayerLost("");
    EXPECT_EQ(ClientState.game.TargetSlot, 0);
    EXPECT_EQ(ClientState.game.GameEventLog.back(), TimeStamp() + "Lost: Me");
}

TEST_F(RoomEventsTest, PlayerOutOfAnotherSlot) {
    SeatOwn("Me", 1);
    Seat("Bob", 2);
    ClientState.game.TargetSlot = 2;
    RoomMsgPlayerOut("2");
    EXPECT_EQ(SlotPlayers[2]->plr->PlayerState, psLost);
    EXPECT_TRUE(AllColours(SlotPlayers[2]->plr->field));
    EXPECT_TRUE(host.Called("NextTarget"));
    EXPECT_TRUE(host.Called("RemoveSlotTimed 2"));
    EXPECT_EQ(display.refreshes.back(), (std::pair<int, int>{rfSlotElements, 2}));
    EXPECT_EQ(ClientState.game.GameEventLog.back(), TimeStamp() + "Lost: Bob");
    host.calls.clear();
    RoomMsgPlayerOut("4");  // empty slot
    RoomMsgPlayerOut("0");
    RoomMsgPlayerOut("77");
    RoomMsgPlayerOut("");
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(RoomEventsTest, MovesBetweenSlotsAndWatchers) {
    tclient* me = SeatOwn("Me", 1);
    Seat("Bob", 2);
    tclient* cid = Seat("Cid", 0);
    tmegame& g = ClientState.game;

    RoomMsgMoveSlot(
        "me\x02"
        "4");  // own player to a free slot
    EXPECT_EQ(g.OwnSlot, 4);
    EXPECT_EQ(SlotPlayers[4], me);
    EXPECT_EQ(SlotPlayers[1], nullptr);
    RoomMsgMoveSlot(
        "Bob\x02"
        "4");  // swap with the own player
    EXPECT_EQ(g.OwnSlot, 2);
    EXPECT_EQ(SlotPlayers[2], me);
    EXPECT_EQ(SlotPlayers[4]->name, "Bob");
    RoomMsgMoveSlot(
        "Cid\x02"
        "5");  // watcher to a free slot
    EXPECT_EQ(SlotPlayers[5], cid);
    ASSERT_TRUE(cid->plr);
    EXPECT_EQ(cid->plr->field, std::string(264, '0'));
    RoomMsgMoveSlot(
        "Cid\x02"
        "0");  // player to the watchers
    EXPECT_EQ(cid->slot, 0);
    EXPECT_FALSE(cid->plr);
    EXPECT_EQ(SlotPlayers[5], nullptr);
    RoomMsgMoveSlot(
        "Cid\x02"
        "2");  // watcher takes the own player's slot
    EXPECT_EQ(SlotPlayers[2], cid);
    EXPECT_EQ(me->slot, 0);
    EXPECT_FALSE(me->plr);
    EXPECT_EQ(g.Spectating, 1);

    const std::string lead = Sc("12") + "*** " + Sc("01");
    EXPECT_EQ(host.room, (std::vector<std::string>{
                             lead + "Me" + kSc + " has moved to slot " + Sc("01") + "#4",
                             lead + "Bob" + kSc + " has switched slots with " + Sc("01") + "Me",
                             lead + "Cid" + kSc + " has moved to slot " + Sc("01") + "#5" + kSc +
                                 " and is now playing",
                             lead + "Cid" + kSc + " is now a spectator",
                             lead + "Cid" + kSc + " has switched slots with " + Sc("01") + "Me" +
                                 kSc + " and is now playing"}));
}

TEST_F(RoomEventsTest, OwnMoveToTheWatchersResetsTheRound) {
    tclient* me = SeatOwn("Me", 3);
    ClientState.game.UpcomingPieces = "102022222";
    ClientState.game.PieceX = 5;
    RoomMsgMoveSlot(
        "Me\x02"
        "0");
    EXPECT_EQ(ClientState.game.Spectating, 1);
    EXPECT_EQ(ClientState.game.UpcomingPieces, "");
    EXPECT_EQ(ClientState.game.PieceX, -1);
    EXPECT_EQ(me->slot, 0);
    EXPECT_EQ(SlotPlayers[3], nullptr);
    // and back in
    RoomMsgMoveSlot(
        "Me\x02"
        "6");
    EXPECT_EQ(ClientState.game.Spectating, 0);
    EXPECT_EQ(ClientState.game.OwnSlot, 6);
}

TEST_F(RoomEventsTest, MovesNamingNobodyOrNowhereAreIgnored) {
    Seat("Bob", 2);
    RoomMsgMoveSlot(
        "Nobody\x02"
        "3");
    RoomMsgMoveSlot(
        "Bob\x02"
        "7");
    RoomMsgMoveSlot(
        "Bob\x02"
        "-1");
    RoomMsgMoveSlot(
        "Bob\x02"
        "x");
    RoomMsgMoveSlot(
        "Bob\x02"
        "2");
    EXPECT_TRUE(host.room.empty());
    EXPECT_EQ(SlotPlayers[2]->name, "Bob");
}

TEST_F(RoomEventsTest, SlotValuesInSlotOrderLittleEndian) {
    Seat("A", 1);
    Seat("B", 3);
    Seat("C", 6);
    SetSlotValues(std::string("\x01\x00\x00\x00\xFF\xFF\xFF\xFF\x10\x20", 10));
    EXPECT_EQ(SlotPlayers[1]->plr->SlotValue, 1);
    EXPECT_EQ(SlotPlayers[3]->plr->SlotValue, -1);
    EXPECT_EQ(SlotPlayers[6]->plr->SlotValue, 0);  // the data ran out
    EXPECT_EQ(host.calls, (std::vector<std::string>{"RedrawSlot 1", "RedrawSlot 3"}));
}

TEST_F(RoomEventsTest, OwnTeamIsSentAndAnnounced) {
    SeatOwn("Me", 2);
    SetOwnTeam("Reds");
    SetOwnTeam("");
    EXPECT_EQ(sender.sent,
              (std::vector<std::pair<uint8_t, std::string>>{{0x0e, "Reds"}, {0x0e, ""}}));
    EXPECT_EQ(host.room, (std::vector<std::string>{
                             Sc("11") + "*** " + Sc("01") + "Me" + kSc + " is now on team " +
                                 Sc("01") + "Reds",
                             Sc("11") + "*** " + Sc("01") + "Me" + kSc + " is now alone"}));
    EXPECT_TRUE(host.Called("RedrawSlot 2"));
}

}  // namespace
}  // namespace pk

namespace pk {
namespace {

TEST(RoomHostDefaults, WithoutAHostTheGameUnitsStillRun) {
    SetRoomHost(nullptr);
    for (const char* name : {"Bob", "Cid"}) {
        tclient* c = AddPlayer(name);
        c->slot = name[0] == 'B' ? 2 : 3;
        ResetPlayerField(*c);
        SlotPlayers[c->slot] = c;
    }
    ClientState.game.TargetSlot = 2;
    PlayerOut(2);  // the target is out: the key unit picks the next one
    EXPECT_EQ(ClientState.game.TargetSlot, 3);
    RemoveAllPlayers();
    Players.clear();
    ResetGame();
}

}  // namespace
}  // namespace pk
