// The region pinger against scripted regions on loopback, with the clock in the test's hand.
#include "lobby/zrregionping.h"

#include <arpa/inet.h>

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "lobby_fixture.h"
#include "peers/region_answerer.h"
#include "platform/hostlookup.h"
#include "support/event_loop.h"

namespace pk::test {
namespace {

using peers::RegionAnswerer;
using peers::RegionMode;

class RegionPingTest : public LobbyTest {
protected:
    void SetUp() override {
        LobbyTest::SetUp();
        Settings.lobby.pingtries = 1;
        Settings.lobby.concurrentpings = 3;
    }
    void TearDown() override {
        pinger.StopAll();
        SbRegions.clear();
        SetHostResolver({});
        LobbyTest::TearDown();
    }
    RegionAnswerer& Region(const std::string& name, std::int32_t id, RegionMode mode,
                           const std::string& host = "127.0.0.1") {
        auto& peer = peers_.emplace_back(std::make_unique<RegionAnswerer>());
        peer->mode = mode;
        EXPECT_TRUE(peer->Listen());
        NewRegion(name, id, 0, 0, host, peer->Port());
        return *peer;
    }
    tsbregion& R(const std::string& name) { return *FindRegion(name); }
    bool AllDone() {
        return RunUntil([] {
            return std::all_of(SbRegions.begin(), SbRegions.end(), [](const tsbregion& r) {
                return r.answers >= Settings.lobby.pingtries;
            });
        });
    }
    // Moves the clock on and lets the pinger see it.
    void Advance(std::int64_t ms) {
        now += ms;
        pinger.CheckTimeouts();
    }

    std::int64_t now = 1000000;
    TRegionPinger pinger{[this] { return now; }};

private:
    std::vector<std::unique_ptr<RegionAnswerer>> peers_;
};

TEST_F(RegionPingTest, AnsweringRegionsAreMeasuredWithTheAverageOfTheirTries) {
    Settings.lobby.pingtries = 3;
    RegionAnswerer& local = Region("Local", 1, RegionMode::Hold);
    pinger.StartRegionPings();
    EXPECT_EQ(RegionPingText("local"), "???ms");
    // Each answer is held until the clock has moved on by the try's time.
    const std::int64_t steps[] = {30, 60, 90};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(RunUntil([&] { return local.pings == i + 1; }));
        now += steps[i];
        local.AnswerHeld();
        ASSERT_TRUE(RunUntil([&] { return R("Local").tries == i + 1; }));
        if (i < 2) {
            EXPECT_EQ(RegionPingText("Local"), "???ms");
        }
    }
    EXPECT_EQ(R("Local").answers, 3);
    EXPECT_EQ(R("Local").givenUp, 0);
    EXPECT_EQ(R("Local").time, 60);
    EXPECT_EQ(RegionPingText("Local"), "60ms");
    EXPECT_EQ(pinger.OpenPings(), 0);
    EXPECT_EQ(local.accepted, 3);
}

TEST_F(RegionPingTest, GarbageCountsAsAnAnswer) {
    RegionAnswerer& odd = Region("Odd", 4, RegionMode::Garbage);
    pinger.StartRegionPings();
    ASSERT_TRUE(AllDone());
    EXPECT_EQ(odd.pings, 1);
    EXPECT_EQ(R("Odd").givenUp, 0);
    EXPECT_EQ(R("Odd").time, 0);
}

// A quiet close is one failed try; a socket error (reset, refused) gives the region up at once.
TEST_F(RegionPingTest, ClosingRegionsFailTheirTriesAndSocketErrorsGiveUpAtOnce) {
    Settings.lobby.pingtries = 2;
    RegionAnswerer& closing = Region("Closing", 1, RegionMode::Close);
    RegionAnswerer& resetting = Region("Resetting", 2, RegionMode::Reset);
    // A port nobody listens on: bind one, then let it go.
    std::uint16_t freePort = 0;
    {
        RegionAnswerer gone;
        ASSERT_TRUE(gone.Listen());
        freePort = gone.Port();
    }
    NewRegion("Refusing", 3, 0, 0, "127.0.0.1", freePort);
    NewRegion("Nowhere", 5, 0, 0, "", 0);
    pinger.StartRegionPings();
    ASSERT_TRUE(AllDone());
    for (const char* name : {"Closing", "Resetting", "Refusing", "Nowhere"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(R(name).tries, 2);
        EXPECT_EQ(R(name).givenUp, 1);
        EXPECT_EQ(R(name).time, NoPingTime);
        EXPECT_EQ(RegionPingText(name), "9999ms");
    }
    EXPECT_EQ(closing.accepted, 2);
    EXPECT_EQ(resetting.accepted, 1);
    EXPECT_EQ(pinger.OpenPings(), 0);
}

TEST_F(RegionPingTest, ASilentRegionTimesOutAndALateAnswerIsIgnored) {
    Settings.lobby.pingtries = 2;
    RegionAnswerer& held = Region("Held", 1, RegionMode::Hold);
    pinger.StartRegionPings();
    ASSERT_TRUE(RunUntil([&] { return held.pings == 1; }));
    Advance(RegionPingTimeoutMs - 1);
    EXPECT_EQ(R("Held").tries, 0);
    Advance(1);
    EXPECT_EQ(R("Held").tries, 1);
    // The second try: the first connection's late answer must not count for it.
    ASSERT_TRUE(RunUntil([&] { return held.pings == 2; }));
    held.AnswerHeld();
    ASSERT_TRUE(RunUntil([&] { return R("Held").tries == 2; }));
    EXPECT_EQ(R("Held").answers, 2);
    EXPECT_EQ(R("Held").givenUp, 1);  // one answer of two tries
    EXPECT_EQ(R("Held").time, 0);     // the average of the one answer
}

TEST_F(RegionPingTest, NoMoreThanTheConcurrentPingsRunAtOnce) {
    Settings.lobby.concurrentpings = 2;
    for (int i = 1; i <= 4; ++i) {
        Region("Silent" + std::to_string(i), i, RegionMode::Silent);
    }
    pinger.StartRegionPings();
    EXPECT_EQ(pinger.OpenPings(), 2);
    EXPECT_NE(R("Silent1").socket, 0);
    EXPECT_NE(R("Silent2").socket, 0);
    EXPECT_EQ(R("Silent3").socket, 0);
    Advance(RegionPingTimeoutMs);
    EXPECT_EQ(pinger.OpenPings(), 2);
    EXPECT_NE(R("Silent3").socket, 0);
    Advance(RegionPingTimeoutMs);
    EXPECT_EQ(pinger.OpenPings(), 0);
    // Given up without answers: after the measured ones, before the unmeasured ones.
    NewRegion("Fresh", 9, 0, 0, "127.0.0.1", 1);
    tsbregion measured;
    measured.name = "Fast";
    measured.answers = 1;
    measured.time = 99999;
    EXPECT_TRUE(regionlistCompare(&measured, &R("Silent1"), 3, true));
    EXPECT_TRUE(regionlistCompare(&R("Silent1"), &R("Fresh"), 3, true));
    EXPECT_TRUE(regionlistCompare(&R("Fresh"), &R("Silent1"), 3, false));
}

TEST_F(RegionPingTest, ARestartClosesOpenPingsAndResetsEveryRegion) {
    RegionAnswerer& silent = Region("Silent", 1, RegionMode::Silent);
    pinger.StartRegionPings();
    ASSERT_TRUE(RunUntil([&] { return silent.pings == 1; }));
    views.calls.clear();
    pinger.StartRegionPings();
    EXPECT_EQ(pinger.OpenPings(), 1);
    EXPECT_EQ(R("Silent").tries, 0);
    ASSERT_TRUE(RunUntil([&] { return silent.pings == 2; }));
    Advance(RegionPingTimeoutMs);
    EXPECT_EQ(R("Silent").tries, 1);
    EXPECT_EQ(R("Silent").givenUp, 1);
}

TEST_F(RegionPingTest, AMeasuredRegionRewritesItsGamesAndTheViews) {
    Connected();
    NewGame(5).region = "local";
    NewGame(6).region = "Far";
    host.locationVisible = true;
    Region("Local", 1, RegionMode::Answer);
    views.calls.clear();
    host.calls.clear();
    pinger.StartRegionPings();
    EXPECT_EQ(views.calls, (std::vector<std::string>{"~game 5", "~game 6"}));
    views.calls.clear();
    host.calls.clear();
    ASSERT_TRUE(AllDone());
    EXPECT_EQ(views.calls, (std::vector<std::string>{"~game 5"}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"FillRegionList"}));
}

TEST_F(RegionPingTest, ARegionListReplacedUnderAPingEndsItQuietly) {
    RegionAnswerer& held = Region("Held", 1, RegionMode::Hold);
    pinger.StartRegionPings();
    ASSERT_TRUE(RunUntil([&] { return held.pings == 1; }));
    SbRegions.clear();
    NewRegion("Other", 2, 0, 0, "", 0);
    held.AnswerHeld();
    ASSERT_TRUE(RunUntil([&] { return pinger.OpenPings() == 0; }));
    EXPECT_EQ(R("Other").givenUp, 1);
}

// Milliseconds this thread has waited, runnable, for a processor: a gap the machine caused by
// giving the test no time is not one the program caused.
double RunQueueWaitMs() {
    return test::RunQueueWaitNs() / 1e6;
}

// A resolver that takes 2 s per name must not hold the window up: the names are looked up off
// the main thread, and the event loop never stops answering for more than 100 ms.
TEST_F(RegionPingTest, SlowNameLookupsLeaveTheEventLoopAnswering) {
    auto onMainThread = std::make_shared<std::atomic<int>>(0);
    QThread* mainThread = QThread::currentThread();
    SetHostResolver([onMainThread, mainThread](const std::string&, int*) {
        if (QThread::currentThread() == mainThread) {
            ++*onMainThread;
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
        return std::optional<std::uint32_t>(htonl(INADDR_LOOPBACK));
    });
    Settings.lobby.concurrentpings = 5;
    for (int i = 1; i <= 5; ++i) {
        Region("Named" + std::to_string(i), i, RegionMode::Answer,
               "region" + std::to_string(i) + ".example.test");
    }
    // The longest stretch between two ticks of a 5 ms timer, less the time the thread waited
    // for a processor meanwhile.
    QElapsedTimer clock;
    clock.start();
    double last = 0;
    double lastWait = RunQueueWaitMs();
    double worst = 0;
    const auto measure = [&] {
        const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        const double wait = RunQueueWaitMs();
        worst = std::max(worst, (now - last) - (wait - lastWait));
        last = now;
        lastWait = wait;
    };
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, measure);
    tick.start();
    pinger.StartRegionPings();  // a lookup on this thread would show as a gap here
    ASSERT_TRUE(AllDone());
    tick.stop();
    measure();
    EXPECT_LT(worst, 100.0);
    EXPECT_EQ(*onMainThread, 0);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(R("Named" + std::to_string(i)).givenUp, 0) << i;
    }
}

// A name that does not resolve is a socket error: the region is given up after one lookup.
TEST_F(RegionPingTest, ANameThatDoesNotResolveGivesTheRegionUp) {
    auto lookups = std::make_shared<std::atomic<int>>(0);
    SetHostResolver([lookups](const std::string&, int* error) {
        ++*lookups;
        *error = 11001;
        return std::optional<std::uint32_t>();
    });
    Settings.lobby.pingtries = 3;
    NewRegion("Unknown", 1, 0, 0, "nowhere.example.test", 16000);
    pinger.StartRegionPings();
    ASSERT_TRUE(AllDone());
    EXPECT_EQ(*lookups, 1);
    EXPECT_EQ(R("Unknown").givenUp, 1);
    EXPECT_EQ(R("Unknown").time, NoPingTime);
    EXPECT_EQ(pinger.OpenPings(), 0);
}

}  // namespace
}  // namespace pk::test
