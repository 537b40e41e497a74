// The welcome and every message code: chat lines byte for byte, model and view changes.
#include "lobby_fixture.h"
#include "net/zrlobbykeys.h"

namespace pk::test {
namespace {

using Dispatch = LobbyTest;

std::vector<std::string> RowNames() {
    std::vector<std::string> names;
    for (const TUserRow& row : LobbyModel.userRows) {
        const std::string header = UserRowHeader(row.kind);
        const tSbUser* user = FindUserByUid(row.uid);
        names.push_back(!header.empty() ? header : user ? user->name : "?");
    }
    return names;
}

TEST_F(Dispatch, WelcomeSetsUpRoomOwnUserKeysAndChat) {
    ClientState.account.AccountName = "alice";
    ClientState.lobby.AwayMessage = "gone fishing";
    ClientState.lobby.TryCounter = 3;
    NewFriend("Bob");
    NewFriend("carol");
    ClientState.lobby.LobbyLinkState = sbConnecting;
    LobbyLink.framed = true;
    LobbyLink.sendKey = {kSendKey, true, ScrambleMulA, ScrambleAddA};
    LobbyLink.recvKey = {kRecvKey, true, ScrambleMulB, ScrambleAddB};
    LobbyLink.transcript = "login ...\r\n";

    LobbyWelcome(26, F({"-5", "1", "2", "9", "1", "4", "Main Hall"}));

    const tmesb& sb = ClientState.lobby;
    EXPECT_EQ(sb.LobbyLinkState, sbConnected);
    EXPECT_EQ(sb.TryCounter, 0);
    EXPECT_EQ(sb.RegionsStale, 1);
    EXPECT_EQ(ClientState.account.WelcomeNumber, -5);
    EXPECT_EQ(LobbyLink.recvKey.state, KeyMix(static_cast<std::uint32_t>(-5), kRecvKey));
    EXPECT_TRUE(LobbyLink.transcript.empty());
    const tSbRoom* room = FindRoom(9);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->name, "Main Hall");
    EXPECT_EQ(room->flag, 1);
    EXPECT_EQ(room->count, 4);
    EXPECT_EQ(CurrentRoomRecord(), room);
    ASSERT_NE(OwnUser(), nullptr);
    EXPECT_EQ(OwnUser()->name, "alice");
    EXPECT_EQ(OwnUser()->privilege, 1);
    EXPECT_EQ(OwnUser()->status, 2);
    EXPECT_EQ(views.button, OwnStatusButton::meaway);
    EXPECT_EQ(views.roomLabel, "Main Hall");
    EXPECT_EQ(host.chat,
              (std::vector<std::string>{Chat("~01~22***~~14 Connected to Pelkorin Master Server!"),
                                        Chat("~01*** You have joined ~23Main Hall")}));
    ASSERT_FALSE(host.captions.empty());
    EXPECT_EQ(host.captions.back(), "Pelkorin v2.00.136 (NO SERVER INCLUDED) - alice");
    EXPECT_EQ(host.uiStates.back(), "7 on, lobby 1");
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{22,
                                                   "Bob\x01"
                                                   "carol"},
                                                  {24, "gone fishing"}}));
}

TEST_F(Dispatch, WelcomeWithUnreadableNumbersOrAnotherCodeClosesTheLink) {
    ClientState.lobby.LobbyLinkState = sbConnecting;
    LobbyLink.framed = true;
    LobbyWelcome(26, F({"1", "x", "1", "1", "0", "1", "Lobby"}));
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);
    EXPECT_TRUE(LogHas("welcome unreadable"));

    ClientState.lobby.LobbyLinkState = sbConnecting;
    LobbyWelcome(25, "");
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);
    EXPECT_TRUE(LogHas("message 25 before its welcome"));
    EXPECT_TRUE(host.messages.empty());  // no retry, no "5 tries" message
}

TEST_F(Dispatch, PingIsAnsweredAndRefreshesTheKeepAlive) {
    Connected();
    host.now += 45;
    LobbyDispatch(25, "");
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{17, ""}}));
    EXPECT_EQ(ClientState.lobby.LastServerPing, host.now);
}

TEST_F(Dispatch, JoinedRoomReplacesTheCurrentRoomAndRemembersItsName) {
    Connected();
    NewRoom(5).name = "Tetrinet";
    ClientState.lobby.RoomName = "TETRINET";
    ClientState.lobby.RoomKey = "secret";
    LobbyDispatch(6, F({"other", "3", "1"}));

    LobbyDispatch(27, F({"5", "2", "3"}));
    ASSERT_NE(LobbyModel.currentRoom, nullptr);
    EXPECT_EQ(LobbyModel.currentRoom->roomId, 5);
    EXPECT_EQ(FindRoomUser("other"), nullptr);  // the old room's users went with it
    ASSERT_NE(OwnUser(), nullptr);
    EXPECT_EQ(OwnUser()->privilege, 2);
    EXPECT_EQ(views.button, OwnStatusButton::mebrb);
    EXPECT_EQ(views.roomLabel, "Tetrinet");
    EXPECT_EQ(host.chat.back(), Chat("~01~17***~ You have joined ~23Tetrinet"));
    // The same name in another case keeps the remembered key.
    EXPECT_EQ(ClientState.lobby.RoomName, "TETRINET");
    EXPECT_EQ(ClientState.lobby.RoomKey, "secret");

    NewRoom(6).name = "Other";
    LobbyDispatch(27, F({"6", "3", "1"}));
    EXPECT_EQ(ClientState.lobby.RoomName, "Other");
    EXPECT_EQ(ClientState.lobby.RoomKey, "");

    // An unknown room or an unreadable privilege changes nothing.
    LobbyDispatch(27, F({"99", "3", "1"}));
    LobbyDispatch(27, F({"5", "op", "1"}));
    EXPECT_EQ(LobbyModel.currentRoom->roomId, 6);
}

TEST_F(Dispatch, JoinsAndPartsShowOnlyWithTheOptionAndNotForIgnoredUsers) {
    Connected();
    LobbyDispatch(6, F({"quiet", "3", "1"}));
    EXPECT_NE(FindRoomUser("QUIET"), nullptr);
    EXPECT_TRUE(host.chat.empty());

    Settings.lobby.showjoinsparts = 1;
    NewIgnored("Pest");
    LobbyDispatch(6, F({"pest", "3", "1"}));
    LobbyDispatch(6, F({"Ann", "2", "4"}));
    LobbyDispatch(7, F({"ann"}));
    LobbyDispatch(7, F({"pest"}));
    LobbyDispatch(7, F({"nobody"}));
    EXPECT_EQ(host.chat, (std::vector<std::string>{Chat("~20*** ~12~01Ann~ has joined the room!"),
                                                   Chat("~20*** ~12~01ann~ has left the room")}));
    EXPECT_EQ(FindRoomUser("ann"), nullptr);
    EXPECT_EQ(FindRoomUser("pest"), nullptr);

    Settings.lobby.findgamests = 1;
    LobbyDispatch(6, F({"Zed", "3", "1"}));
    EXPECT_EQ(host.chat.back(), Chat("~17[12:34] ~~20*** ~12~01Zed~ has joined the room!"));
}

TEST_F(Dispatch, RoomUsersArrivingTwiceUpdateTheRecordTheyHave) {
    Connected();
    const std::uint32_t own = LobbyModel.ownUser;
    LobbyDispatch(8, L({F({"me", "1", "2"}), F({"zoe", "3", "1"}), F({"Adam", "3", "1"}),
                        F({"ZOE", "2", "3"}), F({"boss", "0", "1"})}));
    ASSERT_EQ(LobbyModel.currentRoom->users.size(), 4u);
    EXPECT_EQ(LobbyModel.ownUser, own);
    EXPECT_EQ(OwnUser()->privilege, 1);
    EXPECT_EQ(FindRoomUser("zoe")->privilege, 2);
    EXPECT_EQ(FindRoomUser("zoe")->status, 3);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"!friends", "!ignore", "!users", "boss", "me",
                                                    "zoe", "Adam"}));
    EXPECT_EQ(host.titles.back(), "Pelkorin (4 players)");
    EXPECT_EQ(host.hints.back(), "Connected as me, 4 players");

    // A bad record ends the list; the records before it stay.
    LobbyDispatch(8, L({F({"new1", "3", "1"}), F({"bad", "x", "1"}), F({"new2", "3", "1"})}));
    EXPECT_NE(FindRoomUser("new1"), nullptr);
    EXPECT_EQ(FindRoomUser("bad"), nullptr);
    EXPECT_EQ(FindRoomUser("new2"), nullptr);
}

TEST_F(Dispatch, UserChangedSavesTheOwnStatusUnlessItIsZero) {
    Connected();
    LobbyDispatch(9, F({"ME", "1", "4"}));
    EXPECT_EQ(OwnUser()->privilege, 1);
    EXPECT_EQ(ClientState.lobby.OwnSavedStatus, 4);
    EXPECT_EQ(views.button, OwnStatusButton::mesleeping);
    EXPECT_EQ(views.calls.back(), "users repainted");

    LobbyDispatch(9, F({"me", "1", "0"}));
    EXPECT_EQ(OwnUser()->status, 0);
    EXPECT_EQ(ClientState.lobby.OwnSavedStatus, 4);
    EXPECT_EQ(views.button, OwnStatusButton::meactive);

    LobbyDispatch(9, F({"ghost", "0", "1"}));  // not in the room: ignored
    LobbyDispatch(9, F({"me", "1", ""}));      // status not a number: ignored
    EXPECT_EQ(OwnUser()->status, 0);
}

TEST_F(Dispatch, TheOwnUserLeavingLeavesNoRightsAndActiveStatus) {
    Connected(0);
    LobbyDispatch(6, F({"victim", "3", "1"}));
    EXPECT_TRUE(ConfigureUserMenu(*FindRoomUser("victim")).statussub);

    LobbyDispatch(7, F({"me"}));
    EXPECT_EQ(OwnUser(), nullptr);
    EXPECT_EQ(views.button, OwnStatusButton::meactive);
    const TUserMenu menu = ConfigureUserMenu(*FindRoomUser("victim"));
    EXPECT_FALSE(menu.statussub);
    EXPECT_FALSE(menu.kicksub);
    EXPECT_FALSE(menu.requestrps);
    // The own user arriving again is a new record that is not the own user.
    LobbyDispatch(6, F({"me", "0", "1"}));
    EXPECT_EQ(OwnUser(), nullptr);
}

TEST_F(Dispatch, RoomPropertiesShowTheIcons) {
    Connected();
    LobbyDispatch(21, F({"Be nice", "key", "1"}));
    EXPECT_EQ(LobbyModel.currentRoom->topic, "Be nice");
    EXPECT_EQ(LobbyModel.currentRoom->lockText, "key");
    EXPECT_EQ(LobbyModel.currentRoom->moderated, 1);
    EXPECT_TRUE(views.lockIcon);
    EXPECT_TRUE(views.modIcon);
    LobbyDispatch(21, F({"", "", "x"}));
    EXPECT_EQ(LobbyModel.currentRoom->moderated, 0);
    EXPECT_FALSE(views.lockIcon);
    EXPECT_FALSE(views.modIcon);
}

TEST_F(Dispatch, RoomsAreAddedChangedAndRemovedByIdOnce) {
    Connected();
    LobbyDispatch(10, F({"4", "Fresh"}));
    EXPECT_EQ(FindRoom(4)->count, 1);
    LobbyDispatch(12, L({F({"4", "1", "7", "Fresh"}), F({"x", "yes", "", "Zero"}),
                         F({"5", "1", "", "Keyed"})}));
    EXPECT_EQ(LobbyModel.rooms.size(), 4u);  // the welcome's room 1, 4, 0 and 5
    EXPECT_EQ(FindRoom(4)->count, 7);
    EXPECT_EQ(FindRoom(4)->flag, 1);
    EXPECT_EQ(FindRoom(0)->name, "Zero");
    EXPECT_EQ(FindRoom(0)->flag, 0);  // anything but "1" is 0
    EXPECT_EQ(FindRoom(0)->count, 1);
    EXPECT_EQ(FindRoom(5)->count, 1);
    EXPECT_EQ(views.calls, (std::vector<std::string>{"+room 4", "BeginRoomUpdate", "~room 4",
                                                     "+room 0", "+room 5", "EndRoomUpdate"}));
    views.calls.clear();

    LobbyDispatch(13, F({"5", "0", "12"}));
    EXPECT_EQ(FindRoom(5)->flag, 0);
    EXPECT_EQ(FindRoom(5)->count, 12);
    LobbyDispatch(13, F({"77", "1", "2"}));
    LobbyDispatch(11, F({"5"}));
    LobbyDispatch(11, F({"5"}));
    EXPECT_EQ(FindRoom(5), nullptr);
    EXPECT_EQ(views.calls, (std::vector<std::string>{"~room 5", "-room 5"}));
}

TEST_F(Dispatch, RemovingTheCurrentRoomsRecordLeavesTheCurrentRoomSafe) {
    Connected();
    LobbyDispatch(11, F({"1"}));
    EXPECT_EQ(CurrentRoomRecord(), nullptr);
    ASSERT_NE(LobbyModel.currentRoom, nullptr);
    LobbyDispatch(6, F({"still", "3", "1"}));
    EXPECT_NE(FindRoomUser("still"), nullptr);
}

TEST_F(Dispatch, GamesAreAddedChangedAndRemovedWithTheirDefaults) {
    Connected();
    LobbyDispatch(14, F({"3", "1", "6", "2", "Ann", "Fun", "Europe"}));
    const tSbGame* g = FindGame(3);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->defaultSet, 1);
    EXPECT_EQ(g->maxPlayers, 6);
    EXPECT_EQ(g->maxSpectators, 2);
    EXPECT_EQ(g->players, 1);
    EXPECT_EQ(g->spectators, 0);
    EXPECT_EQ(g->status, 1);
    EXPECT_EQ(g->creator, "Ann");
    EXPECT_EQ(g->name, "Fun");
    EXPECT_EQ(g->region, "Europe");

    LobbyDispatch(14, F({"", "", "", "", "Bo", "Nameless", ""}));
    EXPECT_NE(FindGame(-1), nullptr);

    LobbyDispatch(16, L({F({"3", "0", "4", "1", "3", "1", "Ann", "Fun 2", "Asia", "0"}),
                         F({"8", "", "", "", "", "", "Cy", "Late", "", ""})}));
    EXPECT_EQ(LobbyModel.currentRoom->games.size(), 3u);
    EXPECT_EQ(g->name, "Fun 2");
    EXPECT_EQ(g->players, 3);
    EXPECT_EQ(g->status, 0);
    EXPECT_EQ(FindGame(8)->status, 1);
    EXPECT_EQ(FindGame(8)->maxPlayers, 0);

    LobbyDispatch(17, F({"3", "0", "5", "0", "2", "0", "Renamed", ""}));
    EXPECT_EQ(g->name, "Renamed");
    EXPECT_EQ(g->creator, "Ann");  // creator and region stay
    EXPECT_EQ(g->region, "Asia");
    EXPECT_EQ(g->status, 1);
    EXPECT_EQ(g->maxPlayers, 5);

    views.calls.clear();
    LobbyDispatch(15, F({"8"}));
    LobbyDispatch(15, F({"8"}));
    EXPECT_EQ(FindGame(8), nullptr);
    EXPECT_EQ(views.calls, (std::vector<std::string>{"-game 8"}));
}

// Messages shorter than their layout: missing fields read as empty or their fallback (a
// required number makes the message unreadable), and the fields a game message does not carry
// keep the game record's values.
TEST_F(Dispatch, ShortMessagesReadMissingFieldsAndKeepFieldsTheyDoNotCarry) {
    Connected();
    LobbyDispatch(16, L({F({"3", "0", "6", "2", "4", "2", "Ann", "Fun", "Asia", "0"})}));
    tSbGame* g = FindGame(3);
    ASSERT_NE(g, nullptr);

    LobbyDispatch(17, F({"3", "1"}));
    EXPECT_EQ(g->defaultSet, 1);
    EXPECT_EQ(g->maxPlayers, 0);
    EXPECT_EQ(g->players, 0);
    EXPECT_EQ(g->name, "");
    EXPECT_EQ(g->status, 1);
    EXPECT_EQ(g->creator, "Ann");
    EXPECT_EQ(g->region, "Asia");

    g->players = 4;
    g->spectators = 2;
    g->status = 0;
    LobbyDispatch(14, F({"3"}));
    EXPECT_EQ(g->defaultSet, 0);
    EXPECT_EQ(g->creator, "");
    EXPECT_EQ(g->region, "");
    EXPECT_EQ(g->players, 4);
    EXPECT_EQ(g->spectators, 2);
    EXPECT_EQ(g->status, 0);

    LobbyDispatch(6, F({"Zed"}));
    EXPECT_EQ(FindRoomUser("Zed"), nullptr);
}

TEST_F(Dispatch, GamesListRepeatsAnInvitationForThisRoomOnly) {
    Connected();
    ClientState.lobby.InviteRoomId = 1;
    ClientState.lobby.InviteGameId = 3;
    ClientState.lobby.Inviter = "Ann";
    LobbyDispatch(16, L({F({"3", "0", "4", "1", "1", "0", "Ann", "Fun", "Asia", "1"})}));
    EXPECT_EQ(host.chat, (std::vector<std::string>{Chat(
                             "~15~01Ann~ invited you to join the game ~01Fun~ in this room.  Type "
                             "~01/ok~ to join!")}));

    host.chat.clear();
    ClientState.lobby.InviteRoomId = 2;
    LobbyDispatch(16, L({F({"4", "0", "4", "1", "1", "0", "Bo", "Other", "Asia", "1"})}));
    EXPECT_TRUE(host.chat.empty());
}

TEST_F(Dispatch, GamesListOfTheDetailsRoomRequestsThePlayersDetails) {
    Connected();
    ClientState.lobby.DetailsRoomId = 1;
    ClientState.lobby.DetailsPlayer = "Ann";
    LobbyDispatch(16, "");
    EXPECT_TRUE(host.chat.empty());  // no flags: no line
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{21, "Ann"}, {26, "Ann"}}));
}

TEST_F(Dispatch, GamesListInRoomZeroDoesNotMistakeClearedRequestsForStoredOnes) {
    ClientState.account.AccountName = "me";
    ClientState.lobby.LobbyLinkState = sbConnecting;
    LobbyLink.framed = true;
    LobbyLink.sendKey = {kSendKey, true, ScrambleMulA, ScrambleAddA};
    LobbyWelcome(26, F({"7", "3", "1", "0", "0", "1", "Zero"}));
    TakeSent();
    host.chat.clear();
    LobbyDispatch(16, L({F({"0", "0", "4", "1", "1", "0", "Ann", "Fun", "Asia", "1"})}));
    EXPECT_TRUE(host.chat.empty());
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(Dispatch, MessagesAboutTheRoomNeedACurrentRoom) {
    Connected();
    ClearCurrentRoom();
    for (std::uint8_t code : {6, 7, 8, 9, 14, 15, 16, 17, 19, 24}) {
        LobbyDispatch(code, F({"1", "2", "3"}));
    }
    EXPECT_EQ(LobbyModel.currentRoom, nullptr);
    EXPECT_TRUE(host.chat.empty());
    EXPECT_TRUE(host.calls.empty());
    LobbyDispatch(99, "whatever");  // unknown codes are ignored
    LobbyDispatch(0, "");
}

TEST_F(Dispatch, GameSetOpensTheViewOnlyForAPendingJoin) {
    Connected();
    LobbyDispatch(14, F({"3", "1", "6", "2", "Ann", "Fun", "Europe"}));
    LobbyDispatch(18, F({"3", "a", "b"}));
    ClientState.lobby.PendingAction = paJoinGame;
    host.gameSetVisible = true;
    LobbyDispatch(18, F({"3", "a", "b"}));
    EXPECT_TRUE(host.calls.empty());
    host.gameSetVisible = false;
    LobbyDispatch(18, F({"3", "a", "b"}));
    LobbyDispatch(18, F({"4", "a", "b"}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"GameSetView 3 Fun a\x02"
                                                    "b"}));
}

TEST_F(Dispatch, FriendsOnlineMarksEveryOtherFriendOffline) {
    Connected();
    NewFriend("Ann").present = 1;
    FindFriend("ann")->roomId = 4;
    NewFriend("bob");
    NewFriend("Cy");
    LobbyDispatch(31, L({F({"BOB", "2", "1"}), F({"stranger", "1", "1"}), F({"cy", "x", "1"})}));
    EXPECT_EQ(FindFriend("ann")->present, 0);
    EXPECT_EQ(FindFriend("ann")->roomId, 0);
    EXPECT_EQ(FindFriend("bob")->present, 1);
    EXPECT_EQ(FindFriend("bob")->status, 2);
    EXPECT_EQ(FindFriend("bob")->roomId, 1);
    EXPECT_EQ(FindFriend("cy")->present, 0);
    EXPECT_EQ(views.calls, (std::vector<std::string>{"users rebuilt", "users repainted"}));
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"!friends", "bob", "Ann", "Cy", "!ignore",
                                                    "!users", "me"}));
}

TEST_F(Dispatch, InvitationsAreStoredAndShownUnlessTheInviterIsIgnored) {
    Connected();
    NewRoom(2).name = "Far Room";
    LobbyDispatch(14, F({"3", "1", "6", "2", "Ann", "Fun", "Europe"}));
    NewIgnored("Pest");

    LobbyDispatch(24, F({"pest", "1", "3"}));
    EXPECT_TRUE(host.chat.empty());
    EXPECT_EQ(ClientState.lobby.Inviter, "");

    LobbyDispatch(24, F({"Ann", "1", "3"}));
    LobbyDispatch(24, F({"Bo", "2", "9"}));
    LobbyDispatch(24, F({"Cy", "77", "1"}));
    EXPECT_EQ(host.chat,
              (std::vector<std::string>{
                  Chat("~15~01Ann~ has invited you to join the game ~01Fun~. Type ~01/ok~ to "
                       "join!"),
                  Chat("~15~01Bo~ has invited you to join a game in room ~01Far Room~. Type "
                       "~01/ok~ to join!")}));
    EXPECT_EQ(ClientState.lobby.InviteRoomId, 77);
    EXPECT_EQ(ClientState.lobby.InviteGameId, 1);
    EXPECT_EQ(ClientState.lobby.Inviter, "Cy");
}

TEST_F(Dispatch, DialogMessagesGoToTheirDialogs) {
    Connected();
    ClientState.lobby.OwnProfile = std::string("x\0y", 3);
    LobbyDispatch(22, "perm list");
    LobbyDispatch(33, F({"Ann", "details"}));
    LobbyDispatch(34, F({"ignored", "t1", "t2"}));
    LobbyDispatch(30, "db reply");
    LobbyDispatch(32, "");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"StatusList perm list",
                                                    "Details Ann\x02"
                                                    "details",
                                                    "Stats t1\x02t2", "UserDb db reply"}));
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{23, std::string("x\0y", 3)}}));
}

TEST_F(Dispatch, ServerTextsGoToTheLobbyChatAndRespectTheIgnoreList) {
    Connected();
    NewIgnored("pest");
    const auto text = [](int code, const std::string& args) {
        const unsigned bits = (static_cast<unsigned>(code) << 3) | 4u;  // lobby bit
        return std::string("c") + static_cast<char>(bits >> 8) + static_cast<char>(bits & 0xFF) +
               args;
    };
    LobbyDispatch(2, text(1, F({"Ann", "waves"})));
    LobbyDispatch(2, text(1, F({"Pest", "spam"})));
    LobbyDispatch(2, text(2, F({"Pest", "psst"})));
    EXPECT_EQ(host.chat, (std::vector<std::string>{Chat("~22* ~14~01Ann~~00 waves")}));
    EXPECT_EQ(RecentPrivateNames, (std::vector<std::string>{"pest"}));
    // A dialog that disconnects with the lobby bit closes the master-server link.
    LobbyDispatch(2, std::string("D") + static_cast<char>((12 << 3) >> 8) +
                         static_cast<char>(((12 << 3) | 4) & 0xFF) + "bye");
    EXPECT_EQ(host.messages, (std::vector<std::string>{"You have been kicked with message: bye"}));
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);
}

}  // namespace
}  // namespace pk::test
