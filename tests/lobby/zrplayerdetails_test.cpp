// Player details: the server's reply turned into labels and buttons, the joins it offers and
// what the own details send when applied.
#include "lobby/zrplayerdetails.h"

#include "lobby/zrlobbywindow.h"
#include "lobby_fixture.h"
#include "records_fixture.h"

namespace pk::test {
namespace {

class PlayerDetailsTest : public LobbyTest {
protected:
    void SetUp() override {
        LobbyTest::SetUp();
        Connected();
        NewRoom(1).name = "Lobby";
        tSbRoom& keyed = NewRoom(2);
        keyed.name = "Vault";
        keyed.flag = 1;
        NewRoom(3).name = "Open";
        tSbGame& game = NewGame(7);
        game.name = "Classic";
        game.creator = "Ada";
    }
    TPlayerDetailsView Show(const Pairs& pairs) {
        TPlayerDetailsReply reply;
        EXPECT_TRUE(ParsePlayerDetails(Packed(pairs), reply));
        return ShowPlayerDetails(reply);
    }
};

TEST_F(PlayerDetailsTest, APlayerInAKnownRoomAndGameCanBeJoinedThere) {
    const auto view = Show({{"online", "1"},
                            {"nickname", "Ada"},
                            {"state", "2"},
                            {"roomid", "3"},
                            {"gameid", "7"},
                            {"awaymsg", "brb"},
                            {"profile", Packed({{"city", "Turku"}, {"other", "a\r\nb"}})}});
    EXPECT_EQ(view.caption, "Player Details - Ada");
    EXPECT_EQ(view.roomLabel, "In Open");
    EXPECT_TRUE(view.joinRoomVisible);
    EXPECT_EQ(view.gameLabel, "In Classic");
    EXPECT_EQ(view.gameCreator, "Created by Ada");
    EXPECT_TRUE(view.joinGameVisible);
    EXPECT_EQ(view.awayLabel, "Player is away");
    EXPECT_EQ(view.awayMessage, "brb");
    EXPECT_EQ(view.profile[4], "Turku");
    EXPECT_EQ(view.profile[7], "a\r\nb");
    EXPECT_EQ(view.profile[0], "");
    EXPECT_EQ(ClientState.lobby.DetailsPlayer, "Ada");
    EXPECT_EQ(ClientState.lobby.DetailsRoomId, 3);
    EXPECT_EQ(ClientState.lobby.ShownGameId, 7);
}

TEST_F(PlayerDetailsTest, UnknownRoomsAndOutsideGamesHideTheirButtons) {
    auto view = Show({{"online", "1"},
                      {"nickname", "Bo"},
                      {"roomid", "99"},
                      {"gameid", "55"},
                      {"gamename", "Far game"},
                      {"creator", "Cy"},
                      {"state", "9"}});
    EXPECT_EQ(view.roomLabel, "In a private room");
    EXPECT_FALSE(view.joinRoomVisible);
    EXPECT_EQ(view.gameLabel, "In Far game");
    EXPECT_EQ(view.gameCreator, "Created by Cy");
    EXPECT_FALSE(view.joinGameVisible);
    EXPECT_EQ(view.awayLabel, std::nullopt);  // a state without a text leaves the label
    EXPECT_EQ(ClientState.lobby.ShownGameId, 0);
    view = Show({{"nickname", "Di"}, {"roomid", "1"}});
    EXPECT_EQ(view.roomLabel, "In Lobby");
    EXPECT_FALSE(view.joinRoomVisible);  // the own room
    EXPECT_EQ(view.gameLabel, "Not in a game");
    EXPECT_EQ(view.awayLabel, std::optional<std::string>(""));  // offline
    view = Show({{"nickname", "Ed"}});
    EXPECT_EQ(view.roomLabel, "Not connected");
}

TEST_F(PlayerDetailsTest, ARepliedThatDoesNotInflateIsLogged) {
    TPlayerDetailsReply reply;
    EXPECT_FALSE(ParsePlayerDetails("not zlib", reply));
    EXPECT_TRUE(LogHas("Player details"));
}

TEST_F(PlayerDetailsTest, JoiningAKeyedRoomAsksForTheKeyUnlessAdministrator) {
    Show({{"online", "1"}, {"nickname", "Ada"}, {"roomid", "2"}});
    ASSERT_TRUE(DetailsRoomNeedsKey());
    EXPECT_FALSE(JoinDetailsRoom([](std::string&) { return false; }));  // cancelled
    EXPECT_TRUE(JoinDetailsRoom([](std::string& key) {
        key = "two words";
        return true;
    }));
    EXPECT_EQ(ClientState.lobby.RoomName, "Vault");
    EXPECT_EQ(ClientState.lobby.RoomKey, "two words");
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{
                              {3, "2\x02two words"},  // code 3: room id 0x02 key
                          }));
    // A key the rule rejects sends nothing.
    EXPECT_FALSE(JoinDetailsRoom([](std::string& key) {
        key = "bad\x01";
        return true;
    }));
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(PlayerDetailsTest, AnAdministratorJoinsAKeyedRoomWithoutAKey) {
    OwnUser()->privilege = privAdministrator;
    Show({{"online", "1"}, {"nickname", "Ada"}, {"roomid", "2"}});
    EXPECT_FALSE(DetailsRoomNeedsKey());
    EXPECT_TRUE(JoinDetailsRoom([](std::string&) -> bool {
        ADD_FAILURE();
        return false;
    }));
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{3, "2"}}));
}

TEST_F(PlayerDetailsTest, ARoomGoneWhileTheKeyWasAskedIsNotJoined) {
    Show({{"online", "1"}, {"nickname", "Ada"}, {"roomid", "2"}});
    EXPECT_FALSE(JoinDetailsRoom([](std::string& key) {
        DisposeRoom(2);
        key = "k";
        return true;
    }));
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(PlayerDetailsTest, AGameGoneSinceTheDetailsIsNotJoined) {
    Show({{"online", "1"}, {"nickname", "Ada"}, {"gameid", "7"}});
    DisposeGame(7);
    EXPECT_FALSE(JoinDetailsGame());
}

TEST_F(PlayerDetailsTest, OwnDetailsShowTheDirectlyJoinedGameByTheLinksName) {
    TPlayerDetailsView view;
    ClientState.game.GameLinkState = LinkInRoom;
    GameLink.GameName = "Direct";
    ASSERT_TRUE(ShowOwnDetails(view));
    EXPECT_TRUE(view.own);
    EXPECT_EQ(view.caption, "Player Details - me");
    EXPECT_EQ(view.roomLabel, "In Lobby");
    EXPECT_EQ(view.gameLabel, "In Direct");
    EXPECT_EQ(view.gameCreator, "");
    EXPECT_EQ(view.awayLabel, "Player is active");
    GameLink.GameName.clear();
    ASSERT_TRUE(ShowOwnDetails(view));
    EXPECT_EQ(view.gameLabel, "Not in a game");
    ClientState.game.GameLinkState = LinkDown;
}

TEST_F(PlayerDetailsTest, ApplyingOwnDetailsSendsAChangedProfileAndAwayMessage) {
    TProfile profile;
    profile[0] = "Alice";
    ClosePlayerDetails(true, true, profile, "out for lunch");
    EXPECT_EQ(LoadProfile(ClientState.lobby.OwnProfile)[0], "Alice");
    EXPECT_EQ(ClientState.lobby.AwayMessage, "out for lunch");
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{
                              {25, ""},               // code 25: the profile changed
                              {24, "out for lunch"},  // code 24: the away message
                          }));
    // Unchanged: nothing. Cleared: sent empty. Invalid: neither stored nor sent.
    ClosePlayerDetails(true, true, profile, "out for lunch");
    EXPECT_TRUE(TakeSent().empty());
    ClosePlayerDetails(true, true, profile, "");
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{24, ""}}));
    ClosePlayerDetails(true, true, profile, "tab\there");
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(ClientState.lobby.AwayMessage, "");
    // Cancelled or another player's details: nothing.
    ClosePlayerDetails(true, false, TProfile{}, "x");
    ClosePlayerDetails(false, true, TProfile{}, "x");
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(PlayerDetailsTest, TheProfileRecordHoldsEveryFieldByItsKey) {
    TProfile profile;
    for (std::size_t i = 0; i < profile.size(); ++i) {
        profile[i] = std::string(1, static_cast<char>('a' + i));
    }
    TXSettings record;
    ASSERT_TRUE(record.LoadFromCompressed(SaveProfile(profile)));
    EXPECT_EQ(record.GetValue("firstname"), "a");
    EXPECT_EQ(record.GetValue("other"), "h");
    EXPECT_EQ(record.GetValue("icq"), "l");
    EXPECT_EQ(record.Count(), 12u);
    EXPECT_EQ(LoadProfile(SaveProfile(profile)), profile);
    EXPECT_EQ(LoadProfile("junk"), TProfile{});
}

TEST_F(PlayerDetailsTest, TheRoomListJoinsAKeyedRoomByTheSameKeyRule) {
    struct Host : RecordingLobbyHost {
        std::string key = "two words";
        bool answer = true;
        std::function<void()> during;
        bool QueryRoomKey(std::string& k) override {
            if (during) {
                during();
            }
            k = key;
            return answer;
        }
    } local;
    SetLobbyHost(&local);
    EXPECT_TRUE(JoinRoomClicked(3));
    EXPECT_TRUE(JoinRoomClicked(2));
    EXPECT_EQ(ClientState.lobby.RoomName, "Vault");
    EXPECT_EQ(ClientState.lobby.RoomKey, "two words");
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{
                              {3, "3"},               // code 3: an open room by id alone
                              {3, "2\x02two words"},  // a keyed room: id 0x02 key
                          }));
    local.key = "bad\x01";
    EXPECT_FALSE(JoinRoomClicked(2));
    local.answer = false;
    local.key = "fine";
    EXPECT_FALSE(JoinRoomClicked(2));
    local.answer = true;
    local.during = [] { DisposeRoom(2); };
    EXPECT_FALSE(JoinRoomClicked(2));
    EXPECT_FALSE(JoinRoomClicked(99));
    EXPECT_TRUE(TakeSent().empty());
    SetLobbyHost(&host);
}

}  // namespace
}  // namespace pk::test
