#include "room/zrroomrules.h"

#include <gtest/gtest.h>

#include "core/zrgameset.h"
#include "game/zrgame.h"
#include "support/room_fakes.h"

namespace pk {
namespace {

using test::kSc;
using test::Sc;

class RoomRulesTest : public ::testing::Test {
protected:
    test::RecordingRoomHost host;
    void SetUp() override {
        SetRoomHost(&host);
        Clean();
    }
    void TearDown() override {
        SetRoomHost(nullptr);
        Clean();
    }
    static void Clean() {
        Settings = tsettingsarray{};
        ClientState.game.CurrentGameSetBlob.clear();
    }
};

TEST_F(RoomRulesTest, RuleKeysBecomeTheRulesInForce) {
    TGameSet set;
    set.SetValue("lvlstart", "12");
    set.SetValue("stacks",
                 "0\x02"
                 "3\x02"
                 "0\x02"
                 "0\x02"
                 "0\x02"
                 "25");
    set.SetValue("sbchance2", "aacq");
    set.SetValue("deadsb", "0");
    set.SetValue("allowmove", "1");
    set.SetValue("sbmtimed", "1");
    set.SetValue("piecedelay", "250");
    set.SetValue("maxp", "4");  // not a rule of Settings
    const std::string blob = set.SaveToCompressed();
    ASSERT_TRUE(ApplyGameSettings(blob));
    const tgamerules& r = Settings.rules;
    EXPECT_EQ(r.lvlstart, 12);
    EXPECT_EQ(r.stacks[2], 3);
    EXPECT_EQ(r.stacks[6], 25);
    EXPECT_EQ(r.sbchance[2], "aacq");
    EXPECT_EQ(r.sbchance[1], "");
    EXPECT_EQ(r.deadsb, 0);
    EXPECT_EQ(r.allowmove, 1);
    EXPECT_EQ(r.sbmtimed, 1);
    EXPECT_EQ(r.piecedelay, 250);
    EXPECT_EQ(r.invcap, 17);        // schema default
    EXPECT_EQ(r.startvotesec, 45);  // schema default
    EXPECT_EQ(ClientState.game.CurrentGameSetBlob, blob);
}

TEST_F(RoomRulesTest, ShownGameChangeWithTheMajorSettings) {
    TGameSet set;
    set.SetValue("default", "1");
    set.SetValue("classic", "1");
    set.SetValue("eteams", "1");
    set.SetValue("winbylines", "1");
    set.SetValue("winlines", "250");
    set.SetValue("holdpiece", "0");
    set.SetValue("piecedelay", "100");
    EXPECT_EQ(GameSettingsMessage("1Friday Night\x02" + set.SaveToCompressed()), "Friday Night");
    EXPECT_EQ(host.room,
              (std::vector<std::string>{
                  Sc("11") + "*** Game changed to " + Sc("01") + "Friday Night!" + kSc +
                      " (Default settings)",
                  Sc("11") + "*** Major settings: " + Sc("01") +
                      "classic mode enabled, special blocks enabled, piece delay enabled, "
                      "team names locked, win after clearing 250 lines, piece holding disabled"}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"SetTeamUpdateEnabled 0", "SetUIState 2 1",
                                                    "RepaintUserList"}));
}

TEST_F(RoomRulesTest, HiddenChangeStillSummarises) {
    TGameSet set;
    set.SetValue("sbinc", "0");
    set.SetValue("piecedelay", "0");
    EXPECT_EQ(GameSettingsMessage("0Quiet\x02" + set.SaveToCompressed()), "Quiet");
    EXPECT_EQ(host.room,
              (std::vector<std::string>{
                  Sc("11") + "*** Major settings: " + Sc("01") +
                  "classic mode disabled, special blocks disabled, piece delay disabled, "
                  "teams not required, win by clearing lines disabled, piece holding enabled"}));
}

TEST_F(RoomRulesTest, UnreadableGameSetChangesNothing) {
    Settings.rules.lvlstart = 9;
    EXPECT_EQ(GameSettingsMessage("1Broken\x02not zlib at all"), "");
    EXPECT_EQ(GameSettingsMessage("1Empty"), "");
    EXPECT_FALSE(ApplyGameSettings(""));
    EXPECT_EQ(Settings.rules.lvlstart, 9);
    EXPECT_TRUE(host.room.empty());
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(ClientState.game.CurrentGameSetBlob, "");
}

}  // namespace
}  // namespace pk
