// The senders, the regions message and the join and create flow up to the game link.
#include "lobby_fixture.h"

namespace pk::test {
namespace {

using Join = LobbyTest;

void AddGame(int id, const std::string& name, const std::string& region = "Europe") {
    LobbyDispatch(14, F({std::to_string(id), "0", "6", "2", "Ann", name, region}));
}

TEST_F(Join, SendersBuildTheirPayloads) {
    Connected();
    NewFriend("Ann");
    NewFriend("bob");
    SendFriendsList();
    SendRoomProperties("topic", "key", 1);
    SendLobbyCommand("p", "Ann hi");
    RequestPlayerDetails("Ann", true, true, true);
    const std::string line = Chat("~15Requesting player details for ~01Ann~...");
    EXPECT_EQ(host.chat, (std::vector<std::string>{line}));
    EXPECT_EQ(host.roomChat, (std::vector<std::string>{line}));
    EXPECT_EQ(host.inGame, (std::vector<std::string>{line}));
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{22,
                                                   "Ann\x01"
                                                   "bob"},
                                                  {13,
                                                   "topic\x02key\x02"
                                                   "1"},
                                                  {18,
                                                   "p\x02"
                                                   "Ann hi"},
                                                  {21, "Ann"},
                                                  {26, "Ann"}}));
}

TEST_F(Join, AnEmptyFriendsListSendsAnEmptyPayload) {
    Connected();
    SendFriendsList();
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{22, ""}}));
}

TEST_F(Join, AFriendWithAnEmptyNameKeepsItsPlaceInTheList) {
    Connected();
    NewFriend("");
    NewFriend("Bob");
    SendFriendsList();
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{22,
                                                   "\x01"
                                                   "Bob"}}));
}

TEST_F(Join, NoteActivityTakesAnAutomaticStatusBackOnlyWhenItCan) {
    Connected();
    ClientState.lobby.AutoStatus = 1;
    ClientState.lobby.AutoStatus2 = 1;
    host.now = 5000;
    NoteActivity();
    EXPECT_EQ(ClientState.lobby.LastActivity, 5000);
    EXPECT_EQ(ClientState.lobby.AutoStatus, 0);
    EXPECT_EQ(ClientState.lobby.AutoStatus2, 0);
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{12, "1"}}));

    NoteActivity();  // not automatic any more
    ClientState.lobby.AutoStatus = 1;
    ClientState.game.GameLinkState = LinkInRoom;  // a game link is open
    NoteActivity();
    ClientState.game.GameLinkState = LinkDown;
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(Join, NothingFramedLeavesBeforeTheKeyExchangeAndNothingTooLong) {
    ClientState.lobby.LobbyLinkState = sbConnecting;
    LobbySend(12, "1");
    EXPECT_TRUE(LobbyLink.sendQueue.empty());
    EXPECT_TRUE(LogHas("Lobby message 12 dropped: the key exchange is not done"));

    Connected();
    LobbySend(18, std::string(65534, 'a'));  // body of 65535 bytes: the largest
    EXPECT_EQ(TakeSent().size(), 1u);
    LobbySend(18, std::string(65535, 'a'));
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_TRUE(LogHas("Lobby message 18 of 65536 bytes is too long to send"));
}

TEST_F(Join, RegionsMessage) {
    Connected();
    AddGame(3, "Fun");

    // Empty: only marks the regions stale.
    ClientState.lobby.RegionsStale = 0;
    ClientState.lobby.PendingAction = paJoinGame;
    LobbyModel.pendingGame = 3;
    LobbyDispatch(4, "");
    EXPECT_EQ(ClientState.lobby.RegionsStale, 1);
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_TRUE(host.calls.empty());

    // Ignored while the game-set window is up without the location dialog.
    host.gameSetVisible = true;
    LobbyDispatch(4, L({F({"1", "Europe", "2", "5", "10.0.0.1", "7000"})}));
    EXPECT_TRUE(SbRegions.empty());

    host.gameSetVisible = false;
    LobbyDispatch(4, L({F({"1", "Europe", "2", "5", "10.0.0.1", "7000"}),
                        F({"0", "Nowhere", "1", "1", "h", "1"}),
                        F({"2", "Asia", "x", "", "10.0.0.2", "y"})}));
    ASSERT_EQ(SbRegions.size(), 2u);
    EXPECT_EQ(SbRegions[0].name, "Europe");
    EXPECT_EQ(SbRegions[0].port, 7000);
    EXPECT_EQ(SbRegions[0].time, 9999);
    EXPECT_EQ(SbRegions[1].games, 0);
    EXPECT_EQ(SbRegions[1].port, 0);
    EXPECT_EQ(ClientState.lobby.RegionsStale, 0);
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{7, "3"}}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"StartRegionPings"}));

    host.calls.clear();
    ClientState.lobby.PendingAction = paCreateGame;
    host.locationVisible = true;
    LobbyDispatch(4, L({F({"1", "Europe", "2", "5", "10.0.0.1", "7000"})}));
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"GameSetCreate", "FillRegionList", "StartRegionPings"}));

    host.calls.clear();
    ClientState.lobby.PendingAction = paPingOnly;
    host.locationVisible = false;
    LobbyDispatch(4, L({F({"1", "Europe", "2", "5", "10.0.0.1", "7000"})}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"StartRegionPings"}));
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(Join, APendingGameThatWasRemovedIsNotJoined) {
    Connected();
    AddGame(3, "Fun");
    RequestJoinGame(3);
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{2, ""}}));  // regions are stale at first
    LobbyDispatch(15, F({"3"}));
    EXPECT_EQ(PendingGame(), nullptr);
    LobbyDispatch(4, L({F({"1", "Europe", "2", "5", "10.0.0.1", "7000"})}));
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(Join, RequestJoinGameAsksBeforeLeavingAGame) {
    Connected();
    AddGame(3, "Fun");
    ClientState.lobby.RegionsStale = 0;
    ClientState.game.GameLinkState = LinkInRoom;
    RequestJoinGame(3);
    EXPECT_EQ(host.confirms,
              (std::vector<std::string>{"Joining this game will make you leave your current game.  "
                                        "Proceed?"}));
    EXPECT_TRUE(TakeSent().empty());

    host.confirmAnswer = true;
    RequestJoinGame(3);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"GameDisconnect"}));
    EXPECT_EQ(ClientState.lobby.PendingAction, paJoinGame);
    EXPECT_EQ(PendingGame(), FindGame(3));
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{7, "3"}}));

    RequestJoinGame(4);  // no such game
    ClientState.game.JoinedGame = FindGame(3);
    RequestJoinGame(3);  // already joined
    EXPECT_TRUE(TakeSent().empty());
    ClientState.game.JoinedGame = nullptr;
}

TEST_F(Join, JoinAndCreateHandTheLobbySendKeyToTheGameLink) {
    Connected();
    AddGame(3, "Fun");
    LobbyJoinGame(3, true);
    EXPECT_EQ(GameLink.LobbyGameKey, LobbyLink.sendKey.state);
    EXPECT_EQ(GameLink.JoinMode, 1);
    EXPECT_EQ(ClientState.game.Spectating, 1);
    const std::uint32_t afterJoin = LobbyLink.sendKey.state;

    LobbyCreateGame("Classic", 0, "coded", false);
    EXPECT_NE(LobbyLink.sendKey.state, afterJoin);
    EXPECT_EQ(GameLink.LobbyGameKey, LobbyLink.sendKey.state);
    EXPECT_EQ(GameLink.JoinMode, 0);
    EXPECT_EQ(ClientState.game.Spectating, 0);
    EXPECT_EQ(host.chat, (std::vector<std::string>{Chat("~01~11*** ~02Preparing to join game..."),
                                                   Chat("~01~11*** ~02Creating game...")}));
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{5, "3"},
                                                  {6,
                                                   "0\x02"
                                                   "Classic\x02"
                                                   "coded"}}));
}

TEST_F(Join, JoinGameNowConnectsTheGameLinkToTheJoinedGame) {
    Connected();
    AddGame(3, "Fun");
    LobbyDispatch(19, F({"3", "10.1.2.3", "31457"}));
    LobbyDispatch(19, F({"4", "10.1.2.3", "31457"}));
    EXPECT_EQ(host.chat, (std::vector<std::string>{Chat("~01~11*** ~02Now joining game...")}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"GameConnect 10.1.2.3:31457"}));
    EXPECT_EQ(ClientState.game.JoinedGame, FindGame(3));
    const GameLinkHost::JoinedGameInfo info = LobbyJoinedGameInfo();
    EXPECT_TRUE(info.known);
    EXPECT_EQ(info.id, 3);
    EXPECT_EQ(info.name, "Fun");
    EXPECT_EQ(info.creator, "Ann");
    EXPECT_EQ(info.server, "10.1.2.3");

    LobbyDispatch(19, F({"3", "h", ""}));  // the port defaults to 1
    EXPECT_EQ(host.calls.back(), "GameConnect h:1");
}

TEST_F(Join, TheJoinedGameOutlivesTheGameListUntilTheLinkLetsItGo) {
    Connected();
    AddGame(3, "Fun");
    LobbyDispatch(19, F({"3", "10.1.2.3", "31457"}));
    tSbGame* joined = ClientState.game.JoinedGame;
    ASSERT_NE(joined, nullptr);

    LobbyDispatch(15, F({"3"}));
    EXPECT_EQ(FindGame(3), nullptr);
    EXPECT_EQ(ClientState.game.JoinedGame, joined);
    EXPECT_EQ(joined->name, "Fun");  // still readable (the sanitizer run checks it)
    EXPECT_EQ(LobbyJoinedGameInfo().name, "Fun");

    // The room going away does not free it either.
    LobbyDispatch(27, F({"1", "3", "1"}));
    EXPECT_EQ(ClientState.game.JoinedGame, joined);

    LobbyGameLinkClosed();
    EXPECT_EQ(ClientState.game.JoinedGame, nullptr);
    EXPECT_EQ(LobbyModel.retainedJoinedGame, nullptr);
    EXPECT_FALSE(LobbyJoinedGameInfo().known);
}

TEST_F(Join, JoinResultShowsOnlyWhileConnected) {
    JoinGameResult(true);
    EXPECT_TRUE(host.chat.empty());
    Connected();
    JoinGameResult(true);
    JoinGameResult(false);
    EXPECT_EQ(host.chat, (std::vector<std::string>{
                             Chat("~01~11*** ~02Successfully joined game!"),
                             Chat("~01~11*** ~19~02Error joining game, please try again.")}));
}

TEST_F(Join, TheGameLinkHostAnswersTheLobbysPart) {
    class Inner : public GameLinkHost {
    public:
        std::vector<std::string> calls;
        std::string PlayerName() override { return "inner"; }
        void LobbyJoinResult(bool joined) override {
            calls.push_back(joined ? "joined" : "failed");
        }
        void AfterGameDisconnect() override { calls.push_back("after"); }
    } inner;
    LobbyGameLinkHost host2(&inner);
    EXPECT_EQ(host2.PlayerName(), "inner");
    EXPECT_FALSE(host2.LobbyLinkUp());
    Connected();
    EXPECT_TRUE(host2.LobbyLinkUp());
    host2.LobbyJoinResult(true);
    host2.AfterGameDisconnect();
    EXPECT_EQ(inner.calls, (std::vector<std::string>{"joined", "after"}));
    EXPECT_EQ(host.chat.back(), Chat("~01~11*** ~02Successfully joined game!"));
}

}  // namespace
}  // namespace pk::test
