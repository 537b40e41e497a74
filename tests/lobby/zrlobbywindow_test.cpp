// The lobby window's handlers without the window: the idle statuses and the keep-alive on an
// injected clock, the topic banner, the game list's sort, the user list's menu selection and
// the menu's actions with their bytes.
#include "lobby/zrlobbywindow.h"

#include "lobby/zrregionlist.h"
#include "lobby_fixture.h"

namespace pk::test {
namespace {

class LobbyWindowTest : public LobbyTest {
protected:
    void SetUp() override {
        LobbyTest::SetUp();
        LobbyIdleTick();  // forgets an automatic status of an earlier test
    }
    // Connected as "me" in room 1, idle since `now`, with the own user's status.
    void Idle(int brb, int away, int sleeping) {
        Connected();
        Settings.lobby.idlebrb = brb;
        Settings.lobby.idleaway = away;
        Settings.lobby.idlesleeping = sleeping;
        ClientState.lobby.LastActivity = host.now;
        ClientState.lobby.LastServerPing = host.now;
    }
    // Minutes pass with the server pinging; the statuses sent come back as the server's echo.
    std::vector<std::string> Pass(int minutes) {
        std::vector<std::string> sent;
        for (int m = 0; m < minutes; ++m) {
            host.now += 60;
            ClientState.lobby.LastServerPing = host.now;
            for (int tick = 0; tick < 3; ++tick) {
                LobbyIdleTick();
            }
            for (const SentFrame& f : TakeSent()) {
                if (f.code == 12) {
                    sent.push_back(f.payload);
                    OwnUser()->status = static_cast<std::uint8_t>(std::stoi(f.payload));
                }
            }
        }
        return sent;
    }
    std::vector<std::uint32_t> Uids(std::initializer_list<const char*> names) {
        std::vector<std::uint32_t> uids;
        for (const char* name : names) {
            const tSbUser* u = FindRoomUser(name);
            uids.push_back(u ? u->uid : 0);
        }
        return uids;
    }
};

TEST_F(LobbyWindowTest, IdleStatusesInTheirOrder) {
    Idle(5, 10, 0);
    EXPECT_EQ(Pass(4), std::vector<std::string>{});
    EXPECT_EQ(Pass(1), std::vector<std::string>{"3"});
    EXPECT_EQ(Pass(4), std::vector<std::string>{});
    EXPECT_EQ(Pass(1), std::vector<std::string>{"2"});
    EXPECT_EQ(ClientState.lobby.AutoStatus, 1);
    // Activity takes it back once.
    NoteActivity();
    ASSERT_EQ(TakeSent(), (std::vector<SentFrame>{{12, "1"}}));
}

TEST_F(LobbyWindowTest, SleepingWinsAndAwayIsNeverSentWhileAsleep) {
    Idle(0, 5, 3);
    EXPECT_EQ(Pass(3), std::vector<std::string>{"4"});
    EXPECT_EQ(Pass(10), std::vector<std::string>{});
}

TEST_F(LobbyWindowTest, AnAutomaticStatusGoesOutOnceUntilTheServerEchoesIt) {
    Idle(1, 0, 0);
    host.now += 60;
    ClientState.lobby.LastServerPing = host.now;
    for (int tick = 0; tick < 20; ++tick) {
        LobbyIdleTick();
    }
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{12, "3"}}));
}

TEST_F(LobbyWindowTest, NoIdleStatusWithAGameLinkOrWithoutOwnUser) {
    Idle(1, 0, 0);
    ClientState.game.GameLinkState = LinkInRoom;
    host.now += 600;
    ClientState.lobby.LastServerPing = host.now;
    LobbyIdleTick();
    EXPECT_TRUE(TakeSent().empty());
    ClientState.game.GameLinkState = LinkDown;
    LobbyModel.ownUser = 0;
    LobbyIdleTick();
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(LobbyWindowTest, KeepAliveClosesAfterMoreThanSixtySecondsAndSendsNothingAfter) {
    Idle(1, 0, 0);
    host.now += 60;  // exactly 60: still up
    LobbyIdleTick();
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbConnected);
    TakeSent();
    host.now += 1;
    EXPECT_FALSE(LobbyIdleTick());
    EXPECT_NE(ClientState.lobby.LobbyLinkState, sbConnected);
}

TEST_F(LobbyWindowTest, BannerScrollsClicksAndDrags) {
    TTopicBanner b;
    b.Tick();
    EXPECT_EQ(b.offset, 8);
    // A click without moving stops it, a second click starts it at 80.
    b.MouseDown(10, 5);
    b.MouseUp();
    EXPECT_EQ(b.speed, 0);
    b.MouseDown(10, 5);
    b.MouseUp();
    EXPECT_EQ(b.speed, 80);
    // A drag follows the pointer and keeps the speed.
    b.MouseDown(50, 5);
    b.MouseMove(40, 5);
    EXPECT_EQ(b.offset, 18);
    b.MouseUp();
    EXPECT_EQ(b.speed, 80);
}

TEST_F(LobbyWindowTest, BannerGapAndWrap) {
    EXPECT_EQ(TTopicBanner::Gap(300, 600), 100);  // wider than the box: a third of the width
    EXPECT_EQ(TTopicBanner::Gap(300, 3), 298);    // short: at most the width
    EXPECT_EQ(TTopicBanner::Gap(300, 30), 280);
    TTopicBanner b;
    b.offset = 0;
    EXPECT_EQ(b.Layout(300, 30), (std::vector<int>{300 - 310, 300}));
    // Any offset lands within one period and draws the same.
    b.offset = 310 * 1000 + 20;
    const std::vector<int> far = b.Layout(300, 30);
    EXPECT_EQ(b.offset, 20);
    b.offset = 20;
    EXPECT_EQ(b.Layout(300, 30), far);
    b.offset = -5;
    b.Layout(300, 30);
    EXPECT_EQ(b.offset, 305);
    // Nothing to draw, nothing to loop over.
    EXPECT_TRUE(b.Layout(0, 0).empty());
    EXPECT_TRUE(b.Layout(300, 0).empty());
}

TEST_F(LobbyWindowTest, GameSortColumnsAndDirections) {
    TGameListSort sort;
    sort.ColumnClick(0);
    EXPECT_TRUE(sort.ascending);  // the flag was 0 and is inverted
    sort.ColumnClick(0);
    EXPECT_FALSE(sort.ascending);
    sort.ColumnClick(2);
    EXPECT_TRUE(sort.ascending);
    tSbGame a, b;
    a.name = "a";
    b.name = "b";
    a.players = b.players = 2;
    EXPECT_TRUE(gamelistCompare(a, b, sort.column, sort.ascending));
    EXPECT_FALSE(gamelistCompare(b, a, sort.column, sort.ascending));
    EXPECT_FALSE(gamelistCompare(a, a, sort.column, sort.ascending));  // irreflexive
    sort.ColumnClick(2);
    EXPECT_TRUE(gamelistCompare(b, a, sort.column, sort.ascending));
    EXPECT_FALSE(gamelistCompare(a, a, sort.column, sort.ascending));
}

TEST_F(LobbyWindowTest, OwnStatusButtonsNeedTheLinkAndNoGame) {
    EXPECT_FALSE(OwnStatusClicked(2));
    Connected();
    EXPECT_TRUE(OwnStatusClicked(3));
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{12, "3"}}));
    ClientState.game.GameLinkState = LinkInRoom;
    EXPECT_FALSE(OwnStatusClicked(4));
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(LobbyWindowTest, MenuSelectionKeepsTheFocusedSection) {
    Connected();
    NewRoomUser("bob");
    NewRoomUser("carl");
    NewFriend("dora");
    NewIgnored("eve");
    RebuildUserList();
    const auto& rows = LobbyModel.userRows;
    const auto rowOf = [&rows](UserRowKind kind, const std::string& name) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const tSbUser* u = FindUserByUid(rows[i].uid);
            if (rows[i].kind == kind && u && u->name == name) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    const int bob = rowOf(UserRowKind::RoomUser, "bob");
    const int dora = rowOf(UserRowKind::Friend, "dora");
    const int eve = rowOf(UserRowKind::Ignored, "eve");
    ASSERT_GE(bob, 0);
    ASSERT_GE(dora, 0);
    ASSERT_GE(eve, 0);
    // A friend focused with room users selected: only friends stay.
    EXPECT_EQ(MenuSelection(dora, {0, bob, dora}), std::vector<int>{dora});
    // A room user focused: friends and headers go.
    EXPECT_EQ(MenuSelection(bob, {0, dora, bob}), std::vector<int>{bob});
    EXPECT_EQ(MenuSelection(eve, {bob, eve}), std::vector<int>{eve});
    // An ignored user focused but not selected: every selected row goes, no menu.
    EXPECT_EQ(MenuSelection(eve, {bob}), std::vector<int>{});
    // A header focused, or nothing selected: the click leaves the selection alone.
    EXPECT_EQ(MenuSelection(0, {0, bob}), std::nullopt);
    EXPECT_EQ(MenuSelection(bob, {}), std::nullopt);
}

TEST_F(LobbyWindowTest, ModeratorActionsBytes) {
    Connected(1);
    NewRoomUser("bob");
    NewRoomUser("carl");
    const auto uids = Uids({"bob", "carl"});
    SetUsersNormal(uids);
    SetUsersVoice({uids[0]});
    SetUsersOperator({uids[1]});
    KickUsers({uids[0]});
    KickUsersWithMessage({"bob"}, "bye");
    BanUsers({"carl"}, "go", 300);
    BanUsers({"carl"}, "", 0);
    RequestPermanentList();
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{14, "bob"},
                                                  {14, "carl"},
                                                  {10, F({"1", "bob", "0"})},
                                                  {10, F({"0", "carl", "0"})},
                                                  {15, "bob"},
                                                  {15, F({"bob", "bye"})},
                                                  {10, F({"2", "carl", "300", "go"})},
                                                  {10, F({"2", "carl", "0", ""})},
                                                  {16, ""}}));
}

TEST_F(LobbyWindowTest, NothingGoesOutWithTheLinkDownOrWithoutRights) {
    Connected(3);
    NewRoomUser("bob");
    RequestPermanentList();  // privilege 3
    EXPECT_TRUE(TakeSent().empty());
    const auto uids = Uids({"bob"});
    ClientState.lobby.LobbyLinkState = sbConnecting;
    KickUsers(uids);
    BanUsers({"bob"}, "x", 0);
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(LobbyWindowTest, FriendsAndIgnoreEditsAddNoDuplicates) {
    Connected();
    NewRoomUser("bob");
    NewRoomUser("Carl");
    NewFriend("carl");
    const auto uids = Uids({"bob", "Carl"});
    AddUsersAsFriends(uids);
    AddUsersAsFriends(uids);
    EXPECT_EQ(LobbyModel.friends.size(), 2u);
    std::vector<SentFrame> sent = TakeSent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].code, 22);
    const tSbUser* bobFriend = FindFriend("bob");
    ASSERT_NE(bobFriend, nullptr);
    RemoveFriends({bobFriend->uid});
    EXPECT_EQ(FindFriend("bob"), nullptr);
    EXPECT_EQ(TakeSent().back(), (SentFrame{22, "carl"}));

    AddUsersToIgnore(uids);
    AddUsersToIgnore(uids);
    EXPECT_EQ(LobbyModel.ignored.size(), 2u);
    RemoveIgnored({FindIgnored("bob")->uid});
    EXPECT_EQ(LobbyModel.ignored.size(), 1u);
    EXPECT_TRUE(TakeSent().empty());  // the ignore list stays here
}

TEST_F(LobbyWindowTest, AUserWithoutANameIsNeverAddedAsAFriend) {
    Connected();
    NewRoomUser("");
    NewRoomUser("bob");
    AddUsersAsFriends(Uids({"", "bob"}));
    ASSERT_EQ(LobbyModel.friends.size(), 1u);
    EXPECT_NE(FindFriend("bob"), nullptr);
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{22, "bob"}}));
}

TEST_F(LobbyWindowTest, InviteAndWhois) {
    Connected();
    NewRoomUser("bob");
    tSbGame game;
    game.name = "Fun";
    ClientState.game.JoinedGame = &game;
    InviteUser(Uids({"bob"})[0]);
    ClientState.game.JoinedGame = nullptr;
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{8, "bob"}}));
    ASSERT_EQ(host.chat.size(), 1u);
    EXPECT_EQ(host.chat[0], Chat("~15Invited ~01bob~ to your game ~01Fun"));
    WhoisUser(Uids({"bob"})[0]);
    const std::vector<SentFrame> sent = TakeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], (SentFrame{21, "bob"}));
}

TEST_F(LobbyWindowTest, JoiningAKeyedRoomAsksAndLooksTheRoomUpAgain) {
    Connected();
    tSbRoom& open = NewRoom(5);
    open.name = "Open";
    tSbRoom& keyed = NewRoom(6);
    keyed.name = "Keyed";
    keyed.flag = 1;
    JoinRoomClicked(5);
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{3, "5"}}));
    EXPECT_EQ(ClientState.lobby.RoomName, "Open");

    // The room goes while the key dialog is open: nothing is sent.
    class KeyHost : public RecordingLobbyHost {
    public:
        std::function<void()> during;
        bool QueryRoomKey(std::string& key) override {
            if (during) {
                during();
            }
            key = "sesame";
            return true;
        }
    } keyHost;
    keyHost.now = host.now;
    SetLobbyHost(&keyHost);
    JoinRoomClicked(6);
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{3, F({"6", "sesame"})}}));
    EXPECT_EQ(ClientState.lobby.RoomKey, "sesame");
    keyHost.during = [] { DisposeRoom(6); };
    JoinRoomClicked(6);
    EXPECT_TRUE(TakeSent().empty());
    SetLobbyHost(&host);
}

TEST_F(LobbyWindowTest, CreatingAGame) {
    Connected(3);
    LobbyModel.currentRoom->moderated = 1;
    CreateGameClicked();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0],
              "The room is moderated, you do not have permission to create games at this time.");
    LobbyModel.currentRoom->moderated = 0;
    ClientState.lobby.RegionsStale = 1;
    CreateGameClicked();
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{2, ""}}));
    EXPECT_EQ(ClientState.lobby.PendingAction, paCreateGame);
    ClientState.lobby.RegionsStale = 0;
    ClientState.game.GameLinkState = LinkInRoom;
    host.confirmAnswer = false;
    CreateGameClicked();
    EXPECT_EQ(host.confirms.back(),
              "Creating a new game will make you leave your current game.  Proceed?");
    EXPECT_TRUE(host.calls.empty());
    host.confirmAnswer = true;
    CreateGameClicked();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"GameDisconnect", "GameSetCreate"}));
}

TEST_F(LobbyWindowTest, NewRoomAndPingServers) {
    Connected();
    CreateRoomNamed("My room");
    CreateRoomNamed("");
    pingserversClick();
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{4, "My room"}, {2, ""}}));
    EXPECT_EQ(ClientState.lobby.RoomName, "My room");
    EXPECT_EQ(ClientState.lobby.PendingAction, paPingOnly);
}

TEST_F(LobbyWindowTest, SectionHeadersToggle) {
    Connected();
    NewFriend("dora");
    RebuildUserList();
    const std::size_t open = LobbyModel.userRows.size();
    ToggleUserSection(UserRowKind::FriendsHeader);
    EXPECT_EQ(ClientState.lobby.ShowFriends, 0);
    EXPECT_EQ(LobbyModel.userRows.size(), open - 1);
    ToggleUserSection(UserRowKind::FriendsHeader);
    EXPECT_EQ(LobbyModel.userRows.size(), open);
}

}  // namespace
}  // namespace pk::test
