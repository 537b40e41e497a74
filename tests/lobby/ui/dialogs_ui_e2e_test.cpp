// The lobby's dialogs against the scripted master server and scripted regions on loopback:
// the entries that open them, what the server answers shown in their widgets, and what their
// buttons send reaching the server.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include "lobby/link_fixture.h"
#include "lobby/records_fixture.h"
#include "lobby/ui/zrdbmanage.h"
#include "lobby/ui/zrdialogs.h"
#include "lobby/ui/zrpsl.h"
#include "lobby/ui/zrregionform.h"
#include "lobby/ui/zrtablesbox.h"
#include "lobby/ui/zruserstats.h"
#include "lobby/zrplayerdetails.h"
#include "lobby/zrregionlist.h"
#include "peers/region_answerer.h"
#include "shell/zrconfig.h"
#include "support/widgetapp.h"

namespace pk::test {
namespace {

using peers::MasterRegionRecord;
using peers::MasterStatusEntry;
using peers::RegionAnswerer;
using peers::RegionMode;

class DialogsUiE2eTest : public LinkTest {
protected:
    void SetUp() override {
        EnsureWidgetApp();
        LinkTest::SetUp();
        Config = TConfig{};
        SetLobbyHost(&dialogs);
    }
    void TearDown() override {
        dialogs.Pinger().StopAll();
        LinkTest::TearDown();
        Config = TConfig{};
    }
    bool Connect(int privilege) {
        server.script.privilege = privilege;
        LobbyConnect(0);
        return Welcomed();
    }
    bool FrameWith(std::uint8_t code, const std::string& payload) {
        return RunUntil([&] {
            for (const auto& f : Frames()) {
                if (f.code == code && f.payload == payload) {
                    return true;
                }
            }
            return false;
        });
    }

    std::int64_t now = 5000;
    TLobbyDialogHost dialogs{[this] { return now; }};
};

TEST_F(DialogsUiE2eTest, PingServersMeasuresTheRegionsThePickerShows) {
    Settings.lobby.pingtries = 2;
    Settings.lobby.concurrentpings = 3;
    RegionAnswerer local;
    RegionAnswerer silent;
    silent.mode = RegionMode::Silent;
    RegionAnswerer closing;
    closing.mode = RegionMode::Close;
    ASSERT_TRUE(local.Listen());
    ASSERT_TRUE(silent.Listen());
    ASSERT_TRUE(closing.Listen());
    server.script.regions = {MasterRegionRecord(1, "Local", 2, 5, "127.0.0.1", local.Port()),
                             MasterRegionRecord(2, "Silent", 0, 1, "127.0.0.1", silent.Port()),
                             MasterRegionRecord(3, "Closing", 1, 0, "127.0.0.1", closing.Port())};
    Tzrregionlist picker;
    std::int32_t chosen = -1;
    picker.onRegionChosen = [&](std::int32_t id) { chosen = id; };
    ASSERT_TRUE(Connect(3));
    picker.FillRegionList();  // the game-set window's "..." opens it
    picker.pingservers()->click();
    ASSERT_TRUE(FrameWith(2, ""));
    ASSERT_TRUE(RunUntil([] { return SbRegions.size() == 3 && SbRegions[0].answers >= 2; }));
    // The silent region's tries run out by the clock.
    ASSERT_TRUE(RunUntil([&] {
        now += RegionPingTimeoutMs;
        dialogs.Pinger().CheckTimeouts();
        return std::all_of(SbRegions.begin(), SbRegions.end(),
                           [](const tsbregion& r) { return r.answers >= 2; });
    }));
    const QTreeWidget* list = picker.regionlist();
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "(Least busy server)");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "Closing");
    EXPECT_EQ(list->topLevelItem(1)->text(3), "9999ms");
    EXPECT_EQ(list->topLevelItem(2)->text(3), "0ms");
    EXPECT_EQ(list->topLevelItem(3)->text(3), "9999ms");
    EXPECT_EQ(local.pings, 2);
    // The measured region is chosen by id, and its box text follows the ping.
    picker.SelectRow(2);
    picker.serverokClick();
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(RegionBoxText(chosen), "Local [0ms]");
}

TEST_F(DialogsUiE2eTest, TheStatusListArrivesInItsDialogAndARemovalReachesTheServer) {
    server.script.statusList = {MasterStatusEntry(31, 2, "pest", "spam", 0),
                                MasterStatusEntry(32, 0, "ada", "", 600)};
    Tzrpsl dialog;
    ASSERT_TRUE(Connect(1));
    RequestStatusList();
    ASSERT_TRUE(RunUntil([&] { return dialog.isVisible(); }));
    ASSERT_EQ(dialog.statuslist()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.statuslist()->topLevelItem(1)->text(3), "600sec");
    dialog.statuslist()->setCurrentItem(dialog.statuslist()->topLevelItem(0));
    dialog.removeuser()->click();
    EXPECT_TRUE(FrameWith(14, "31"));
    EXPECT_TRUE(FrameArrives(16, 2));  // asked again after the removal
}

TEST_F(DialogsUiE2eTest, PlayerDetailsAndStatisticsFillTheDialog) {
    server.script.details = {
        {"ada",
         {{"online", "1"}, {"nickname", "Ada"}, {"state", "1"}, {"roomid", "1"}, {"awaymsg", ""}}}};
    server.script.stats = {{"ada",
                            {{"0", Serial({{"title", "Games"},
                                           {"keys", "Won\x01Lost"},
                                           {"0",
                                            "3\x01"
                                            "1"}})}}}};
    server.script.rooms = {peers::MasterRoomRecord(1, false, 2, "Lobby")};
    Tsbuserstats dialog;
    ASSERT_TRUE(Connect(3));
    ASSERT_TRUE(RunUntil([] { return FindRoom(1) != nullptr; }));
    ShowUserStats("Ada");
    ASSERT_TRUE(RunUntil([&] { return dialog.stats()->Grid(1) != nullptr; }));
    EXPECT_EQ(dialog.windowTitle(), "Player Details - Ada");
    EXPECT_EQ(dialog.awaylabel()->text(), "Player is active");
    EXPECT_EQ(dialog.roomlabel()->text(), "In Lobby");
    EXPECT_EQ(dialog.gamelabel()->text(), "Not in a game");
    EXPECT_EQ(dialog.stats()->Grid(1)->item(1, 1)->text(), "1");
}

TEST_F(DialogsUiE2eTest, AnAppliedProfileIsAskedForAndSent) {
    Tsbuserstats dialog;
    ASSERT_TRUE(Connect(3));
    ShowOwnStats();
    ASSERT_TRUE(dialog.isVisible());
    qobject_cast<QLineEdit*>(dialog.ProfileField("country"))->setText("Norway");
    dialog.applyClick();
    // 25 (changed), the server's 32 (send it), the client's 23 with the compressed profile.
    ASSERT_TRUE(FrameArrives(23));
    for (const auto& frame : Frames()) {
        if (frame.code == 23) {
            EXPECT_EQ(LoadProfile(frame.payload)[6], "Norway");
        }
    }
    EXPECT_TRUE(FrameWith(25, ""));
}

TEST_F(DialogsUiE2eTest, AConsoleStatementIsAnsweredInANewTab) {
    server.script.userRows = {{"ada", "ada@example.org"}, {"bob", "bob@example.org"}};
    Tdbmanage console;
    ASSERT_TRUE(Connect(0));
    console.Edit("lucol")->setText("name,email");
    console.Edit("lukey")->setText("name");
    console.Edit("luvalue")->setText("bob");
    console.lushowClick();
    ASSERT_TRUE(RunUntil([&] { return console.grid()->rowCount() == 1 && console.isVisible(); }));
    EXPECT_EQ(console.grid()->item(0, 1)->text(), "bob@example.org");
    EXPECT_EQ(console.forquery()->text(),
              "For query: SELECT name,email FROM users WHERE name LIKE 'bob' LIMIT 50");
}

}  // namespace
}  // namespace pk::test
