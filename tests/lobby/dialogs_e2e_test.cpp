// The lobby's dialog cores against the scripted master server and scripted regions on
// loopback: what the server sends is read into the models, what they send reaches it.
#include "link_fixture.h"
#include "lobby/zrdbconsole.h"
#include "lobby/zrplayerdetails.h"
#include "lobby/zrregionping.h"
#include "lobby/zrstatuslist.h"
#include "lobby/zrtables.h"
#include "peers/region_answerer.h"

namespace pk::test {
namespace {

using peers::MasterRecord;
using peers::MasterRegionRecord;
using peers::MasterStatusEntry;
using peers::RegionAnswerer;
using peers::RegionMode;

class PingingHost : public RecordingLobbyHost {
public:
    TRegionPinger* pinger = nullptr;
    void StartRegionPings() override { pinger->StartRegionPings(); }
};

class DialogsE2eTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        pingingHost.pinger = &pinger;
        SetLobbyHost(&pingingHost);
    }
    void TearDown() override {
        pinger.StopAll();
        LinkTest::TearDown();
    }
    // The payload of the first host call that starts with `prefix`.
    bool Delivered(const std::string& prefix, std::string& payload) {
        const bool arrived = RunUntil([&] {
            for (const auto& call : pingingHost.calls) {
                if (call.rfind(prefix, 0) == 0) {
                    payload = call.substr(prefix.size());
                    return true;
                }
            }
            return false;
        });
        return arrived;
    }

    PingingHost pingingHost;
    std::int64_t now = 5000;
    TRegionPinger pinger{[this] { return now; }};
};

TEST_F(DialogsE2eTest, RegionsFromTheMasterServerAreMeasuredOrGivenUp) {
    Settings.lobby.pingtries = 2;
    RegionAnswerer local;
    RegionAnswerer closing;
    closing.mode = RegionMode::Close;
    ASSERT_TRUE(local.Listen());
    ASSERT_TRUE(closing.Listen());
    server.script.regions = {MasterRegionRecord(1, "Local", 2, 5, "127.0.0.1", local.Port()),
                             MasterRegionRecord(2, "Closing", 0, 0, "127.0.0.1", closing.Port())};
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    LobbySend(LobbyMsgAskRegions, "");
    ASSERT_TRUE(RunUntil([] {
        return SbRegions.size() == 2 &&
               std::all_of(SbRegions.begin(), SbRegions.end(),
                           [](const tsbregion& r) { return r.answers >= 2; });
    }));
    EXPECT_EQ(RegionPingText("Local"), "0ms");
    EXPECT_EQ(RegionPingText("Closing"), "9999ms");
    EXPECT_EQ(local.pings, 2);
    EXPECT_EQ(closing.accepted, 2);
}

TEST_F(DialogsE2eTest, TheStatusListArrivesAndARemovalReachesTheServer) {
    server.script.privilege = 1;
    server.script.statusList = {MasterStatusEntry(31, 2, "pest", "spam", 0),
                                MasterStatusEntry(32, 0, "ada", "", 600)};
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    LobbySend(LobbyMsgPermanentList, "");
    std::string payload;
    ASSERT_TRUE(Delivered("StatusList ", payload));
    TStatusListModel list;
    list.Fill(payload, false);
    ASSERT_EQ(list.Rows().size(), 2u);
    EXPECT_EQ(list.Rows()[0].cells, (std::array<std::string, 4>{"Ban", "pest", "spam", ""}));
    EXPECT_EQ(list.Rows()[1].cells, (std::array<std::string, 4>{"Operator", "ada", "", "600sec"}));
    list.Select(0);
    ASSERT_TRUE(list.RemoveSelected());
    ASSERT_TRUE(FrameArrives(16, 2));
    const auto frames = Frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[frames.size() - 2].code, 14);
    EXPECT_EQ(frames[frames.size() - 2].payload, "31");
}

TEST_F(DialogsE2eTest, PlayerDetailsAndStatisticsArriveAsTheDialogShowsThem) {
    server.script.details = {{"ada",
                              {{"online", "1"},
                               {"nickname", "Ada"},
                               {"state", "3"},
                               {"roomid", "1"},
                               {"awaymsg", "back soon"}}}};
    TXSettings table;
    table.SetValue("title", "Games");
    table.SetValue("keys", "Won\x01Lost");
    table.SetValue("0",
                   "3\x01"
                   "1");
    server.script.stats = {{"ada", {{"0", table.SaveToString()}}}};
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    RequestPlayerDetails("Ada", false, false, false);
    std::string payload;
    ASSERT_TRUE(Delivered("Details ", payload));
    TPlayerDetailsReply reply;
    ASSERT_TRUE(ParsePlayerDetails(payload, reply));
    const TPlayerDetailsView view = ShowPlayerDetails(reply);
    EXPECT_EQ(view.caption, "Player Details - Ada");
    EXPECT_EQ(view.awayLabel, "Player will be right back");
    EXPECT_EQ(view.awayMessage, "back soon");
    ASSERT_TRUE(Delivered("Stats ", payload));
    TZRTablesModel tables;
    tables.ShowPlayerStats(payload);
    ASSERT_EQ(tables.Tables().size(), 1u);
    EXPECT_EQ(tables.Tables()[0].Cell(1, 1), "1");
}

TEST_F(DialogsE2eTest, TheConsolesStatementIsAnsweredFromTheUserTable) {
    server.script.privilege = 0;
    server.script.userRows = {{"ada", "ada@example.org"}, {"o'neil\\", "o@example.org"}};
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    SendUserDbStatement(ListUsersStatement("email,name", "name", "o'neil\\"));
    std::string payload;
    ASSERT_TRUE(Delivered("UserDb ", payload));
    TDbConsoleModel console;
    console.AddDbResult(payload);
    EXPECT_EQ(console.Current().rows, (std::vector<std::vector<std::string>>{
                                          {"email", "name"}, {"o@example.org", "o'neil\\"}}));
    EXPECT_EQ(console.Captions()[0], "1. SELECT email,name FROM users W...");
}

}  // namespace
}  // namespace pk::test
