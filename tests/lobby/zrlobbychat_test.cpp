// The lobby chat line: every command's bytes as queued for the master server, the local
// commands, the invitation, the history keys, and commands on loopback to the scripted server.
#include "lobby/zrlobbychat.h"

#include "link_fixture.h"

namespace pk::test {
namespace {

class LobbyChat : public LobbyTest {
protected:
    // The frames a line queues.
    std::vector<SentFrame> Line(const std::string& line) {
        TakeSent();
        ProcessLobbyChatLine(line);
        return TakeSent();
    }
    // Room 2 ("Quiet", keyed) beside the current room 1.
    void SecondRoom(bool keyed) {
        tSbRoom& r = NewRoom(2);
        r.name = "Quiet";
        r.flag = keyed ? 1 : 0;
    }
    void Invite(std::int32_t roomId, std::int32_t gameId) {
        ClientState.lobby.InviteRoomId = roomId;
        ClientState.lobby.InviteGameId = gameId;
        ClientState.lobby.Inviter = "Ada";
    }
};

using Frames = std::vector<SentFrame>;

TEST_F(LobbyChat, PlainLineIsRoomChat) {
    Connected();
    // code 18: the one-byte command name 0x1E, field separator, the whole line
    EXPECT_EQ(Line("hello  there"), (Frames{{18, "\x1E\x02hello  there"}}));
}

TEST_F(LobbyChat, InvalidLinesAreDroppedSilently) {
    Connected();
    EXPECT_TRUE(Line("").empty());
    EXPECT_TRUE(Line(std::string("bad\x01line")).empty());
    EXPECT_TRUE(Line("bad\r\n/k x").empty());
    EXPECT_TRUE(host.chat.empty());
}

TEST_F(LobbyChat, ModeratedRoomRefusesUsersWithoutVoice) {
    Connected(3);
    LobbyModel.currentRoom->moderated = 1;
    EXPECT_TRUE(Line("hi").empty());
    ASSERT_EQ(host.chat.size(), 1u);
    EXPECT_EQ(host.chat[0],
              "\x05"
              "01\x05"
              "14The room is moderated, you do not have permission to speak at "
              "this time.");
    // A voice user speaks.
    OwnUser()->privilege = privVoice;
    EXPECT_EQ(Line("hi"), (Frames{{18, "\x1E\x02hi"}}));
}

TEST_F(LobbyChat, NoRoomNoChat) {
    Connected();
    ClearCurrentRoom();
    EXPECT_TRUE(Line("anyone?").empty());
}

TEST_F(LobbyChat, OtherCommandsGoToTheServerLowerCased) {
    Connected();
    // code 18: command word without the slash, 0x02, the rest of the line from word 2
    EXPECT_EQ(Line("/P Bob  see   you"), (Frames{{18,
                                                  "p\x02"
                                                  "Bob  see   you"}}));
    EXPECT_EQ(Line("/Who A B"), (Frames{{18,
                                         "who\x02"
                                         "A B"}}));
    EXPECT_EQ(Line("/"), (Frames{{18, "\x02"}}));
    EXPECT_EQ(Line("/ text"), (Frames{{18, "\x02text"}}));
}

TEST_F(LobbyChat, ReplyGoesToTheLatestPartner) {
    Connected();
    EXPECT_TRUE(Line("/r anybody").empty());
    RecentPrivateNames = {"Zed", "Ann"};
    // code 18: "p", 0x02, first recent name, blank, the text
    EXPECT_EQ(Line("/R see you"), (Frames{{18, "p\x02Zed see you"}}));
}

TEST_F(LobbyChat, BanFieldsWithAndWithoutTime) {
    Connected(1);
    // code 10: kind "2", name, seconds, message
    EXPECT_EQ(Line("/B Nat 60 bye"), (Frames{{10,
                                              "2\x02Nat\x02"
                                              "60\x02"
                                              "bye"}}));
    EXPECT_EQ(Line("/b Nat bye now"), (Frames{{10,
                                               "2\x02Nat\x02"
                                               "0\x02"
                                               "bye now"}}));
    EXPECT_EQ(Line("/b Nat -5 go"), (Frames{{10,
                                             "2\x02Nat\x02"
                                             "0\x02-5 go"}}));
    EXPECT_EQ(Line("/b Nat"), (Frames{{10,
                                       "2\x02Nat\x02"
                                       "0\x02"}}));
    // by address: kind "3"; the name is not checked
    EXPECT_EQ(Line("/bip 10.0.0.1 0"), (Frames{{10,
                                                "3\x02"
                                                "10.0.0.1\x02"
                                                "0\x02"}}));
}

TEST_F(LobbyChat, ModeratorCommandBytes) {
    Connected(0);
    // code 15 (kick): name, 0x02, the rest from word 3
    EXPECT_EQ(Line("/k Nat be nice"), (Frames{{15,
                                               "Nat\x02"
                                               "be nice"}}));
    // code 10: kind, name, word 3
    EXPECT_EQ(Line("/allow Nat x y"), (Frames{{10, "4\x02Nat\x02x"}}));
    EXPECT_EQ(Line("/allowip 1.2.3.4"), (Frames{{10,
                                                 "5\x02"
                                                 "1.2.3.4\x02"}}));
    EXPECT_EQ(Line("/voice Nat"), (Frames{{10, "1\x02Nat\x02"}}));
    EXPECT_EQ(Line("/op Nat 1"), (Frames{{10,
                                          "0\x02Nat\x02"
                                          "1"}}));
    // code 14 (set normal): the name alone
    EXPECT_EQ(Line("/normal Nat"), (Frames{{14, "Nat"}}));
    // The named commands refuse an invalid name.
    EXPECT_TRUE(Line("/k").empty());
    EXPECT_TRUE(Line("/op 9lives").empty());  // a name starts with a letter
}

TEST_F(LobbyChat, ModeratorCommandsNeedRightsAndALink) {
    Connected(2);
    for (const char* line : {"/k Nat", "/b Nat", "/bip Nat", "/allow Nat", "/allowip Nat",
                             "/normal Nat", "/voice Nat", "/op Nat"}) {
        EXPECT_TRUE(Line(line).empty()) << line;
    }
    // No own user counts as no rights.
    OwnUser()->privilege = privOperator;
    ClientState.lobby.LobbyLinkState = sbConnecting;
    EXPECT_TRUE(Line("/k Nat").empty());
    ClientState.lobby.LobbyLinkState = sbConnected;
    LobbyModel.ownUser = 0;
    EXPECT_TRUE(Line("/k Nat").empty());
}

TEST_F(LobbyChat, LocalCommands) {
    struct Host : RecordingLobbyHost {
        int cleared = 0, consoles = 0;
        void ClearLobbyChat() override { ++cleared; }
        void ShowUserDbConsole() override { ++consoles; }
    } local;
    SetLobbyHost(&local);
    Connected(0);
    EXPECT_TRUE(Line("/CLEAR").empty());
    EXPECT_EQ(local.cleared, 1);
    EXPECT_TRUE(Line("/managedb").empty());
    EXPECT_EQ(local.consoles, 1);
    OwnUser()->privilege = privOperator;
    Line("/managedb");
    EXPECT_EQ(local.consoles, 1);
    SetLobbyHost(&host);
}

TEST_F(LobbyChat, FriendsAndIgnoreWithoutDuplicates) {
    Connected();
    // code 22: the friends' names joined by 0x01
    EXPECT_EQ(Line("/addfriend Ann"), (Frames{{22, "Ann"}}));
    EXPECT_EQ(Line("/addfriend ann"), (Frames{{22, "Ann"}}));
    EXPECT_EQ(Line("/addfriend Bob"), (Frames{{22,
                                               "Ann\x01"
                                               "Bob"}}));
    EXPECT_EQ(LobbyModel.friends.size(), 2u);
    EXPECT_TRUE(Line("/addfriend").empty());
    EXPECT_TRUE(Line("/ignore Cid").empty());
    EXPECT_TRUE(Line("/ignore CID").empty());
    EXPECT_EQ(LobbyModel.ignored.size(), 1u);
    EXPECT_NE(std::find(views.calls.begin(), views.calls.end(), "users rebuilt"),
              views.calls.end());
}

TEST_F(LobbyChat, WhoisAsksForDetailsAndStats) {
    Connected();
    // code 21 then 26, each with the name
    EXPECT_EQ(Line("/whois Ann"), (Frames{{21, "Ann"}, {26, "Ann"}}));
    ASSERT_EQ(host.chat.size(), 1u);
    EXPECT_NE(host.chat[0].find("Requesting player details for"), std::string::npos);
    EXPECT_TRUE(Line("/whois").empty());
}

TEST_F(LobbyChat, ActivityTakesBackAnAutomaticStatus) {
    Connected();
    ClientState.lobby.AutoStatus = 1;
    // code 12 (own status "1") before the chat itself
    EXPECT_EQ(Line("back"), (Frames{{12, "1"},
                                    {18,
                                     "\x1E\x02"
                                     "back"}}));
    EXPECT_EQ(ClientState.lobby.AutoStatus, 0);
}

TEST_F(LobbyChat, AcceptInvitationToAGoneGame) {
    Connected();
    Invite(1, 9);
    EXPECT_TRUE(Line("/ok").empty());
    ASSERT_EQ(host.chat.size(), 1u);
    EXPECT_EQ(host.chat[0],
              "\x05"
              "15That game does not exist any more.");
    EXPECT_EQ(ClientState.lobby.InviteGameId, 0);
    EXPECT_TRUE(ClientState.lobby.Inviter.empty());
    EXPECT_TRUE(Line("/ok").empty());
    EXPECT_EQ(host.chat.size(), 1u);
}

TEST_F(LobbyChat, AcceptInvitationToAGameOfTheRoom) {
    Connected();
    ClientState.lobby.RegionsStale = 0;
    NewGame(9).name = "G";
    Invite(1, 9);
    const Frames sent = Line("/ok");
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(sent.back() == (SentFrame{7, "9"}) || sent.back() == (SentFrame{2, ""}));
    EXPECT_EQ(ClientState.lobby.InviteRoomId, 0);
}

TEST_F(LobbyChat, AcceptInvitationToAnotherRoom) {
    Connected();
    Invite(5, 9);
    EXPECT_TRUE(Line("/ok").empty());
    EXPECT_EQ(host.chat.back(),
              "\x05"
              "15That room does not exist any more.");
    EXPECT_EQ(ClientState.lobby.InviteRoomId, 0);

    SecondRoom(false);
    Invite(2, 9);
    // code 3 (join room): the room id alone
    EXPECT_EQ(Line("/ok"), (Frames{{3, "2"}}));
    EXPECT_EQ(ClientState.lobby.RoomName, "Quiet");
    EXPECT_EQ(ClientState.lobby.InviteRoomId, 2);  // kept for the second "/ok"
}

TEST_F(LobbyChat, AcceptInvitationToAKeyedRoom) {
    struct Host : RecordingLobbyHost {
        bool answer = true;
        std::string key = "sesame";
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
    Connected();
    SecondRoom(true);
    Invite(2, 9);
    // code 3: room id, 0x02, key
    EXPECT_EQ(Line("/ok"), (Frames{{3, "2\x02sesame"}}));
    EXPECT_EQ(ClientState.lobby.RoomKey, "sesame");
    local.answer = false;
    EXPECT_TRUE(Line("/ok").empty());
    local.answer = true;
    // The key is taken by the rule that sets it: a blank is allowed, a control byte is not.
    local.key = "open sesame";
    EXPECT_EQ(Line("/ok"), (Frames{{3, "2\x02open sesame"}}));
    local.key = "bad\x01key";
    EXPECT_TRUE(Line("/ok").empty());
    // The room goes while the dialog is open: nothing is sent.
    local.key = "sesame";
    local.during = [] { DisposeRoom(2); };
    EXPECT_TRUE(Line("/ok").empty());
    SetLobbyHost(&host);
}

TEST_F(LobbyChat, AdministratorsSkipTheKey) {
    Connected(0);
    SecondRoom(true);
    Invite(2, 9);
    EXPECT_EQ(Line("/ok"), (Frames{{3, "2"}}));
}

// With the link down or still connecting, the invitation's room (or game) cannot be reached:
// the user is told and the invitation goes, whatever rooms the model still holds.
TEST_F(LobbyChat, AcceptingWithoutTheLinkSaysTheRoomIsGone) {
    Connected();
    SecondRoom(false);
    NewGame(9).name = "G";
    for (const auto state : {sbConnecting, sbDown}) {
        for (const std::int32_t roomId : {1, 2}) {
            Invite(roomId, 9);
            host.chat.clear();
            ClientState.lobby.LobbyLinkState = state;
            EXPECT_TRUE(Line("/ok").empty());
            EXPECT_EQ(host.chat,
                      (std::vector<std::string>{"\x05"
                                                "15That room does not exist any more."}));
            EXPECT_EQ(ClientState.lobby.InviteRoomId, 0);
            EXPECT_EQ(ClientState.lobby.InviteGameId, 0);
            EXPECT_TRUE(ClientState.lobby.Inviter.empty());
        }
    }
}

TEST_F(LobbyChat, EnterAppendsEveryLineToTheHistory) {
    Connected();
    TLobbyChatEdit edit;
    edit.text = "";
    LobbyChatEnter(edit);
    EXPECT_TRUE(TakeSent().empty());
    edit.text = "one";
    LobbyChatEnter(edit);
    EXPECT_EQ(LobbyModel.chatHistory, (std::vector<std::string>{"", "one"}));
    EXPECT_EQ(edit.itemIndex, -1);
    EXPECT_TRUE(edit.text.empty());
}

TEST_F(LobbyChat, HistoryWalk) {
    constexpr int up = 38, down = 40;
    TLobbyChatEdit edit;
    // Down on an empty history does nothing.
    EXPECT_TRUE(LobbyChatKeyDown(edit, down));
    EXPECT_EQ(edit.itemIndex, -1);
    LobbyModel.chatHistory = {"old", "mid", "new"};
    EXPECT_TRUE(LobbyChatKeyDown(edit, up));
    EXPECT_EQ(edit.text, "new");
    LobbyChatKeyDown(edit, up);
    LobbyChatKeyDown(edit, up);
    EXPECT_EQ(edit.text, "old");
    LobbyChatKeyDown(edit, up);
    EXPECT_EQ(edit.itemIndex, -1);
    EXPECT_EQ(edit.text, "");
    LobbyChatKeyDown(edit, down);
    EXPECT_EQ(edit.text, "old");
    edit.itemIndex = 2;
    LobbyChatKeyDown(edit, down);
    EXPECT_EQ(edit.itemIndex, -1);
    EXPECT_EQ(edit.text, "");
    // A history cleared under a shown entry (a new connect) starts afresh.
    edit.itemIndex = 2;
    LobbyModel.chatHistory = {"x"};
    LobbyChatKeyDown(edit, up);
    EXPECT_EQ(edit.text, "x");
    EXPECT_FALSE(LobbyChatKeyDown(edit, 65));
}

TEST_F(LobbyChat, CompletionKeysRewriteAsPrivateMessage) {
    RecentPrivateNames = {"Zed"};
    for (int key : {9, 119, 123}) {
        TLobbyChatEdit edit{"hi", -1};
        EXPECT_FALSE(LobbyChatKeyDown(edit, key));
        EXPECT_EQ(edit.text, CompletePrivateNick("hi", RecentPrivateNames)) << key;
        EXPECT_NE(edit.text, "hi");
    }
}

// On loopback: the scripted master server reads what the chat line sends.
class LobbyChatLink : public LinkTest {};

TEST_F(LobbyChatLink, CommandsReachTheServer) {
    server.script.privilege = 1;
    server.script.rooms = {peers::MasterRoomRecord(1, false, 1, "Lobby")};
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(RunUntil([] { return CurrentRoomRecord() != nullptr; }));
    // The welcome's own answers (friends list, away message) are read first.
    ASSERT_TRUE(FrameArrives(24));
    const std::size_t before = Frames().size();
    TLobbyChatEdit edit{"hello all", -1};
    LobbyChatEnter(edit);
    edit.text = "/b Nat 60 bye";
    LobbyChatEnter(edit);
    edit.text = "/P Ann hi";
    LobbyChatEnter(edit);
    ASSERT_TRUE(RunUntil([&] { return Frames().size() >= before + 3; }));
    const auto frames = Frames();
    std::vector<std::pair<int, std::string>> got;
    for (std::size_t i = before; i < frames.size(); ++i) {
        if (frames[i].code != 17) {  // pongs may interleave
            got.emplace_back(frames[i].code, frames[i].payload);
        }
    }
    EXPECT_EQ(got, (std::vector<std::pair<int, std::string>>{{18, "\x1E\x02hello all"},
                                                             {10,
                                                              "2\x02Nat\x02"
                                                              "60\x02"
                                                              "bye"},
                                                             {18,
                                                              "p\x02"
                                                              "Ann hi"}}));
    EXPECT_EQ(LobbyModel.chatHistory.size(), 3u);
}

}  // namespace
}  // namespace pk::test
