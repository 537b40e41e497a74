// The game link end to end against the scripted game server on loopback.
#include <algorithm>
#include <stdexcept>

#include "room/gamelink_fixture.h"

namespace pk {
namespace {

TEST_F(GameLinkTest, WholeRoadFromConnectToRoomAndBack) {
    Connect();
    EXPECT_EQ(ClientState.game.GameLinkState, LinkJoining);
    ASSERT_TRUE(Joined());
    GameServerSession& session = Session();
    EXPECT_EQ(session.LoginLine(), "login alice 136");

    // Seed reply: random number, team text, join mode.
    ASSERT_FALSE(session.Frames().empty());
    const GameFrame& reply = session.Frames()[0];
    EXPECT_EQ(reply.type, 0x01);
    const auto number = std::stoull(TokenAt(1, reply.payload, '\x02'));
    EXPECT_GE(number, 1u);
    EXPECT_LE(number, 4294967295u);
    EXPECT_EQ(TokenAt(2, reply.payload, '\x02'), "red");
    EXPECT_EQ(TokenAt(3, reply.payload, '\x02'), "0");

    // Joined into slot 1.
    ASSERT_NE(ClientState.game.OwnPlayer, nullptr);
    EXPECT_EQ(ClientState.game.OwnSlot, 1);
    EXPECT_EQ(ClientState.game.Spectating, 0);
    EXPECT_EQ(SlotPlayers[1], ClientState.game.OwnPlayer);
    EXPECT_EQ(host.joinResults, std::vector<bool>{true});
    ASSERT_FALSE(host.chat.empty());
    EXPECT_EQ(host.chat.back(), Chat("~12*** ~01alice~ is now playing"));
    EXPECT_NE(std::find(host.sounds.begin(), host.sounds.end(), "zrstart"), host.sounds.end());

    // Room frames arrive; a field difference lands in the player's field.
    session.SendFrame(0x0d,
                      "2\x02"
                      "bob\x02"
                      "blue");
    std::string field(12 * 22, '0');
    field[12 * 21] = '3';
    field[12 * 21 + 11] = 'n';
    session.SendFrame(0x08, "2\x02" + peers::EncodeFieldDiff(field));
    ASSERT_TRUE(RunUntil([] {
        return SlotPlayers[2] && SlotPlayers[2]->plr && SlotPlayers[2]->plr->field[12 * 21] == '3';
    }));
    EXPECT_EQ(SlotPlayers[2]->plr->field, field);
    EXPECT_EQ(SlotPlayers[2]->TeamName, "blue");

    // The client's frames after the join decode on the server (keys in step).
    SendGameMessage(0x14, "hello");
    SendGameMessage(0x05, "");
    ASSERT_TRUE(RunUntil([&] { return session.Frames().size() == 3; }));
    EXPECT_EQ(session.Frames()[1].type, 0x14);
    EXPECT_EQ(session.Frames()[1].payload, "hello");
    EXPECT_EQ(session.Frames()[2].type, 0x05);

    // The server closes: the room link just ends.
    session.Connection().CloseAfterSending();
    ASSERT_TRUE(Down());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(PlayerCount(), 0);
    SendGameMessage(0x14, "after the end");  // nowhere to go: not kept
    EXPECT_TRUE(GameLink.GameSendQueue.empty());
    // Connecting, in the room, disconnected: each fires its own skin event.
    EXPECT_EQ(host.uiStates,
              (std::vector<std::string>{"2 on, link 0", "2 on, link 1", "2 on, link 2"}));
}

TEST_F(GameLinkTest, LobbyKeyAndServerAddressEnterTheSendKey) {
    host.lobbyUp = true;
    GameLink.LobbyGameKey = 0xC0FFEE11u;
    GameLink.JoinMode = 2;
    server.OnSession = [](GameServerSession& s) {
        s.UseLobbyKey = true;
        s.LobbyKey = 0xC0FFEE11u;
    };
    Connect();
    ASSERT_TRUE(Joined());
    EXPECT_EQ(TokenAt(3, Session().Frames()[0].payload, '\x02'), "2");
    SendGameMessage(0x14, "through the lobby");
    ASSERT_TRUE(RunUntil([&] { return Session().Frames().size() == 2; }));
    EXPECT_EQ(Session().Frames()[1].payload, "through the lobby");
}

// The scripted server open to everyone reads the join of a player logged in to a lobby and of
// one who is not, each with the key that player mixed in.
TEST_F(GameLinkTest, AServerOpenToEveryoneTakesEitherKindOfJoin) {
    server.OnSession = [](GameServerSession& s) { s.AcceptEitherKey = true; };
    for (bool lobby : {false, true}) {
        host.lobbyUp = lobby;
        GameLink.LobbyGameKey = 0;
        Connect();
        ASSERT_TRUE(Joined()) << lobby;
        SendGameMessage(0x14, lobby ? "logged in" : "alone");
        ASSERT_TRUE(RunUntil([&] { return Session().Frames().size() == 2; })) << lobby;
        EXPECT_EQ(Session().Frames()[1].payload, lobby ? "logged in" : "alone");
        GameDisconnect();
        ASSERT_TRUE(Down());
    }
}

TEST_F(GameLinkTest, KeyStateOfZeroIsStillAKey) {
    // A running key may pass through 0; only the flag says whether the seed
    // exchange happened. Here both keys stand at 0 when the join reply comes.
    ClientState.game.GameLinkState = LinkJoining;
    GameLink.BinaryPhase = true;
    GameLink.GameRecvKey = {0u, true, ScrambleMulA, ScrambleAddA};
    GameLink.GameSendKey = {0u, true, ScrambleMulB, ScrambleAddB};
    TScrambleKey serverSend{0u, true, ScrambleMulA, ScrambleAddA};
    std::string frame = *BuildGameFrame(0x01,
                                        "2\x02"
                                        "alice\x02");
    serverSend.Scramble(frame);
    GameLink.GameRecvBuffer.clear();
    GameLink.GameRecvBuffer.Append(frame);
    GameReceive();
    EXPECT_EQ(ClientState.game.GameLinkState, LinkInRoom);
    EXPECT_EQ(ClientState.game.OwnSlot, 2);
    EXPECT_TRUE(GameLink.GameRecvBuffer.empty());
}

TEST_F(GameLinkTest, EveryByteInAReadOfItsOwn) {
    Connect();
    GameSock().Sockets().SetReadLimit(GameLink.GameSocket, 1);
    ASSERT_TRUE(Joined());
    Session().SendFrame(0x0d,
                        "3\x02"
                        "carol\x02");
    Session().SendFrame(0x0e,
                        "carol\x02"
                        "green");
    ASSERT_TRUE(RunUntil([&] { return host.chat.size() >= 3; }));
    EXPECT_EQ(host.chat[1], Chat("~12*** ~01carol~ is now playing"));
    EXPECT_EQ(host.chat[2], Chat("~11*** ~01carol~ is now on team ~01green"));
}

TEST_F(GameLinkTest, TwoFramesInOneReadDispatchInOrder) {
    Connect();
    ASSERT_TRUE(Joined());
    GameServerSession& session = Session();
    const std::string bob = std::string("\x0d") +
                            "2\x02"
                            "bob\x02";
    const std::string carol = std::string("\x0d") +
                              "3\x02"
                              "carol\x02";
    std::string both = session.ScrambleFrame(static_cast<std::uint16_t>(bob.size()), bob);
    both += session.ScrambleFrame(static_cast<std::uint16_t>(carol.size()), carol);
    session.SendRaw(both);
    ASSERT_TRUE(RunUntil([&] { return host.chat.size() >= 3; }));
    EXPECT_EQ(host.chat[1], Chat("~12*** ~01bob~ is now playing"));
    EXPECT_EQ(host.chat[2], Chat("~12*** ~01carol~ is now playing"));
}

TEST_F(GameLinkTest, HeaderSplitAcrossReads) {
    Connect();
    ASSERT_TRUE(Joined());
    GameSock().Sockets().SetReadLimit(GameLink.GameSocket, 1);
    Session().SendFrameInPieces(0x0a, "9", 1);
    ASSERT_TRUE(RunUntil([] { return ClientState.game.AverageLevel == 9; }));
}

TEST_F(GameLinkTest, PartialSendsKeepFramesInOrder) {
    Connect();
    ASSERT_TRUE(Joined());
    GameServerSession& session = Session();
    session.Connection().PauseReading(true);
    session.Connection().SetReceiveBufferSize(2048);
    GameSock().Sockets().SetSendBufferSize(GameLink.GameSocket, 2048);
    const int count = 400;  // well past what the socket buffers and the window can hold
    for (int i = 0; i < count; ++i) {
        SendGameMessage(0x14, std::to_string(i) + std::string(700, 'p'));
    }
    EXPECT_FALSE(GameLink.GameSendQueue.empty());  // the socket could not take it all
    session.Connection().PauseReading(false);
    ASSERT_TRUE(RunUntil([&] { return session.Frames().size() == count + 1u; }, 30000));
    for (int i = 0; i < count; ++i) {
        const GameFrame& frame = session.Frames()[i + 1];
        ASSERT_EQ(frame.type, 0x14);
        ASSERT_EQ(frame.payload, std::to_string(i) + std::string(700, 'p')) << i;
    }
    EXPECT_TRUE(GameLink.GameSendQueue.empty());
}

TEST_F(GameLinkTest, ServerResetMidFrameInTheRoom) {
    Connect();
    ASSERT_TRUE(Joined());
    GameServerSession& session = Session();
    const std::string frame = session.ScrambleFrame(20, std::string("\x14") + std::string(19, 'x'));
    session.SendRaw(frame.substr(0, 7));
    ASSERT_TRUE(RunUntil([] { return GameLink.GameRecvBuffer.size() == 5; }));
    session.Connection().Reset();
    ASSERT_TRUE(Down());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(GameLinkTest, ServerResetWhileJoiningTellsThePlayer) {
    server.options.seed.clear();
    Connect();
    ASSERT_TRUE(RunUntil([] { return GameLink.BinaryPhase; }));
    Session().SendRaw("\x01\x02");
    Session().Connection().Reset();
    ASSERT_TRUE(Down());
    EXPECT_EQ(host.messages, std::vector<std::string>{kUnable});
    EXPECT_EQ(host.joinResults, std::vector<bool>{false});
}

TEST_F(GameLinkTest, UpdateReplyStartsTheUpdateClient) {
    server.options.loginReply = "update";
    Connect();
    ASSERT_TRUE(RunUntil([&] { return !host.messages.empty(); }));
    EXPECT_EQ(ClientState.game.GameLinkState, LinkDown);
    EXPECT_EQ(host.messages[0],
              "You have an old version of Pelkorin.  Press OK to check online for an upgrade!");
    EXPECT_EQ(host.updateHost, UpdateServerHost);
    EXPECT_EQ(host.updatePort, 16705);
}

TEST_F(GameLinkTest, ErrorReplyShowsTheServersText) {
    server.options.loginReply = "ERROR The room is full, sorry";
    Connect();
    ASSERT_TRUE(RunUntil([&] { return !host.messages.empty(); }));
    EXPECT_EQ(ClientState.game.GameLinkState, LinkDown);
    EXPECT_EQ(host.messages[0], "The room is full, sorry");
    EXPECT_EQ(host.joinResults, std::vector<bool>{false});
}

TEST_F(GameLinkTest, UnexpectedFirstWordFails) {
    server.options.loginReply = "welcome";
    Connect();
    ASSERT_TRUE(RunUntil([&] { return !host.messages.empty(); }));
    EXPECT_EQ(ClientState.game.GameLinkState, LinkDown);
    EXPECT_EQ(host.messages[0], kUnable);
}

TEST_F(GameLinkTest, TextLineOverLimitWithoutCrLfEndsTheLink) {
    server.options.loginReply.clear();
    Connect();
    ASSERT_TRUE(RunUntil([&] { return server.Last() && !server.Last()->LoginLine().empty(); }));
    Session().SendRaw(std::string(1000, 'a'));
    ASSERT_TRUE(RunUntil([] { return GameLink.GameRecvBuffer.size() == 1000; }));
    EXPECT_EQ(ClientState.game.GameLinkState, LinkJoining);  // 1000 bytes may still end well
    Session().SendRaw("a");
    ASSERT_TRUE(Down());
    EXPECT_EQ(host.messages, std::vector<std::string>{kUnable});
}

TEST_F(GameLinkTest, FrameOfLengthZeroEndsTheLink) {
    Connect();
    ASSERT_TRUE(Joined());
    Session().SendRaw(Session().ScrambleFrame(0, ""));
    ASSERT_TRUE(Down());
    EXPECT_TRUE(LogHas("Empty message from the game server"));
}

TEST_F(GameLinkTest, UnknownTypeInTheRoomLogsAndDisconnects) {
    Connect();
    ASSERT_TRUE(Joined());
    Session().SendFrame(200, "what");
    ASSERT_TRUE(Down());
    EXPECT_TRUE(LogHas("Error with command 200\r\n"));
}

TEST_F(GameLinkTest, OtherThanJoinWhileJoiningEndsTheLink) {
    server.options.autoJoin = false;
    server.OnSession = [](GameServerSession& s) {
        s.OnSeedReply = [](GameServerSession& session, const GameFrame&) {
            session.SendFrame(0x05, "");
        };
    };
    Connect();
    ASSERT_TRUE(Down());
    EXPECT_EQ(host.joinResults, std::vector<bool>{false});
}

TEST_F(GameLinkTest, FailingHandlerCostsOnlyItsMessage) {
    Handle(0x0c, [](const std::string&) { throw std::runtime_error("boom"); });
    Connect();
    ASSERT_TRUE(Joined());
    Session().SendFrame(0x0c,
                        "1\x02"
                        "x");
    Session().SendFrame(0x0a, "4");
    ASSERT_TRUE(RunUntil([] { return ClientState.game.AverageLevel == 4; }));
    EXPECT_EQ(ClientState.game.GameLinkState, LinkInRoom);
    // state, type, frame length, body
    EXPECT_TRUE(LogHas("Error in command 1 12 4 1\x02x\r\n"));
    EXPECT_TRUE(host.reported.empty());
}

TEST_F(GameLinkTest, OversizedMessageIsRefusedAndTheStreamStaysIntact) {
    Connect();
    ASSERT_TRUE(Joined());
    SendGameMessage(0x14, std::string(65535, 'x'));
    EXPECT_TRUE(LogHas("too long to send"));
    SendGameMessage(0x14, std::string(65534, 'y'));
    SendGameMessage(0x14, "after");
    ASSERT_TRUE(RunUntil([&] { return Session().Frames().size() == 3; }));
    EXPECT_EQ(Session().Frames()[1].payload, std::string(65534, 'y'));
    EXPECT_EQ(Session().Frames()[2].payload, "after");
}

TEST_F(GameLinkTest, DataArrivingWhileAHandlerPumpsIsParsedByTheRunningLoop) {
    std::vector<std::string> order;
    int depth = 0;
    int deepest = 0;
    Handle(0x0c, [&](const std::string& payload) {
        ++depth;
        deepest = std::max(deepest, depth);
        order.push_back(payload);
        if (payload == "first") {
            // A handler that runs the event loop, as a message box would.
            Session().SendFrame(0x0c, "second");
            RunUntil([] { return !GameLink.GameRecvBuffer.empty(); });
        }
        --depth;
    });
    Connect();
    ASSERT_TRUE(Joined());
    Session().SendFrame(0x0c, "first");
    ASSERT_TRUE(RunUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(deepest, 1);
}

TEST_F(GameLinkTest, UnresolvableHostEndsConnectingWithAMessage) {
    GameConnect("no-such-host.invalid", 31459);
    ASSERT_TRUE(Down());
    EXPECT_EQ(host.messages, std::vector<std::string>{kUnable});
    EXPECT_EQ(host.joinResults, std::vector<bool>{false});
}

TEST_F(GameLinkTest, ReconnectDropsTheOldConnection) {
    Connect();
    ASSERT_TRUE(Joined());
    GameServerSession* first = &Session();
    host.chat.clear();
    Connect();
    ASSERT_TRUE(Joined());
    ASSERT_NE(&Session(), first);
    ASSERT_TRUE(RunUntil([&] { return first->Connection().PeerClosed(); }));
    first->SendFrame(0x0d,
                     "4\x02"
                     "ghost\x02");
    Session().SendFrame(0x0d,
                        "3\x02"
                        "dave\x02");
    ASSERT_TRUE(RunUntil([] { return FindPlayer("dave") != nullptr; }));
    EXPECT_EQ(FindPlayer("ghost"), nullptr);
}

TEST_F(GameLinkTest, OnlyRealSocketErrorsEndTheLink) {
    Connect();
    ASSERT_TRUE(Joined());
    TZRSock& sock = GameSock();
    const int socket = GameLink.GameSocket;
    sock.OnErrorOccurred(&sock, socket, 10035, "getstring", WinSockErrorText(10035));
    sock.OnErrorOccurred(&sock, socket, 10057, "sendstring", WinSockErrorText(10057));
    sock.OnErrorOccurred(&sock, socket, 10038, "sendstring", WinSockErrorText(10038));
    sock.OnErrorOccurred(&sock, socket, 10010, "sendstring", WinSockErrorText(10010));
    test::DrainEvents();
    EXPECT_EQ(ClientState.game.GameLinkState, LinkInRoom);
    sock.OnErrorOccurred(&sock, socket, 10053, "sendstring", WinSockErrorText(10053));
    ASSERT_TRUE(Down());
}

}  // namespace
}  // namespace pk
