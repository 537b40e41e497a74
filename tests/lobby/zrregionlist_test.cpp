// The location list: "(Least busy server)" on top in every order, the selection kept by caption
// through a refill and by region through a sort, and the chosen region by id.
#include "lobby/zrregionlist.h"

#include "lobby_fixture.h"

namespace pk::test {
namespace {

class RegionListTest : public LobbyTest {
protected:
    void SetUp() override {
        LobbyTest::SetUp();
        Settings.lobby.pingtries = 3;
        Add("Beta", 2, 5, 1, 3, 80, false);
        Add("Alpha", 1, 9, 2, 3, 120, false);
        Add("Gamma", 3, 1, 3, 3, 9999, true);
        Add("Delta", 4, 1, 4, 0, 0, false);
    }
    static void Add(const std::string& name, std::int32_t id, std::int32_t games,
                    std::int32_t people, std::int32_t answers, std::int32_t time, bool givenUp) {
        tsbregion& r = NewRegion(name, id, games, people, "h", 1);
        r.answers = answers;
        r.time = time;
        r.givenUp = givenUp ? 1 : 0;
    }
    std::string Order() const {
        std::string out;
        for (const auto& row : model.Rows()) {
            out += row.cells[0] + "|";
        }
        return out;
    }
    TRegionListModel model;
};

TEST_F(RegionListTest, TheFillShowsEveryRegionWithItsPing) {
    model.Fill();
    ASSERT_EQ(model.Rows().size(), 5u);
    EXPECT_EQ(model.Rows()[0].regionId, 0);
    EXPECT_EQ(model.Rows()[0].cells[0], "(Least busy server)");
    EXPECT_EQ(model.Rows()[1].cells, (std::array<std::string, 4>{"Beta", "5", "1", "80ms"}));
    EXPECT_EQ(model.Rows()[3].cells[3], "9999ms");
    EXPECT_EQ(model.Rows()[4].cells[3], "???ms");
    EXPECT_EQ(model.Selected(), 0);  // nothing chosen yet: the least busy row
    EXPECT_EQ(model.SelectedRegionId(), 0);
}

TEST_F(RegionListTest, ClickingPingTwiceReversesTheOrderButKeepsTheLeastBusyRowOnTop) {
    model.Fill();
    model.ColumnClick(3);
    EXPECT_EQ(Order(), "(Least busy server)|Beta|Alpha|Gamma|Delta|");
    model.ColumnClick(3);
    EXPECT_EQ(Order(), "(Least busy server)|Delta|Gamma|Alpha|Beta|");
    model.ColumnClick(0);
    EXPECT_EQ(Order(), "(Least busy server)|Alpha|Beta|Delta|Gamma|");
    model.ColumnClick(1);
    EXPECT_EQ(Order(), "(Least busy server)|Delta|Gamma|Beta|Alpha|");  // 1, 1, 5, 9 games
}

TEST_F(RegionListTest, TheSelectionSurvivesARefillAndASort) {
    model.Fill();
    model.Select(2);  // Alpha
    model.ColumnClick(2);
    EXPECT_EQ(model.Rows()[model.Selected()].cells[0], "Alpha");
    EXPECT_EQ(model.SelectedRegionId(), 1);
    model.Fill();
    EXPECT_EQ(model.SortColumn(), 0);
    EXPECT_EQ(model.Rows()[model.Selected()].cells[0], "Alpha");
    // A regions message took the chosen region away: the server picks.
    DisposeRegion(FindRegion("Alpha"));
    EXPECT_EQ(model.SelectedRegionId(), 0);
    model.Fill();
    EXPECT_EQ(model.Selected(), -1);
    EXPECT_EQ(model.SelectedRegionId(), 0);
}

TEST_F(RegionListTest, TheRegionBoxNamesTheRegionByIdWithItsPing) {
    EXPECT_EQ(RegionBoxText(0), "(Least busy server)");
    EXPECT_EQ(RegionBoxText(2), "Beta [80ms]");
    EXPECT_EQ(RegionBoxText(4), "Delta [???ms]");
    EXPECT_EQ(RegionBoxText(3), "Gamma [9999ms]");
    // A regions message replaces the list: a region that went reads as the least busy one.
    SbRegions.clear();
    EXPECT_EQ(RegionBoxText(2), "(Least busy server)");
}

TEST_F(RegionListTest, PingServersAsksForTheRegionsToMeasureOnly) {
    pingserversClick();  // no link: nothing to ask
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_NE(ClientState.lobby.PendingAction, paPingOnly);
    Connected();
    LobbyModel.pendingGame = 5;
    pingserversClick();
    EXPECT_EQ(ClientState.lobby.PendingAction, paPingOnly);
    EXPECT_FALSE(LobbyModel.pendingGame.has_value());
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{2, ""}}));  // code 2, empty
}

}  // namespace
}  // namespace pk::test
