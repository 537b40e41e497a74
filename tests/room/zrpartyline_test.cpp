// The room window's logic: chat lines, list rows, ready marks (message 0x05, byte for byte), the
// list's clicks, the team button, the tray hint, the moderation menu with the exact bytes of its
// requests, and the statistics handler.
#include "room/zrpartyline.h"

#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "core/zrxsettings.h"
#include "room/zrgamelink.h"
#include "room/zrgextras.h"
#include "support/fake_game_io.h"
#include "support/room_fakes.h"

namespace pk {
namespace {

using test::Sc;

class RecordingView : public RoomWindowView {
public:
    void AddChatLine(const std::string& line) override { chat.push_back(line); }
    void ShowStats(const TStatsPanel& p, bool o) override {
        panel = p;
        opened = o;
        ++shown;
    }
    void GetConfig(RoomWindowConfig& c) override { c.gstatsw = widths; }
    std::vector<std::string> chat;
    TStatsPanel panel;
    bool opened = false;
    int shown = 0;
    std::string widths;
};

class PartylineTest : public testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        SetRoomHost(&room);
        SetRoomView(&view);
        InitRoomHandlers();
    }
    void TearDown() override {
        SetRoomView(nullptr);
        SetRoomHost(nullptr);
        EngineTest::TearDown();
    }
    tclient* Seat(const std::string& name, int slot) {
        tclient* c = AddPlayer(name);
        SeatPlayer(*c, slot);
        return c;
    }
    test::RecordingRoomHost room;
    RecordingView view;
};

TEST_F(PartylineTest, ChatLinesWithAndWithoutStamps) {
    EXPECT_EQ(PartylineText(Sc("12") + "hi", false, "[10:00:00] "), Sc("12") + "hi");
    EXPECT_EQ(PartylineText(Sc("12") + "hi", true, "[10:00:00] "),
              Sc("17") + "[10:00:00] \x05" + Sc("12") + "hi");
    PartylineAddLine("plain");
    Settings.options.chatts = 1;
    PartylineAddLine("stamped");
    ASSERT_EQ(view.chat.size(), 2u);
    EXPECT_EQ(view.chat[0], "plain");
    EXPECT_EQ(view.chat[1].substr(0, 4), Sc("17") + "[");
    EXPECT_EQ(view.chat[1].substr(view.chat[1].size() - 10), "] \x05stamped");
}

TEST_F(PartylineTest, RowsSlotsHeaderSpectators) {
    auto rows = UserListRows();
    ASSERT_EQ(rows.size(), 7u);  // the header even without spectators
    EXPECT_EQ(rows[0].player, own);
    EXPECT_EQ(rows[1].player, nullptr);
    EXPECT_EQ(rows[6].kind, RoomRowKind::Header);
    tclient* w1 = Seat("w1", 0);
    tclient* bob = Seat("bob", 4);
    tclient* w2 = Seat("w2", 0);
    rows = UserListRows();
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[3].player, bob);
    EXPECT_EQ(rows[7].player, w1);
    EXPECT_EQ(rows[8].player, w2);
    EXPECT_EQ(rows[8].kind, RoomRowKind::Spectator);
}

TEST_F(PartylineTest, ReadyFlagsOneBitPerSeatedSlot) {
    tclient* bob = Seat("bob", 3);
    tclient* carol = Seat("carol", 5);
    Seat("watcher", 0);
    // 0x05 payload: bits MSB first for slots 1, 3, 5 (open slots take no bit): 1 0 1.
    ASSERT_TRUE(CallRoomHandler(0x05, "\xa0"));
    EXPECT_TRUE(PlayerReady(*own));
    EXPECT_FALSE(PlayerReady(*bob));
    EXPECT_TRUE(PlayerReady(*carol));
    EXPECT_TRUE(GameHost().OwnPlayerReady());
    EXPECT_TRUE(room.Called("RepaintUserList"));
    // 0 1 1
    ASSERT_TRUE(CallRoomHandler(0x05, "\x60"));
    EXPECT_FALSE(PlayerReady(*own));
    EXPECT_TRUE(PlayerReady(*bob));
    // A short payload: the missing bits are 0. (Only slot 1's bit is present.)
    CallRoomHandler(0x05, std::string());
    EXPECT_FALSE(PlayerReady(*bob));
    EXPECT_FALSE(PlayerReady(*carol));
    CallRoomHandler(0x05, "\xff\xff\xff");
    GameHost().ClearReadyFlags();
    EXPECT_FALSE(PlayerReady(*own) || PlayerReady(*bob) || PlayerReady(*carol));
}

TEST_F(PartylineTest, ClicksOnTheOwnRow) {
    // Start vote off: the mark's place toggles nothing.
    EXPECT_FALSE(OwnRowClick(20, 200, 40, true).toggleReady);
    Settings.rules.startvote = 1;
    EXPECT_TRUE(OwnRowClick(20, 200, 40, true).toggleReady);
    EXPECT_FALSE(OwnRowClick(16, 200, 40, true).toggleReady);
    EXPECT_FALSE(OwnRowClick(35, 200, 40, true).toggleReady);
    EXPECT_FALSE(OwnRowClick(20, 200, 40, false).toggleReady);  // right button

    // Moving only with allowmove, on the button, and not while in play.
    EXPECT_FALSE(OwnRowClick(170, 200, 40, true).move);
    Settings.rules.allowmove = 1;
    EXPECT_TRUE(OwnRowClick(170, 200, 40, true).move);
    EXPECT_FALSE(OwnRowClick(159, 200, 40, true).move);
    ClientState.game.GameRunning = 1;
    EXPECT_FALSE(OwnRowClick(170, 200, 40, true).move);
    own->plr->PlayerState = psLost;
    EXPECT_TRUE(OwnRowClick(170, 200, 40, true).move);

    // A watcher during a game is not in play: the server decides.
    SeatPlayer(*own, 0);
    SlotPlayers[1] = nullptr;
    ClientState.game.Spectating = 1;
    EXPECT_FALSE(OwnPlayerInPlay());
    const ListClick click = OwnRowClick(170, 200, 40, true);
    EXPECT_TRUE(click.move);
    EXPECT_FALSE(OwnRowClick(20, 200, 40, true).toggleReady);
}

TEST_F(PartylineTest, TeamButton) {
    own->TeamName = "reds";
    EXPECT_EQ(CheckTeamUpdate("reds"), TeamUpdate::Unchanged);
    EXPECT_EQ(CheckTeamUpdate("blues"), TeamUpdate::Send);
    EXPECT_EQ(CheckTeamUpdate(""), TeamUpdate::Send);  // no team
    EXPECT_EQ(CheckTeamUpdate(std::string(26, 'a')), TeamUpdate::Invalid);
    EXPECT_EQ(CheckTeamUpdate(std::string(25, 'a')), TeamUpdate::Send);
    EXPECT_EQ(CheckTeamUpdate("bad\x01team"), TeamUpdate::Invalid);
    Settings.rules.eteams = 1;
    EXPECT_EQ(CheckTeamUpdate("blues"), TeamUpdate::Locked);
    ClientState.game.Spectating = 1;
    EXPECT_EQ(CheckTeamUpdate("blues"), TeamUpdate::Send);
}

TEST_F(PartylineTest, TrayHintCountsSeatedPlayers) {
    ClientState.game.GameLinkState = LinkInRoom;
    room.lobbyUp = false;
    EXPECT_EQ(RoomTrayHint("me", "example.org"), "me on example.org, 1 player");
    tclient* gone = Seat("gone", 2);
    Seat("bob", 3);
    RemovePlayer(gone);  // leaves a hole in the list
    EXPECT_EQ(RoomTrayHint("me", "example.org"), "me on example.org, 2 players");
    room.lobbyUp = true;
    EXPECT_EQ(RoomTrayHint("me", "example.org"), "");
    // Nor while the lobby link is connecting.
    room.lobbyUp = false;
    room.lobbyConnecting = true;
    EXPECT_EQ(RoomTrayHint("me", "example.org"), "");
}

TEST_F(PartylineTest, MenuFollowsTheOwnRights) {
    tclient* bob = Seat("bob", 3);
    tclient* w = Seat("w", 0);
    ClientState.game.RoomOperators = "bob";  // the clicked player's rights do not count
    UserMenu m = PrepareUserMenu(*bob, false);
    EXPECT_FALSE(m.kick);
    EXPECT_FALSE(m.move);
    EXPECT_FALSE(m.details);
    ClientState.game.RoomOperators = "x ME";
    m = PrepareUserMenu(*bob, true);
    EXPECT_TRUE(m.kick && m.move && m.details);
    EXPECT_TRUE(m.toSpectators);
    EXPECT_FALSE(m.toPlayerList);
    EXPECT_FALSE(m.toSlot[3]);
    EXPECT_TRUE(m.toSlot[1] && m.toSlot[6]);
    m = PrepareUserMenu(*w, true);
    EXPECT_TRUE(m.toPlayerList);
    EXPECT_FALSE(m.toSpectators);
}

TEST_F(PartylineTest, ModerationBytes) {
    EXPECT_EQ(SlotFromCaption("to slot &4."), 4);
    EXPECT_EQ(SlotFromCaption("to &spectator list."), 0);
    EXPECT_EQ(SlotFromCaption("short"), 0);
    Settings.rules.BanList = "troll@*";
    SendKick("bob");
    SendKickWithMessage("bob", "");
    SendKickWithMessage("bob", "spam");
    SendMove("bob", 0);
    SendMove("bob", FirstFreeSlot());
    SendKickAndBan("eve", "flood");
    using Sent = std::vector<std::pair<uint8_t, std::string>>;
    EXPECT_EQ(sender.sent, (Sent{
                               {0x1e, "bob"},          // kick: name
                               {0x1e, "bob\x02"},      // with an empty message
                               {0x1e, "bob\x02spam"},  // name, 0x02, message
                               {0x1f,
                                "bob\x02"
                                "0"},  // move to the spectators
                               {0x1f,
                                "bob\x02"
                                "2"},  // move to the first free slot
                               {0x1e,
                                "eve\x02"
                                "flood"},
                               {0x11, "troll@*\r\neve flood\r\n"},  // the whole ban list
                           }));
    EXPECT_EQ(BanListWithLine("", "a b"), "a b\r\n");
    EXPECT_TRUE(KickMessageValid(""));
    EXPECT_FALSE(KickMessageValid("bad\x02"));
}

TEST_F(PartylineTest, StatisticsArriveThroughTheDispatcher) {
    TXSettings record;
    record.SetInt("gametime", 125);
    record.SetValue("keys", "Name\x01Lines");
    record.SetValue("1",
                    "me\x01"
                    "4");
    record.SetValue("colwidths",
                    "90\x01"
                    "40");
    ClientState.game.GamesPlayed = 1;
    ClientState.game.GameEventLog = {"[10:00:00] Join: me"};
    ASSERT_TRUE(CallRoomHandler(0x02, record.SaveToCompressed()));
    ASSERT_EQ(view.shown, 1);
    EXPECT_TRUE(view.opened);
    EXPECT_EQ(view.panel.widths, (std::vector<int>{90, 40}));
    EXPECT_EQ(view.panel.events.back(), Sc("17") + "[10:00:00] Join: me");
    const auto log = StatsLogText(view.panel);
    EXPECT_EQ(log[1], "Last game stats: ");
    EXPECT_EQ(log[4], "Game length:\t2min 5sec");
    EXPECT_EQ(log[8], "Name      Lines     ");
    EXPECT_EQ(log[9], "me        4         ");
    EXPECT_EQ(log.back(), "[10:00:00] Join: me");

    view.widths = "33";
    CallRoomHandler(0x02, record.SaveToCompressed());
    EXPECT_EQ(view.panel.widths, (std::vector<int>{33, 50}));

    // Garbage is logged and changes nothing.
    ASSERT_TRUE(CallRoomHandler(0x02, "garbage"));
    EXPECT_EQ(view.shown, 2);
    EXPECT_NE(ClientLog().find("Game statistics ignored"), std::string::npos);
}

}  // namespace
}  // namespace pk
