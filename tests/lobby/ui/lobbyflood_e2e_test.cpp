// Floods from the scripted master server on loopback into the lobby window shown offscreen:
// however many users join, the window's event loop keeps coming round, and the lists end as
// the lobby model holds them.
#include <QListView>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <random>

#include "gamesetup/ui/zrgamesetupform.h"
#include "lobby/link_fixture.h"
#include "lobby/ui/zrbrowser.h"
#include "lobby/ui/zrlobbywindowhost.h"
#include "lobby/ui/zrquery.h"
#include "lobby/ui/zrsignupform.h"
#include "lobby/zrlobbydispatch.h"
#include "support/widgetapp.h"

namespace pk::test {
namespace {

class LobbyFloodTest : public LinkTest {
protected:
    void SetUp() override {
        EnsureWidgetApp();
        LinkTest::SetUp();
        browser = std::make_unique<Tzrbrowser>();
        browser->misctimer()->stop();
        setup = std::make_unique<Tzrgamesetup>();
        query = std::make_unique<Tsbquery>();
        signup = std::make_unique<Tzrsignup>();
        windowHost = std::make_unique<TLobbyWindowHost>(browser.get(), setup.get(), query.get(),
                                                        signup.get());
        SetLobbyHost(windowHost.get());
        browser->resize(960, 634);
        browser->show();
        server.script.users = {peers::MasterUserRecord("Ada", 1, 1),
                               peers::MasterUserRecord("Bo", 3, 2)};
        // Joins and parts are written to the lobby chat too.
        Settings.lobby.showjoinsparts = 1;
    }
    void TearDown() override {
        LinkTest::TearDown();
        SetLobbyHost(nullptr);
        windowHost.reset();
        signup.reset();
        query.reset();
        setup.reset();
        browser.reset();
        DrainEvents();
    }

    std::unique_ptr<Tzrbrowser> browser;
    std::unique_ptr<Tzrgamesetup> setup;
    std::unique_ptr<Tsbquery> query;
    std::unique_ptr<Tzrsignup> signup;
    std::unique_ptr<TLobbyWindowHost> windowHost;
};

TEST_F(LobbyFloodTest, FiftyThousandJoinsLeaveTheWindowAnswering) {
    constexpr int kJoins = FloodSize(50000);
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(RunUntil([] { return LobbyModel.currentRoom && FindRoomUser("Bo"); }));
    const std::size_t before = LobbyModel.currentRoom->users.size();
    // Names in no order and every privilege, so that rows land all through the list.
    std::mt19937 random(3);
    for (int i = 0; i < kJoins; ++i) {
        const std::string name = "p" + std::to_string(random() % 1000000) + "_" + std::to_string(i);
        server.Last()->SendFrame(
            LobbyMsgUserJoined, F({name, std::to_string(random() % 4), std::to_string(1 + i % 4)}));
    }
    EventLoopGaps gaps;
    ASSERT_TRUE(
        RunUntil([&] { return LobbyModel.currentRoom->users.size() == before + kJoins; }, 600000));
    DrainEvents();
    std::printf(
        "[ figures  ] %d joins: longest event-loop gap %.1f ms over %ld turns (%.0f ms waited "
        "for a processor)\n",
        kJoins, gaps.LongestMs(), gaps.Turns(), gaps.WaitedMs());
    if (kOptimisedBuild) {
        EXPECT_LT(gaps.LongestMs(), 100.0);
    }
    const QAbstractItemModel* users = browser->userlist()->model();
    ASSERT_EQ(users->rowCount(), static_cast<int>(LobbyModel.userRows.size()));
    EXPECT_EQ(users->rowCount(), 3 + static_cast<int>(before) + kJoins);
}

}  // namespace
}  // namespace pk::test
