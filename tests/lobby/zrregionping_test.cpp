// The region pinger against scripted regions on loopback, with the clock in the test's hand.
#include "lobby/zrregionping.h"

#include "lobby_fixture.h"
#include "peers/region_answerer.h"

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
        LobbyTest::TearDown();
    }
    RegionAnswerer& Region(const std::string& name, std::int32_t id, RegionMode mode) {
        auto& peer = peers_.emplace_back(std::make_unique<RegionAnswerer>());
        peer->mode = mode;
        EXPECT_TRUE(peer->Listen());
        NewRegion(name, id, 0, 0, "127.0.0.1", peer->Port());
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

}  // namespace
}  // namespace pk::test
