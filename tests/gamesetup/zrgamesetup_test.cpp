// The game-set editor without its window: its three modes, the list with its groups and shown
// texts, editing with the built-in message, the set management and the ways out.
#include "gamesetup/zrgamesetup.h"

#include <gtest/gtest.h>

#include "core/zrgameset.h"

namespace pk {
namespace {

class RecordingSetupHost : public GameSetupHost {
public:
    std::vector<std::string> calls, messages, confirms;
    bool confirmAnswer = true;
    bool nameAnswer = true;
    std::string typedName;
    std::string askedWith;
    std::function<void()> duringPrompt;
    bool mainEnabled = true;

    void CreateGame(const std::string& name, std::int32_t region, const std::string& data,
                    bool spectator) override {
        calls.push_back("create " + name + " " + std::to_string(region) + " " +
                        std::to_string(data.size() > 0) + " " + std::to_string(spectator));
    }
    void JoinGame(std::int32_t id, bool spectator) override {
        calls.push_back("join " + std::to_string(id) + " " + std::to_string(spectator));
    }
    void SendRoomGameSet(const std::string& name, const std::string& data) override {
        calls.push_back("room " + name + " " + std::to_string(data.size() > 0));
    }
    std::string GameRegionText(std::int32_t id) override {
        return "Local [" + std::to_string(id) + "ms]";
    }
    bool AskSetName(std::string& name) override {
        askedWith = name;
        if (duringPrompt) {
            duringPrompt();
        }
        name = typedName;
        return nameAnswer;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool Confirm(const std::string& text) override {
        confirms.push_back(text);
        return confirmAnswer;
    }
    void EnableMainWindow(bool enabled) override { mainEnabled = enabled; }
};

std::string SetData(const std::string& maxp) {
    TGameSet set;
    set.SetValue("maxp", maxp);
    return set.SaveToCompressed();
}

class GameSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        GameSetList.clear();
        ASSERT_TRUE(LoadGameSets(BuiltInGameSetBlock(), 100));
        Add("zeta", 0);
        Add("Alpha", 0);
        SetGameSetupHost(&host);
    }
    void TearDown() override {
        SetGameSetupHost(nullptr);
        GameSetList.clear();
    }
    tcbgameset* Add(const std::string& name, std::uint8_t editor) {
        auto entry = std::make_unique<tcbgameset>();
        entry->name = name;
        entry->data = SetData("3");
        entry->editor = editor;
        GameSetList.push_back(std::move(entry));
        return GameSetList.back().get();
    }
    int RowOf(const std::string& text) {
        for (std::size_t i = 0; i < setup.Rows().size(); ++i) {
            if (setup.Rows()[i].text == text) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    bool Listed(const std::string& name) {
        for (const auto& e : GameSetList) {
            if (e->name == name) {
                return true;
            }
        }
        return false;
    }
    RecordingSetupHost host;
    TGameSetup setup;
};

TEST_F(GameSetupTest, ListGroupsAndShownTexts) {
    setup.SetMode(9, "Room rules", SetData("5"), true, gsmRoomSet);
    const auto& rows = setup.Rows();
    ASSERT_EQ(rows.size(), BuiltInGameSetNames.size() + 3);
    EXPECT_EQ(rows[0].text, "[CURRENT GAME SETTINGS] Room rules");
    EXPECT_EQ(rows[1].text, "Alpha");  // case-insensitive order
    EXPECT_EQ(rows[2].text, "zeta");
    EXPECT_EQ(rows[3].text.substr(0, 2), "* ");
    EXPECT_EQ(setup.SelectedRow(), 0);
    EXPECT_EQ(setup.controls.edits.at("maxp"), "5");
    EXPECT_EQ(setup.Caption(), "Change Game Set to: (or modify current game settings)");
    EXPECT_EQ(setup.ConfirmText(), "Save Changes");
    EXPECT_TRUE(setup.ConfirmEnabled());
    EXPECT_FALSE(setup.SpectatorShown());
    EXPECT_FALSE(setup.MoreRegionsEnabled());
    EXPECT_EQ(setup.RegionText(), "Local [9ms]");
    EXPECT_FALSE(host.mainEnabled);
}

TEST_F(GameSetupTest, RoomModeSavesThenLeavesNoEditorEntry) {
    setup.SetMode(9, "Room rules", SetData("5"), true, gsmRoomSet);
    setup.controls.edits["maxp"] = "4";
    ASSERT_TRUE(setup.StoreControls());
    setup.ConfirmClicked();
    EXPECT_EQ(host.calls, std::vector<std::string>{"room Room rules 1"});
    EXPECT_FALSE(Listed("Room rules"));
    EXPECT_TRUE(host.mainEnabled);
    EXPECT_FALSE(setup.Open());
}

TEST_F(GameSetupTest, CancelInRoomModeLeavesNoEditorEntryAndSavingSkipsOne) {
    setup.SetMode(9, "Room rules", SetData("5"), true, gsmRoomSet);
    ASSERT_TRUE(Listed("Room rules"));
    // Saved while the editor shows: the temporary entry is not a set of the player's.
    const std::string saved = SaveGameSets();
    GameSetList.clear();
    ASSERT_TRUE(LoadGameSets(saved, 100));
    EXPECT_FALSE(Listed("Room rules"));
    SetUp();
    setup.SetMode(9, "Room rules", SetData("5"), true, gsmRoomSet);
    setup.Cancel();
    EXPECT_FALSE(Listed("Room rules"));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(host.mainEnabled);
}

TEST_F(GameSetupTest, ReadOnlyModesShowTheGivenSetAndStoreNothing) {
    setup.SetMode(9, "Their game", SetData("6"), false, gsmRoomSet);
    EXPECT_EQ(setup.Caption(),
              "Current Game Set: (Press \"New Set\" to use these settings later in your own "
              "game!)");
    EXPECT_FALSE(setup.ConfirmEnabled());
    EXPECT_FALSE(setup.ListEnabled());
    EXPECT_EQ(setup.SelectedRow(), -1);
    EXPECT_EQ(setup.ShownName(), "Their game");
    EXPECT_FALSE(setup.Editable());
    setup.controls.edits["maxp"] = "2";
    EXPECT_FALSE(setup.StoreControls());
    // Rename and delete have no set to act on; "New Set" keeps what is shown.
    setup.RenameSet();
    setup.DeleteSet();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.confirms.empty());
    host.typedName = "Kept";
    setup.AddSet();
    EXPECT_EQ(host.askedWith, "");
    ASSERT_TRUE(Listed("Kept"));
    ASSERT_NE(setup.Selected(), nullptr);
    EXPECT_EQ(setup.Selected()->name, "Kept");
    EXPECT_EQ(setup.controls.edits.at("maxp"), "2");

    setup.SetMode(7, "Join me", SetData("6"), true, gsmJoin);
    EXPECT_EQ(setup.ConfirmText(), "Join Game");
    EXPECT_TRUE(setup.SpectatorShown());
    EXPECT_FALSE(setup.ListEnabled());
    setup.spectator = true;
    setup.ConfirmClicked();
    EXPECT_EQ(host.calls, std::vector<std::string>{"join 7 1"});
}

TEST_F(GameSetupTest, CreateModeSendsTheSelectedSetAndItsRegion) {
    setup.SetMode(-1, "", "", true, gsmCreate);
    EXPECT_EQ(setup.Caption(), "Game Set:");
    EXPECT_EQ(setup.ConfirmText(), "Create Game");
    EXPECT_EQ(setup.RegionText(), "(Least busy server)");
    EXPECT_TRUE(setup.MoreRegionsEnabled());
    EXPECT_EQ(setup.SelectedRow(), 0);
    setup.SelectRow(RowOf("zeta"));
    setup.ConfirmClicked();
    setup.SetMode(-1, "", "", true, gsmCreate);
    // The set chosen last is selected again.
    EXPECT_EQ(setup.Selected()->name, "zeta");
    setup.SetRegion(4, "Far [20ms]");
    setup.ConfirmClicked();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"create zeta 0 1 0", "create zeta 4 1 0"}));
}

TEST_F(GameSetupTest, BuiltInSetsCannotBeChangedRenamedOrDeleted) {
    setup.SetMode(-1, "", "", true, gsmCreate);
    const int builtin = RowOf("* " + std::string(BuiltInGameSetNames[0]));
    ASSERT_GE(builtin, 0);
    setup.SelectRow(builtin);
    const std::string before = setup.Selected()->data;
    setup.controls.edits["maxp"] = "2";
    EXPECT_FALSE(setup.StoreControls());
    setup.WeightChanged(0, 7);
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0], GameSetupBuiltInEditMessage);
    EXPECT_EQ(setup.Selected()->data, before);
    setup.RenameSet();
    EXPECT_EQ(host.messages.back(), "This is a default game set, you can not modify it.");
    setup.DeleteSet();
    EXPECT_EQ(host.messages.back(), "This is a default game set, you can not delete it.");
    // "New Set" from a built-in set starts with an empty name.
    host.typedName = "Mine";
    setup.AddSet();
    EXPECT_EQ(host.askedWith, "");
    EXPECT_EQ(setup.Selected()->name, "Mine");
}

TEST_F(GameSetupTest, RenameAndDeleteOwnSets) {
    setup.SetMode(-1, "", "", true, gsmCreate);
    setup.SelectRow(RowOf("zeta"));
    host.typedName = "beta";
    setup.RenameSet();
    EXPECT_EQ(host.askedWith, "zeta");
    EXPECT_EQ(setup.Rows()[0].text, "Alpha");
    EXPECT_EQ(setup.Rows()[1].text, "beta");
    EXPECT_EQ(setup.SelectedRow(), 1);
    // An invalid name changes nothing.
    host.typedName = "";
    setup.RenameSet();
    EXPECT_TRUE(Listed("beta"));
    host.confirmAnswer = false;
    setup.DeleteSet();
    EXPECT_EQ(host.confirms.back(), "Are you sure you want to delete beta?");
    EXPECT_TRUE(Listed("beta"));
    host.confirmAnswer = true;
    setup.DeleteSet();
    EXPECT_FALSE(Listed("beta"));
    EXPECT_EQ(setup.SelectedRow(), 0);
}

TEST_F(GameSetupTest, ASetDeletedDuringTheRenamePromptIsLeftAlone) {
    setup.SetMode(-1, "", "", true, gsmCreate);
    setup.SelectRow(RowOf("zeta"));
    host.typedName = "beta";
    host.duringPrompt = [] {
        std::erase_if(GameSetList, [](const auto& e) { return e->name == "zeta"; });
    };
    setup.RenameSet();
    EXPECT_FALSE(Listed("beta"));
}

TEST_F(GameSetupTest, WeightsShiftAndChangeAll) {
    setup.SetMode(-1, "", "", true, gsmCreate);
    setup.SelectRow(RowOf("Alpha"));
    setup.weightCase = 1;
    setup.WeightChanged(2, 40);
    EXPECT_EQ(setup.controls.ChanceWeights[1][2], 40);
    setup.ShiftWeights(1);
    EXPECT_EQ(setup.controls.ChanceWeights[1][2], 40);
    setup.WeightChanged(2, 0);
    setup.ShiftWeights(-1);
    EXPECT_EQ(setup.controls.ChanceWeights[1][2], 0);
    host.confirmAnswer = false;
    EXPECT_FALSE(setup.ChangeAllClicked(true));
    EXPECT_FALSE(setup.changeAll);
    host.confirmAnswer = true;
    EXPECT_TRUE(setup.ChangeAllClicked(true));
    EXPECT_EQ(host.confirms.back(),
              "Are you sure you want to change the other special block sets to match this one?");
    EXPECT_EQ(setup.controls.ChanceWeights[0], setup.controls.ChanceWeights[1]);
    setup.WeightChanged(5, 9);
    for (int c = 0; c < WeightCases; ++c) {
        EXPECT_EQ(setup.controls.ChanceWeights[static_cast<std::size_t>(c)][5], 9);
    }
    // Selecting a set unticks "Change all at once".
    setup.SelectRow(RowOf("zeta"));
    EXPECT_FALSE(setup.changeAll);
}

}  // namespace
}  // namespace pk
