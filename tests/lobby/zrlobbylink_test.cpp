// The lobby link over loopback: the text phase and its seven replies, the key exchange,
// frames both ways, the queue, retries and the keep-alive.
#include <random>

#include "link_fixture.h"
#include "net/zrlobbykeys.h"
#include "net/zrsock.h"
#include "platform/winsock.h"

namespace pk::test {
namespace {

using Phase = MasterServerSession::Phase;

TEST_F(LinkTest, LoginExchangesKeysAndIsWelcomed) {
    NewFriend("Bob");
    ClientState.lobby.AwayMessage = "brb";
    server.options.serverValue = 0x7FFFFFFE;
    LobbyConnect(0);
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbConnecting);
    EXPECT_EQ(host.uiStates.back(), "7 on, lobby 0");
    ASSERT_TRUE(Welcomed());

    MasterServerSession& s = *server.Last();
    EXPECT_EQ(s.LoginLine(), "login 136 1 alice " + HexMaskString("secret"));
    EXPECT_EQ(s.ClientValue(), LobbyLink.exchangeValue);
    EXPECT_GE(s.ClientValue(), 1u);
    EXPECT_LE(s.ClientValue(), LobbyExchangeValueMax);
    EXPECT_TRUE(LobbyLink.framed);
    EXPECT_TRUE(LobbyLink.transcript.empty());
    EXPECT_EQ(ClientState.account.WelcomeNumber, 4242);
    EXPECT_EQ(ClientState.lobby.TryCounter, 0);
    EXPECT_EQ(host.captions.back(), "Pelkorin v2.00.136 (NO SERVER INCLUDED) - alice");
    EXPECT_EQ(host.uiStates.back(), "7 on, lobby 1");
    ASSERT_TRUE(FrameArrives(24));
    EXPECT_EQ(Frames()[0].code, 22);
    EXPECT_EQ(Frames()[0].payload, "Bob");
    EXPECT_EQ(Frames()[1].payload, "brb");
    EXPECT_EQ(host.chat.front(), Chat("~01~22***~~14 Connected to Pelkorin Master Server!"));
}

TEST_F(LinkTest, TheOtherModesSendTheirLines) {
    server.options.loginReply = "";
    ClientState.account.SignUpText = "bob pw bob@example.org 1990 1 2";
    ClientState.account.VerifyCode = "X1Y2";
    ClientState.account.BirthDate = "1990-01-02";
    const std::string mask = HexMaskString("secret");
    const std::vector<std::string> expected{"new bob pw bob@example.org 1990 1 2",
                                            "verify alice " + mask + " X1Y2",
                                            "needpass alice 1990-01-02"};
    for (std::uint8_t mode = 1; mode <= 3; ++mode) {
        LobbyConnect(mode);
        ASSERT_TRUE(RunUntil([this, mode] {
            return server.Accepted() == mode && server.Last()->phase() == Phase::AwaitReply;
        }));
        EXPECT_EQ(server.Last()->LoginLine(), expected[mode - 1u]);
        LobbyDisconnect(false);
    }
}

TEST_F(LinkTest, UpdateReplyStartsTheUpdateClient) {
    server.options.loginReply = "UPDATE patches.example.org 4000";
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil([this] { return !host.updatePort.empty(); }));
    EXPECT_EQ(host.messages, (std::vector<std::string>{
                                 "You have an old version of Pelkorin.  Press OK to check online "
                                 "for an upgrade!"}));
    EXPECT_EQ(host.updateHost, "patches.example.org");
    EXPECT_EQ(host.updatePort, "4000");
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);
    EXPECT_EQ(ClientState.lobby.TryCounter, 0);  // no retry

    host.updatePort.clear();
    server.options.loginReply = "update patches.example.org";
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil([this] { return !host.updatePort.empty(); }));
    EXPECT_EQ(host.updateHost, UpdateServerHost);
    EXPECT_EQ(host.updatePort, "16705");
}

// The named host is kept whatever its port word: the socket reads a service name, and a port
// it cannot use ends as that run's connection error, never as a run against another host.
TEST_F(LinkTest, UpdateReplyPassesThePortWordAsItStands) {
    for (const std::string port : {"http", "70000", "0", "-5"}) {
        host.updatePort.clear();
        server.options.loginReply = "update patches.example.org " + port + " extra";
        LobbyConnect(0);
        ASSERT_TRUE(RunUntil([this] { return !host.updatePort.empty(); })) << port;
        EXPECT_EQ(host.updateHost, "patches.example.org") << port;
        EXPECT_EQ(host.updatePort, port);
    }
}

TEST_F(LinkTest, NewOkErrorAndUnknownRepliesCloseWithoutRetry) {
    server.options.loginReply = "newok Account created, check your mail.";
    LobbyConnect(1);
    ASSERT_TRUE(RunUntil([this] { return !host.messages.empty(); }));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"ClearSignUpForm"}));
    EXPECT_EQ(host.messages.back(), "Account created, check your mail.");

    server.options.loginReply = "error Server full";
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil([this] { return host.messages.size() == 2; }));
    EXPECT_EQ(host.messages.back(), "Server full");

    server.options.loginReply = "what";
    LobbyConnect(0);
    ASSERT_TRUE(Down());
    DrainEvents();
    EXPECT_EQ(server.Accepted(), 3);
    EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(LinkTest, NeedVerifyAsksForTheCodeAndVerifies) {
    server.options.loginReply = "needverify";
    host.verifyAnswer = false;
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil([this] { return !host.calls.empty(); }));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"QueryVerifyCode "}));  // emptied first
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);

    host.verifyAnswer = true;
    host.verifyCode = "ABC123";
    server.options.loginReply = "";
    server.OnSession = [this](MasterServerSession&) {
        server.options.loginReply = server.Sessions().size() == 1 ? "needverify" : "";
    };
    server.Sessions().clear();
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil([this] {
        return server.Sessions().size() == 2 && server.Last()->phase() == Phase::AwaitReply;
    }));
    EXPECT_EQ(server.Last()->LoginLine(), "verify alice " + HexMaskString("secret") + " ABC123");
    EXPECT_EQ(ClientState.lobby.LobbyConnectMode, 2);
}

TEST_F(LinkTest, VerifyOkShowsTheTextAndLogsIn) {
    server.OnSession = [this](MasterServerSession&) {
        server.options.loginReply =
            server.Sessions().size() == 1 ? "verifyok Welcome aboard" : "ok";
    };
    LobbyConnect(2);
    ASSERT_TRUE(Welcomed());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Welcome aboard"}));
    EXPECT_EQ(server.Last()->LoginLine(), "login 136 1 alice " + HexMaskString("secret"));
}

TEST_F(LinkTest, AErrorOffersTheForgottenPasswordDialog) {
    server.options.loginReply = "aerror";
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil([this] { return !host.confirms.empty(); }));
    EXPECT_EQ(host.confirms.back(),
              "Account does not exist or you have entered the wrong password.  If you have "
              "forgotten your password, would you like it to be emailed to you?");
    DrainEvents();
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);  // No: closed, no retry
    EXPECT_EQ(server.Accepted(), 1);
    EXPECT_TRUE(host.calls.empty());

    host.confirmAnswer = true;
    host.birthAnswer = true;
    host.year = "987";
    host.month = "3";
    host.day = "12345";
    server.OnSession = [this](MasterServerSession&) {
        server.options.loginReply = server.Accepted() == 2 ? "aerror" : "";
    };
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil(
        [this] { return server.Accepted() == 3 && server.Last()->phase() == Phase::AwaitReply; }));
    EXPECT_EQ(server.Last()->LoginLine(), "needpass alice 0987-03-12345");
    EXPECT_EQ(ClientState.account.BirthDate, "0987-03-12345");
}

TEST_F(LinkTest, ATextLineOfMoreThan1000BytesWithoutCrLfCloses) {
    server.options.loginReply = "";
    LobbyConnect(0);
    ASSERT_TRUE(SessionReaches(Phase::AwaitReply));
    server.Last()->SendRaw(std::string(1000, 'x'));
    DrainEvents();
    RunUntil([] { return LobbyLink.recvBuffer.size() == 1000; }, 2000);
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbConnecting);
    server.Last()->SendRaw("y");
    ASSERT_TRUE(Down());
    EXPECT_TRUE(LogHas("Master server line too long"));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LinkTest, FramesSplitAtEveryByteAndSeveralInOneRead) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    MasterServerSession& s = *server.Last();
    ASSERT_TRUE(FrameArrives(24));
    // Byte by byte: the prefix is unscrambled as it comes.
    s.SendFrameInPieces(10, "31\x02Split Room", 1);
    ASSERT_TRUE(RunUntil([] { return FindRoom(31) != nullptr; }));
    EXPECT_EQ(FindRoom(31)->name, "Split Room");
    // Three frames in one send, then a ping.
    std::string bytes;
    for (int id = 40; id < 43; ++id) {
        bytes += s.ScrambleFrame(static_cast<std::uint16_t>(1 + 3 + std::to_string(id).size()),
                                 std::string(1, '\x0a') + std::to_string(id) +
                                     "\x02"
                                     "R" +
                                     std::to_string(id % 10));
    }
    s.SendRaw(bytes);
    s.SendPing();
    ASSERT_TRUE(RunUntil([&s] { return s.Pongs() == 1; }));
    EXPECT_NE(FindRoom(40), nullptr);
    EXPECT_NE(FindRoom(42), nullptr);
}

TEST_F(LinkTest, AZeroLengthFrameClosesWithoutRetry) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    server.Last()->SendRaw(server.Last()->ScrambleFrame(0, ""));
    ASSERT_TRUE(Down());
    DrainEvents();
    EXPECT_EQ(server.Accepted(), 1);
    EXPECT_TRUE(LogHas("Empty message from the master server"));
}

// Bytes that are no frames at all read as frames of any length and code: the client takes
// whatever they decode to, and the link ends only by a close, never by a hang or worse.
TEST_F(LinkTest, GarbageAfterTheWelcomeEndsInACloseAtWorst) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    std::mt19937 random(14);
    for (int piece = 0; piece < 8; ++piece) {
        std::string garbage(1000, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(random());
        }
        server.Last()->SendRaw(garbage);
    }
    DrainEvents();
    server.Last()->Close();
    ASSERT_TRUE(RunUntil([this] {
        const auto state = ClientState.lobby.LobbyLinkState;
        return state == sbDown || (server.Accepted() == 2 && state == sbConnected);
    }));
    EXPECT_FALSE(LobbyLink.busy);
}

TEST_F(LinkTest, AFailingHandlerCostsOnlyItsMessage) {
    class Throwing : public RecordingLobbyHost {
    public:
        void ShowStatusList(const std::string&) override { throw std::runtime_error("boom"); }
    };
    Throwing throwing;
    SetLobbyHost(&throwing);
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    MasterServerSession& s = *server.Last();
    std::string bytes = s.ScrambleFrame(4,
                                        "\x16"
                                        "abc");  // status list, which throws
    bytes += s.ScrambleFrame(1, "\x19");         // ping
    s.SendRaw(bytes);
    ASSERT_TRUE(RunUntil([&s] { return s.Pongs() == 1; }));
    EXPECT_TRUE(LogHas("Error in LobbyDispatch 22 4: boom")) << ClientLog();
    EXPECT_FALSE(LobbyLink.busy);
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbConnected);
    SetLobbyHost(&host);
}

TEST_F(LinkTest, ClosingInsideAHandlerDropsTheRestOfTheChunk) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    MasterServerSession& s = *server.Last();
    // A dialog that disconnects the lobby, then a room that must never be read.
    const std::string kick = peers::MasterServerText('D', 12, true, false, false, "bye");
    std::string bytes = s.ScrambleFrame(static_cast<std::uint16_t>(kick.size() + 1), "\x02" + kick);
    bytes += s.ScrambleFrame(7,
                             "\x0a"
                             "55\x02"
                             "RR");
    s.SendRaw(bytes);
    ASSERT_TRUE(Down());
    DrainEvents();
    EXPECT_EQ(FindRoom(55), nullptr);
    EXPECT_TRUE(LobbyLink.recvBuffer.empty());
    EXPECT_FALSE(LobbyLink.busy);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"You have been kicked with message: bye"}));
}

TEST_F(LinkTest, AMessageBeforeTheWelcomeClosesTheLink) {
    server.options.autoWelcome = false;
    LobbyConnect(0);
    ASSERT_TRUE(SessionReaches(Phase::Framed));
    ASSERT_TRUE(RunUntil([] { return LobbyLink.framed; }));
    server.Last()->SendPing();
    ASSERT_TRUE(Down());
    EXPECT_TRUE(LogHas("message 25 before its welcome"));
}

TEST_F(LinkTest, HeldBytesGoOutInOrderAfterRelease) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(FrameArrives(24));
    LobbyHoldQueue();
    LobbySend(18,
              "a\x02"
              "1");
    LobbySend(18,
              "b\x02"
              "2");
    EXPECT_TRUE(LobbyLink.sendQueue.empty());
    DrainEvents();
    EXPECT_EQ(Frames().size(), 2u);
    LobbyReleaseQueue();
    LobbySend(18,
              "c\x02"
              "3");
    ASSERT_TRUE(FrameArrives(18, 3));
    const auto frames = Frames();
    EXPECT_EQ(frames[2].payload,
              "a\x02"
              "1");
    EXPECT_EQ(frames[3].payload,
              "b\x02"
              "2");
    EXPECT_EQ(frames[4].payload,
              "c\x02"
              "3");
}

TEST_F(LinkTest, BytesTheSocketDoesNotTakeStayAtTheFrontOfTheQueue) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(FrameArrives(24));
    MasterServerSession& s = *server.Last();
    s.Connection().PauseReading(true);
    LobbySock().Sockets().SetSendBufferSize(LobbyLink.socket, 4096);
    const std::string big(60000, 'z');
    for (int i = 0; i < 20; ++i) {
        LobbySend(18, std::to_string(i) + "\x02" + big);
    }
    EXPECT_FALSE(LobbyLink.sendQueue.empty());
    s.Connection().PauseReading(false);
    ASSERT_TRUE(FrameArrives(18, 20));
    const auto frames = Frames();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(frames[static_cast<std::size_t>(2 + i)].payload,
                  std::to_string(i) + "\x02" + big);
    }
    EXPECT_TRUE(LobbyLink.sendQueue.empty());
}

TEST_F(LinkTest, ALoginIsTriedFiveTimesThenTheUserIsTold) {
    server.options.acceptAndClose = true;
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil([this] { return !host.messages.empty(); }));
    DrainEvents();
    EXPECT_EQ(server.Accepted(), 5);
    EXPECT_EQ(
        host.messages,
        (std::vector<std::string>{"Unable to connect with the master server after 5 tries."}));
    EXPECT_EQ(ClientState.lobby.TryCounter, 0);
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);
}

TEST_F(LinkTest, AWelcomeResetsTheTries) {
    server.OnSession = [this](MasterServerSession& s) {
        if (server.Accepted() <= 3) {
            s.Close();
        }
    };
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    EXPECT_EQ(server.Accepted(), 4);
    EXPECT_EQ(ClientState.lobby.TryCounter, 0);
    // Four more failures after a welcome still retry: the count starts again.
    server.OnSession = [](MasterServerSession& s) { s.Close(); };
    server.Last()->Close();
    ASSERT_TRUE(RunUntil([this] { return !host.messages.empty(); }));
    EXPECT_EQ(server.Accepted(), 9);
}

TEST_F(LinkTest, OnlyLoginsRetry) {
    server.options.acceptAndClose = true;
    LobbyConnect(1);
    ASSERT_TRUE(Down());
    DrainEvents();
    EXPECT_EQ(server.Accepted(), 1);
    EXPECT_EQ(ClientState.lobby.TryCounter, 0);
}

TEST_F(LinkTest, ARefusedOrUnresolvedServerCountsAsAFailedAttempt) {
    ClientState.lobby.server.port = 1;  // nothing listens there
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil([this] { return !host.messages.empty(); }));
    EXPECT_EQ(host.messages.back(), "Unable to connect with the master server after 5 tries.");

    ClientState.lobby.server.host.clear();
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil([this] { return host.messages.size() == 2; }));

    // A name that does not resolve: one attempt left, so a single lookup.
    ClientState.lobby.server.host = "nohost.invalid";
    LobbyConnect(0);
    ClientState.lobby.TryCounter = LobbyMaxTries;
    ASSERT_TRUE(RunUntil([this] { return host.messages.size() == 3; }));
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);
}

TEST_F(LinkTest, KeepAliveGivesUpAfterMoreThanSixtySecondsWithoutAPing) {
    server.options.loginReply = "";  // a server that stalls after the login line
    LobbyConnect(0);
    ASSERT_TRUE(SessionReaches(Phase::AwaitReply));
    const std::int64_t start = host.now;
    host.now = start + LobbyKeepAliveSeconds;
    EXPECT_FALSE(LobbyCheckKeepAlive());
    host.now = start + LobbyKeepAliveSeconds + 1;
    EXPECT_TRUE(LobbyCheckKeepAlive());
    EXPECT_EQ(ClientState.lobby.TryCounter, 2);  // retried at once
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbConnecting);
    EXPECT_TRUE(LogHas("No ping from the master server for 60 seconds"));
    LobbyDisconnect(false);
    EXPECT_FALSE(LobbyCheckKeepAlive());  // nothing to keep alive
}

TEST_F(LinkTest, PingsKeepTheLinkAlive) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    host.now += 50;
    server.Last()->SendPing();
    ASSERT_TRUE(RunUntil([this] { return server.Last()->Pongs() == 1; }));
    host.now += 50;
    EXPECT_FALSE(LobbyCheckKeepAlive());
    host.now += 11;
    EXPECT_TRUE(LobbyCheckKeepAlive());
}

TEST_F(LinkTest, SocketErrorsByState) {
    bsock::ee("Operation would block", wsa::kWouldBlock);
    bsock::ee("Not a WinSock error", 5);
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    bsock::ee("Socket is not connected", wsa::kNotConnected);
    bsock::ee("Socket operation on non-socket", wsa::kNotSocket);
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbConnected);
    bsock::ee("Connection reset by peer", wsa::kConnReset);  // posts a close: retried
    ASSERT_TRUE(RunUntil([this] { return server.Accepted() == 2; }));
    ASSERT_TRUE(Welcomed());
}

TEST_F(LinkTest, DisconnectClearsTheLobby) {
    NewFriend("Ann");
    server.script.onlineFriends = {{"Ann", 2, 1}};
    server.script.rooms = {peers::MasterRoomRecord(2, false, 3, "Side")};
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(RunUntil([] { return FindFriend("ann")->present == 1; }));
    views.calls.clear();
    LobbyDisconnect(false);
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);
    EXPECT_EQ(LobbyModel.currentRoom, nullptr);
    EXPECT_TRUE(LobbyModel.rooms.empty());
    EXPECT_EQ(FindFriend("ann")->present, 0);
    EXPECT_EQ(FindFriend("ann")->status, 1);
    EXPECT_EQ(views.roomLabel, "");
    EXPECT_EQ(host.captions.back(), "Pelkorin v2.00.136 (NO SERVER INCLUDED)");
    EXPECT_EQ(host.uiStates.back(), "7 on, lobby 2");
    EXPECT_EQ(host.titles.back(), "Pelkorin");
    EXPECT_EQ(host.hints.back(), "Disconnected");
    EXPECT_EQ(views.button, OwnStatusButton::meactive);
    EXPECT_FALSE(LobbyLink.framed);
    EXPECT_EQ(LobbyLink.socket, -1);
}

TEST_F(LinkTest, ClosingDownAndCloseAfterError) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    host.closingDown = true;
    const std::size_t states = host.uiStates.size();
    host.closeAfterError = true;
    server.Last()->Close();
    ASSERT_TRUE(Down());
    EXPECT_EQ(host.uiStates.size(), states);  // no "sbdisconnected" while closing down
    EXPECT_EQ(host.calls, (std::vector<std::string>{"CloseMainWindow"}));
    DrainEvents();
    EXPECT_EQ(server.Accepted(), 1);  // closing, not retrying
}

}  // namespace
}  // namespace pk::test
