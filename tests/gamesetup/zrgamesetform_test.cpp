// The game-set editor's controls: every bound key round-trips through them, the weights count
// and build their strings, and the weight operations keep to their bounds.
#include "gamesetup/zrgamesetform.h"

#include <gtest/gtest.h>

#include "core/zrgameset.h"
#include "gamesetup/gameset_fixture.h"

namespace pk {
namespace {

std::string Value(const std::string& compressed, std::string_view key) {
    TGameSet set;
    EXPECT_TRUE(set.LoadFromCompressed(compressed));
    return set.GetValue(key);
}

TEST(GameSetForm, EveryBoundKeyRoundTripsThroughTheControls) {
    TGameSet set = test::GameSetAwayFromDefaults();
    set.SetValue("sbqshift", "11111111111111111111111111111111111");
    set.SetValue("sbchance1", "aaab");
    const std::string data = set.SaveToCompressed();

    TGameSetControls controls;
    ASSERT_TRUE(FillFromGameSet(data, controls));
    EXPECT_EQ(controls.edits.at("maxp"), "4");
    EXPECT_EQ(controls.stacks[5], "6");
    EXPECT_EQ(controls.teams[1], "b");
    EXPECT_EQ(controls.ChanceWeights[0][0], 3);
    EXPECT_EQ(controls.pieces[0], 2);

    const std::string back = GameSetFromControls(controls);
    TGameSet again;
    ASSERT_TRUE(again.LoadFromCompressed(back));
    for (const auto& row : GameSetSchema) {
        if (row.key == "sbchance1" || row.key == "piecechance") {
            continue;  // rebuilt in table order, compared by weight below
        }
        EXPECT_EQ(again.GetValue(row.key), set.GetValue(row.key)) << row.key;
    }
    EXPECT_EQ(CountSpecialBlocks(again.GetValue("sbchance1")), CountSpecialBlocks("aaab"));
    EXPECT_EQ(CountPieces(again.GetValue("piecechance")), CountPieces("1122334567"));
}

TEST(GameSetForm, ChecksAndEditsFollowTheControls) {
    TGameSetControls controls;
    FillFromGameSet(TGameSet().SaveToCompressed(), controls);
    controls.checks["holdpiece"] = false;
    controls.edits["winlines"] = "250";
    controls.edits["maxp"] = "99";  // the set keeps its range
    const std::string data = GameSetFromControls(controls);
    EXPECT_EQ(Value(data, "holdpiece"), "0");
    EXPECT_EQ(Value(data, "winlines"), "250");
    EXPECT_NE(Value(data, "maxp"), "99");
}

TEST(GameSetForm, WeightCounting) {
    EXPECT_EQ(CountSpecialBlocks(std::string(25, 'q') + "xyz!")[7], 25);
    EXPECT_EQ(CountSpecialBlocks("xyz"), (std::array<int, SpecialBlockKinds>{}));
    std::array<int, SpecialBlockKinds> w{};
    w[0] = 2;
    w[13] = 1;
    EXPECT_EQ(SpecialBlockString(w), "aam");
    std::array<int, PieceKinds> p{};
    p[6] = 3;
    p[0] = 1;
    EXPECT_EQ(PieceString(p), "1777");
    // Weights above a byte stay whole.
    std::array<int, PieceKinds> big{};
    big[1] = 300;
    EXPECT_EQ(CountPieces(PieceString(big))[1], 300);
}

TEST(GameSetForm, ShiftsKeepToTheirBounds) {
    TChanceWeights w{};
    w[1].fill(MaxWeight);
    w[1][3] = 0;
    ShiftWeights(w, 1, +1);
    EXPECT_EQ(w[1][0], MaxWeight);
    EXPECT_EQ(w[1][3], 1);
    w[1][4] = 0;
    ShiftWeights(w, 1, -1);
    EXPECT_EQ(w[1][4], 0);
    EXPECT_EQ(w[1][0], MaxWeight - 1);
    const TChanceWeights before = w;
    ShiftWeights(w, 4, +1);
    ShiftWeights(w, -1, -1);
    EXPECT_EQ(w, before);
}

TEST(GameSetForm, SetAndCopyWeights) {
    TGameSetControls c;
    SetWeight(c.ChanceWeights, 2, false, 5, 7);
    EXPECT_EQ(c.ChanceWeights[2][5], 7);
    EXPECT_EQ(c.ChanceWeights[0][5], DefaultWeight);
    SetWeight(c.ChanceWeights, 9, true, 1, 3);
    for (const auto& row : c.ChanceWeights) {
        EXPECT_EQ(row[1], 3);
    }
    SetWeight(c.ChanceWeights, 9, false, 1, 11);  // no valid case: nothing
    EXPECT_EQ(c.ChanceWeights[0][1], 3);
    CopyWeightCase(c.ChanceWeights, 2);
    EXPECT_EQ(c.ChanceWeights[0], c.ChanceWeights[2]);
    EXPECT_EQ(c.ChanceWeights[3][5], 7);
}

// Every control is named in the player's words from the one label table; names that are no
// control (a number out of range, a leading zero, a bare prefix) have no label.
TEST(GameSetForm, EveryControlHasALabelThatIsNoKey) {
    std::vector<std::string> controls = test::BoundControlNames();
    for (int k = 1; k <= SpecialBlockKinds; ++k) {
        controls.push_back("gssb" + std::to_string(k));
    }
    for (int n = 1; n <= PieceKinds; ++n) {
        controls.push_back("gsp" + std::to_string(n));
    }
    for (const std::string& control : controls) {
        const std::string label = GameSetControlLabel(control);
        EXPECT_FALSE(label.empty()) << control;
        EXPECT_NE(label, control);
        for (const auto& row : GameSetSchema) {
            EXPECT_NE(label, row.key) << control;
        }
    }
    EXPECT_EQ(GameSetControlLabel("gsaveragedlevels"), "Average the levels of all players");
    EXPECT_EQ(GameSetControlLabel("gssb1"), "Add Line");
    EXPECT_EQ(GameSetControlLabel("gssb14"), "Mutated Pieces");
    EXPECT_EQ(GameSetControlLabel("gsteam6"), "Player 6");
    for (const char* none :
         {"gssb0", "gssb15", "gssb01", "gssb", "gsp8", "gsstack7", "gsteamx", "avglvl", ""}) {
        EXPECT_EQ(GameSetControlLabel(none), "") << none;
    }
}

TEST(GameSetForm, DataThatIsNoSetGivesTheDefaults) {
    TGameSetControls c;
    EXPECT_FALSE(FillFromGameSet("garbage", c));
    EXPECT_EQ(c.edits.at("maxp"), TGameSet().GetValue("maxp"));
}

}  // namespace
}  // namespace pk
