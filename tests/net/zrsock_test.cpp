#include "net/zrsock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "peers/loopback.h"
#include "platform/winsock.h"
#include "support/event_loop.h"

namespace pk {
namespace {

using peers::LoopbackListener;
using peers::PeerConnection;
using test::RunUntil;

struct RecordedNotice {
    std::string text;
    std::string caption;
};

class RecordingNotices final : public TZRSockNotices {
public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        shown.push_back({text, caption});
    }
    void EndProgram() override { ++endRequests; }
    std::vector<RecordedNotice> shown;
    int endRequests = 0;
};

struct SockError {
    int socket;
    int code;
    std::string func;
    std::string msg;
};

// A socket with every event recorded in arrival order.
class SockFixture : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureEventLoop();
        SetSocketNotices(&notices);
        ASSERT_TRUE(server.Listen());
        sock.IPAddr = "127.0.0.1";
        sock.Port = std::to_string(server.Port());
        sock.OnSessionConnected = [this](TZRSock*, int s) {
            events.push_back("connected " + Id(s));
        };
        sock.OnDataAvailable = [this](TZRSock* sender, int s) {
            events.push_back("data " + Id(s));
            if (readOnData) {
                std::string chunk;
                sender->getstring(s, chunk);
                reads.push_back(chunk);
                received += chunk;
            }
        };
        sock.OnDataNeeded = [this](TZRSock*, int s) { events.push_back("writable " + Id(s)); };
        sock.OnSessionClosed = [this](TZRSock*, int s) { events.push_back("closed " + Id(s)); };
        sock.OnErrorOccurred = [this](TZRSock*, int s, int code, const std::string& func,
                                      const std::string& msg) {
            errors.push_back({s, code, func, msg});
            events.push_back("error " + func);
        };
    }
    void TearDown() override {
        SetSocketNotices(nullptr);
        test::DrainEvents();
    }

    static std::string Id(int s) { return std::to_string(s); }
    bool Saw(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }
    PeerConnection* ConnectAndAccept(int& socket) {
        sock.Connect(socket);
        const std::size_t before = server.Connections().size();
        if (!RunUntil([&] {
                return server.Connections().size() > before && Saw("connected " + Id(socket));
            })) {
            return nullptr;
        }
        return server.Connections().back();
    }

    RecordingNotices notices;
    LoopbackListener server;
    TZRSock sock;
    std::vector<std::string> events;
    std::vector<std::string> reads;
    std::vector<SockError> errors;
    std::string received;
    bool readOnData = true;
};

TEST(WinSockErrorText, KnownAndUnknownCodes) {
    EXPECT_EQ(WinSockErrorText(10035), "Operation would block");
    EXPECT_EQ(WinSockErrorText(10047), "Address family not supported by protocol family");
    EXPECT_EQ(WinSockErrorText(10054), "Connection reset by peer");
    EXPECT_EQ(WinSockErrorText(10059), "Too many references: can't splice");
    EXPECT_EQ(WinSockErrorText(10060), "Connection timed out");
    EXPECT_EQ(WinSockErrorText(11004), "No Data");
    EXPECT_EQ(WinSockErrorText(10010), "Not a WinSock error");
    EXPECT_EQ(WinSockErrorText(0), "Not a WinSock error");
    EXPECT_FALSE(IsWinSockError(10010));
    EXPECT_FALSE(IsWinSockError(0));
    EXPECT_TRUE(IsWinSockError(10004));
    EXPECT_TRUE(IsWinSockError(11004));
    // Every code the platform layer can produce has a real text.
    for (int err = 1; err < 134; ++err) {
        EXPECT_TRUE(IsWinSockError(WinSockCodeFromErrno(err))) << err;
        EXPECT_NE(WinSockErrorText(WinSockCodeFromErrno(err)), "Not a WinSock error") << err;
    }
}

TEST_F(SockFixture, ConnectThenEveryByteInAReadOfItsOwnBeforeTheClose) {
    int s = 0;
    PeerConnection* peer = ConnectAndAccept(s);
    ASSERT_NE(peer, nullptr);
    EXPECT_GT(s, 0);
    sock.Sockets().SetReadLimit(s, 1);
    peer->Send("hello");
    peer->CloseAfterSending();
    ASSERT_TRUE(RunUntil([&] { return Saw("closed " + Id(s)); }));
    EXPECT_EQ(received, "hello");
    EXPECT_EQ(reads, (std::vector<std::string>{"h", "e", "l", "l", "o"}));
    // The close comes after the last data event, and only once.
    EXPECT_EQ(events.back(), "closed " + Id(s));
    EXPECT_EQ(std::count(events.begin(), events.end(), "closed " + Id(s)), 1);
    EXPECT_EQ(events.front(), "connected " + Id(s));
    EXPECT_TRUE(errors.empty());
}

TEST_F(SockFixture, ReadsAreAtMost4096BytesAndDataEventRepeats) {
    int s = 0;
    PeerConnection* peer = ConnectAndAccept(s);
    ASSERT_NE(peer, nullptr);
    const std::string big(10000, 'x');
    peer->Send(big);
    ASSERT_TRUE(RunUntil([&] { return received.size() == big.size(); }));
    for (const auto& chunk : reads) {
        EXPECT_LE(chunk.size(), 4096u);
    }
    EXPECT_GE(reads.size(), 3u);
}

TEST_F(SockFixture, UnreadDataIsOfferedAgainAfterARead) {
    readOnData = false;
    int s = 0;
    PeerConnection* peer = ConnectAndAccept(s);
    ASSERT_NE(peer, nullptr);
    peer->Send("abc");
    ASSERT_TRUE(RunUntil([&] { return Saw("data " + Id(s)); }));
    // Without a read the event does not repeat (no busy loop) ...
    test::DrainEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), "data " + Id(s)), 1);
    // ... and after a partial read it comes again for the rest.
    sock.Sockets().SetReadLimit(s, 1);
    std::string chunk;
    sock.getstring(s, chunk);
    EXPECT_EQ(chunk, "a");
    ASSERT_TRUE(
        RunUntil([&] { return std::count(events.begin(), events.end(), "data " + Id(s)) == 2; }));
}

TEST_F(SockFixture, MissingPortOrAddressShowsAMessageAndStartsNothing) {
    int s = 77;
    sock.Port.clear();
    sock.Connect(s);
    sock.Port = "16803";
    sock.IPAddr.clear();
    sock.Connect(s);
    EXPECT_EQ(s, 77);
    ASSERT_EQ(notices.shown.size(), 2u);
    EXPECT_EQ(notices.shown[0].text, "No Port Specified");
    EXPECT_EQ(notices.shown[0].caption, "WINSOCK ERROR");
    EXPECT_EQ(notices.shown[1].text, "No IP Address Specified");
    EXPECT_EQ(sock.Sockets().OpenCount(), 0u);
}

TEST_F(SockFixture, UnresolvableHostEndsInAnErrorEvent) {
    sock.IPAddr = "no-such-host.invalid";
    int s = 0;
    sock.Connect(s);
    EXPECT_GT(s, 0);
    ASSERT_TRUE(RunUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(sock.LastSocket(), -1);
    EXPECT_EQ(errors[0].socket, s);
    EXPECT_EQ(errors[0].func, "FD_CONNECT");
    EXPECT_GE(errors[0].code, 11001);
    EXPECT_LE(errors[0].code, 11004);
    EXPECT_TRUE(notices.shown.empty());
    sock.Disconnect(s);
    EXPECT_EQ(sock.Sockets().OpenCount(), 0u);
}

TEST_F(SockFixture, RefusedConnectionIsReported) {
    std::uint16_t port = 0;
    {
        LoopbackListener gone;
        ASSERT_TRUE(gone.Listen());
        port = gone.Port();
    }
    sock.Port = std::to_string(port);
    int s = 0;
    sock.Connect(s);
    ASSERT_TRUE(RunUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0].func, "FD_CONNECT");
    EXPECT_EQ(errors[0].code, 10061);
    EXPECT_EQ(errors[0].msg, "Connection refused");
    EXPECT_FALSE(Saw("connected " + Id(s)));
}

TEST_F(SockFixture, ResetIsAnErrorAfterTheDataNotAClose) {
    int s = 0;
    PeerConnection* peer = ConnectAndAccept(s);
    ASSERT_NE(peer, nullptr);
    peer->Send("tail");
    ASSERT_TRUE(RunUntil([&] { return received == "tail"; }));
    peer->Reset();
    ASSERT_TRUE(RunUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0].func, "FD_CLOSE");
    EXPECT_EQ(errors[0].code, 10054);
    EXPECT_EQ(errors[0].msg, "Connection reset by peer");
    EXPECT_FALSE(Saw("closed " + Id(s)));
}

TEST_F(SockFixture, FullBufferReturnsZeroThenDataNeededFollows) {
    int s = 0;
    PeerConnection* peer = ConnectAndAccept(s);
    ASSERT_NE(peer, nullptr);
    peer->PauseReading(true);
    sock.Sockets().SetSendBufferSize(s, 4096);
    events.clear();
    const std::string block(4096, 'z');
    std::size_t accepted = 0;
    int result = 1;
    for (int i = 0; i < 10000 && result != 0; ++i) {
        result = sock.sendstring(s, block);
        accepted += static_cast<std::size_t>(result);
    }
    ASSERT_EQ(result, 0);
    EXPECT_EQ(sock.sendstring(s, "0123456789"), 0);
    EXPECT_TRUE(errors.empty());
    peer->PauseReading(false);
    ASSERT_TRUE(RunUntil([&] { return Saw("writable " + Id(s)); }));
    ASSERT_TRUE(RunUntil([&] { return peer->Inbox().size() == accepted; }));
}

TEST_F(SockFixture, SendOnResetConnectionReportsAndReturnsFullLength) {
    int s = 0;
    PeerConnection* peer = ConnectAndAccept(s);
    ASSERT_NE(peer, nullptr);
    peer->Reset();
    ASSERT_TRUE(RunUntil([&] { return !errors.empty(); }));  // the FD_CLOSE reset
    errors.clear();
    EXPECT_EQ(sock.sendstring(s, "0123456789"), 10);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].func, "sendstring");
    EXPECT_EQ(errors[0].code, 10054);
}

TEST_F(SockFixture, SeveralConnectionsAndNoEventAfterDisconnect) {
    int a = 0;
    int b = 0;
    PeerConnection* peerA = ConnectAndAccept(a);
    PeerConnection* peerB = ConnectAndAccept(b);
    ASSERT_NE(peerA, nullptr);
    ASSERT_NE(peerB, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(sock.PeerAddress(a), "127.0.0.1");
    peerB->Send("to b");
    ASSERT_TRUE(RunUntil([&] { return received == "to b"; }));
    EXPECT_TRUE(Saw("data " + Id(b)));
    EXPECT_FALSE(Saw("data " + Id(a)));

    // A posted close and data already on the wire die with the connection.
    events.clear();
    peerA->Send("late");
    sock.PostClose(a);
    sock.Disconnect(a);
    test::DrainEvents();
    peerB->Send("!");
    ASSERT_TRUE(RunUntil([&] { return received == "to b!"; }));
    EXPECT_FALSE(Saw("closed " + Id(a)));
    EXPECT_FALSE(Saw("data " + Id(a)));
    EXPECT_EQ(sock.sendstring(a, "x"), 1);  // unknown handle: reported, dropped
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back().code, 10038);

    // A new connection never gets an old handle.
    int c = 0;
    ASSERT_NE(ConnectAndAccept(c), nullptr);
    EXPECT_NE(c, a);
    EXPECT_NE(c, b);
}

TEST_F(SockFixture, PostCloseRunsTheClosePath) {
    int s = 0;
    ASSERT_NE(ConnectAndAccept(s), nullptr);
    sock.PostClose(s);
    ASSERT_TRUE(RunUntil([&] { return Saw("closed " + Id(s)); }));
}

TEST_F(SockFixture, ErrorWithoutHandlerShowsBoxAndEndsProgram) {
    sock.OnErrorOccurred = nullptr;
    EXPECT_EQ(sock.sendstring(9999, "abc"), 3);
    ASSERT_EQ(notices.shown.size(), 1u);
    EXPECT_EQ(notices.shown[0].text,
              "Error 10038 in function sendstring\r\nSocket operation on non-socket");
    EXPECT_EQ(notices.shown[0].caption, "WINSOCK ERROR");
    EXPECT_EQ(notices.endRequests, 1);
}

TEST_F(SockFixture, HangingConnectTimesOutWith10060) {
    // A listener with a full accept queue drops further handshakes, so the
    // connect neither succeeds nor fails until the time-out ends it.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 0), 0);
    socklen_t length = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    sock.Port = std::to_string(ntohs(addr.sin_port));
    sock.Timeout = 1;
    std::vector<int> handles(4, 0);
    for (int& h : handles) {
        sock.Connect(h);
    }
    const auto hung = [&] {
        return std::any_of(errors.begin(), errors.end(),
                           [](const SockError& e) { return e.code == 10060; });
    };
    const auto allConnected = [&] {
        return std::all_of(handles.begin(), handles.end(),
                           [&](int h) { return Saw("connected " + Id(h)); });
    };
    ASSERT_TRUE(RunUntil([&] { return hung() || allConnected(); }, 20000));
    if (!hung()) {
        ::close(fd);
        GTEST_SKIP() << "this system accepts handshakes beyond the listen backlog";
    }
    const auto timedOut = std::find_if(errors.begin(), errors.end(),
                                       [](const SockError& e) { return e.code == 10060; });
    EXPECT_EQ(timedOut->func, "FD_CONNECT");
    EXPECT_EQ(timedOut->msg, "Connection timed out");
    ::close(fd);
}

}  // namespace
}  // namespace pk

namespace pk {
namespace {

TEST_F(SockFixture, BlockingModeConnectsSendsAndReceivesWithoutEvents) {
    sock.SetNonBlocking(false);
    int s = 0;
    sock.Connect(s);
    ASSERT_GT(s, 0);
    EXPECT_EQ(sock.LastSocket(), s);
    ASSERT_TRUE(RunUntil([&] { return !server.Connections().empty(); }));
    PeerConnection* peer = server.Connections().back();
    EXPECT_EQ(sock.sendstring(s, "ping"), 4);
    ASSERT_TRUE(RunUntil([&] { return peer->Inbox() == "ping"; }));
    peer->Send("pong");
    std::string text;
    sock.getstring(s, text);
    EXPECT_EQ(text, "pong");
    test::DrainEvents();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(SockFixture, BlockingReadThatRunsOutOfTimeIsReportedByTheTimer) {
    sock.SetNonBlocking(false);
    sock.Timeout = 1;
    int s = 0;
    sock.Connect(s);
    ASSERT_GT(s, 0);
    std::string text = "old";
    sock.getstring(s, text);
    EXPECT_TRUE(text.empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].func, "Timer");
    EXPECT_EQ(errors[0].code, 10060);
    EXPECT_EQ(errors[0].msg, "Blocking call timed out");

    sock.OnErrorOccurred = nullptr;
    sock.getstring(s, text);
    ASSERT_EQ(notices.shown.size(), 1u);
    EXPECT_EQ(notices.shown[0].text, "Error 10060\r\nBlocking call timed out");
    EXPECT_EQ(notices.shown[0].caption, "WINSOCK CALL CANCELED");
    EXPECT_EQ(notices.endRequests, 0);
}

TEST_F(SockFixture, BlockingConnectToAnUnknownHostGivesNoHandle) {
    sock.SetNonBlocking(false);
    sock.IPAddr = "no-such-host.invalid";
    int s = 5;
    sock.Connect(s);
    EXPECT_EQ(s, -1);
    EXPECT_EQ(sock.LastSocket(), -1);
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(notices.shown.empty());
}

}  // namespace
}  // namespace pk
