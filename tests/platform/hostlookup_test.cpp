// Connections to host names: the lookup runs off the main thread with a resolver stand-in the
// test holds shut, so each case sees the connection while its lookup is still running.
#include "platform/hostlookup.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/winsock.h"
#include "support/event_loop.h"

namespace pk {
namespace {

// A resolver that blocks every lookup until the test opens it, and notes where it ran.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int started = 0;
    int finished = 0;
    std::vector<std::string> hosts;
    bool ranOnMainThread = false;

    void Open() {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    bool Started(int count) {
        return test::RunUntil([&] {
            std::lock_guard lock(mutex);
            return started >= count;
        });
    }
};

HostResolver GatedResolver(const std::shared_ptr<Gate>& gate, QThread* mainThread) {
    return [gate, mainThread](const std::string& host, int* error) -> std::optional<std::uint32_t> {
        std::unique_lock lock(gate->mutex);
        gate->ranOnMainThread |= QThread::currentThread() == mainThread;
        gate->hosts.push_back(host);
        ++gate->started;
        gate->changed.wait(lock, [&] { return gate->open; });
        ++gate->finished;
        if (host == "nowhere.test") {
            *error = wsa::kHostNotFound;
            return std::nullopt;
        }
        return htonl(INADDR_LOOPBACK);
    };
}

struct Event {
    int id;
    int event;
    int error;
};

class HostLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureEventLoop();
        SetHostResolver(GatedResolver(gate, QThread::currentThread()));
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        ASSERT_GE(listener, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ASSERT_EQ(::listen(listener, 8), 0);
        socklen_t length = sizeof addr;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length);
        port = ntohs(addr.sin_port);
        // The connect events only: a connection that is made also says it can be written.
        sockets->SetEventHandler([this](int id, int event, int error) {
            if (event == FD_CONNECT) {
                events.push_back({id, event, error});
            }
        });
    }
    void TearDown() override {
        // No worker stays blocked for the tests after this one.
        gate->Open();
        SetHostResolver({});
        sockets.reset();
        test::DrainEvents();
        ::close(listener);
    }

    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    std::unique_ptr<AsyncSockets> sockets = std::make_unique<AsyncSockets>();
    std::vector<Event> events;  // FD_CONNECT
    int listener = -1;
    std::uint16_t port = 0;
};

TEST_F(HostLookupTest, ANameIsLookedUpOffTheMainThreadWhileConnectReturns) {
    const int id = sockets->ConnectHost("region.test", port, 0);
    ASSERT_GT(id, 0);
    EXPECT_TRUE(sockets->IsOpen(id));
    ASSERT_TRUE(gate->Started(1));
    test::DrainEvents();
    EXPECT_TRUE(events.empty());
    int error = 0;
    char byte = 0;
    EXPECT_EQ(sockets->Send(id, "x", 1, &error), -1);
    EXPECT_EQ(error, wsa::kNotConnected);
    EXPECT_EQ(sockets->Recv(id, &byte, 1, &error), -1);
    EXPECT_EQ(error, wsa::kNotConnected);

    gate->Open();
    ASSERT_TRUE(test::RunUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events[0].id, id);
    EXPECT_EQ(events[0].event, FD_CONNECT);
    EXPECT_EQ(events[0].error, 0);
    EXPECT_EQ(gate->hosts, std::vector<std::string>{"region.test"});
    EXPECT_FALSE(gate->ranOnMainThread);
    EXPECT_EQ(sockets->Send(id, "x", 1, &error), 1);
}

TEST_F(HostLookupTest, ANameThatDoesNotResolveEndsInTheConnectError) {
    const int id = sockets->ConnectHost("nowhere.test", port, 0);
    gate->Open();
    ASSERT_TRUE(test::RunUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events[0].id, id);
    EXPECT_EQ(events[0].event, FD_CONNECT);
    EXPECT_EQ(events[0].error, wsa::kHostNotFound);
    EXPECT_TRUE(sockets->IsOpen(id));  // the owner closes it, as after any failed connect
    EXPECT_TRUE(sockets->Close(id, nullptr));
}

TEST_F(HostLookupTest, DottedAddressesAndEmptyNamesNeedNoLookup) {
    const int dotted = sockets->ConnectHost("127.0.0.1", port, 0);
    const int empty = sockets->ConnectHost("", port, 0);
    ASSERT_TRUE(test::RunUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(gate->started, 0);
    for (const Event& e : events) {
        EXPECT_EQ(e.event, FD_CONNECT);
        EXPECT_EQ(e.error, e.id == dotted ? 0 : wsa::kHostNotFound) << e.id;
    }
    EXPECT_NE(dotted, empty);
}

// A lookup that ends after its connection was closed, timed out or its owner destroyed
// reaches nobody.
TEST_F(HostLookupTest, ALateLookupReachesNoClosedConnectionAndNoDestroyedOwner) {
    const int closed = sockets->ConnectHost("closed.test", port, 0);
    const int timed = sockets->ConnectHost("timed.test", port, 50);
    ASSERT_TRUE(gate->Started(2));
    EXPECT_TRUE(sockets->Close(closed, nullptr));
    ASSERT_TRUE(test::RunUntil([&] { return !events.empty(); }));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].id, timed);
    EXPECT_EQ(events[0].error, wsa::kTimedOut);

    auto other = std::make_unique<AsyncSockets>();
    int otherEvents = 0;
    other->SetEventHandler([&](int, int, int) { ++otherEvents; });
    other->ConnectHost("gone.test", port, 0);
    ASSERT_TRUE(gate->Started(3));
    other.reset();
    gate->Open();
    // Every lookup has ended and handed on whatever it was going to.
    ASSERT_TRUE(test::RunUntil([&] {
        std::lock_guard lock(gate->mutex);
        return gate->finished == 3;
    }));
    test::DrainEvents();
    const int probe = sockets->ConnectHost("probe.test", port, 0);
    ASSERT_TRUE(test::RunUntil([&] { return events.size() == 2u; }));
    EXPECT_EQ(events[1].id, probe);
    EXPECT_EQ(events[1].error, 0);
    EXPECT_EQ(otherEvents, 0);
}

}  // namespace
}  // namespace pk
