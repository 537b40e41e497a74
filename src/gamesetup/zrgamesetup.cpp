#include "gamesetup/zrgamesetup.h"

#include <algorithm>

#include "core/zrmisc.h"
#include "game/zrowngame.h"

namespace pk {

namespace {

GameSetupHost defaultHost;
GameSetupHost* installedHost = nullptr;

int GroupOf(const tcbgameset& set) {
    if (set.editor) {
        return 0;
    }
    return set.builtin ? 2 : 1;
}

std::string LowerName(const std::string& name) {
    std::string lower = name;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

std::string ShownText(const tcbgameset& set) {
    if (set.builtin) {
        return "* " + set.name;
    }
    if (set.editor) {
        return "[CURRENT GAME SETTINGS] " + set.name;
    }
    return set.name;
}

bool InList(const tcbgameset* set) {
    return std::any_of(GameSetList.begin(), GameSetList.end(),
                       [set](const auto& entry) { return entry.get() == set; });
}

}  // namespace

const char* const GameSetupBuiltInEditMessage =
    "You cannot change this game set directly.  If you'd like to use these settings in your OWN "
    "set, press the New Set button and then modify!";

void GameSetupHost::SendRoomGameSet(const std::string& name, const std::string& data) {
    pk::SendRoomGameSet(name, data);
}

GameSetupHost& GameSetupShell() {
    return installedHost ? *installedHost : defaultHost;
}

void SetGameSetupHost(GameSetupHost* host) {
    installedHost = host;
}

void RemoveEditorEntries() {
    std::erase_if(GameSetList, [](const auto& entry) { return entry->editor != 0; });
}

tcbgameset* TGameSetup::Selected() const {
    if (selectedRow_ < 0 || selectedRow_ >= static_cast<int>(rows_.size())) {
        return nullptr;
    }
    tcbgameset* set = rows_[static_cast<std::size_t>(selectedRow_)].set;
    return InList(set) ? set : nullptr;
}

void TGameSetup::RebuildList(const tcbgameset* select) {
    rows_.clear();
    std::vector<tcbgameset*> sets;
    for (const auto& entry : GameSetList) {
        sets.push_back(entry.get());
    }
    std::stable_sort(sets.begin(), sets.end(), [](const tcbgameset* a, const tcbgameset* b) {
        const int ga = GroupOf(*a), gb = GroupOf(*b);
        if (ga != gb) {
            return ga < gb;
        }
        return LowerName(a->name) < LowerName(b->name);
    });
    selectedRow_ = -1;
    for (tcbgameset* set : sets) {
        if (set == select) {
            selectedRow_ = static_cast<int>(rows_.size());
        }
        rows_.push_back({set, ShownText(*set)});
    }
    if (selectedRow_ < 0 && !rows_.empty()) {
        selectedRow_ = 0;
    }
}

void TGameSetup::FillFrom(const std::string& data) {
    pk::FillFromGameSet(data, controls);
}

void TGameSetup::SetRegion(std::int32_t regionId, const std::string& text) {
    regionId_ = regionId;
    regionText_ = text;
}

void TGameSetup::SetMode(std::int32_t gameId, const std::string& gameName, const std::string& data,
                         bool editable, int mode) {
    GameSetupHost& host = GameSetupShell();
    host.EnableMainWindow(false);
    // A set kept from an earlier opening, for the create mode's selection.
    tcbgameset* previous = Selected();
    RemoveEditorEntries();
    mode_ = mode < gsmRoomSet || mode > gsmCreate ? gsmCreate : mode;
    gameId_ = gameId;
    open_ = true;
    changeAll = false;
    shownName_.clear();
    regionId_ = 0;
    const char* readOnlyCaption =
        "Current Game Set: (Press \"New Set\" to use these settings later in your own game!)";
    switch (mode_) {
        case gsmRoomSet:
            caption_ = editable ? "Change Game Set to: (or modify current game settings)"
                                : readOnlyCaption;
            confirmText_ = "Save Changes";
            confirmEnabled_ = editable;
            regionText_ = gameId >= 0 ? host.GameRegionText(gameId) : PrivateGameText;
            if (editable) {
                auto entry = std::make_unique<tcbgameset>();
                entry->name = gameName;
                entry->data = data;
                entry->editor = 1;
                tcbgameset* added = entry.get();
                GameSetList.push_back(std::move(entry));
                RebuildList(added);
                FillFrom(added->data);
                listEnabled_ = true;
            } else {
                RebuildList(nullptr);
                selectedRow_ = -1;
                FillFrom(data);
                shownName_ = gameName;
                listEnabled_ = false;
            }
            break;
        case gsmJoin:
            caption_ = readOnlyCaption;
            confirmText_ = "Join Game";
            confirmEnabled_ = true;
            regionText_ = host.GameRegionText(gameId);
            RebuildList(nullptr);
            selectedRow_ = -1;
            FillFrom(data);
            shownName_ = gameName;
            listEnabled_ = false;
            break;
        default:
            caption_ = "Game Set:";
            confirmText_ = "Create Game";
            confirmEnabled_ = true;
            regionText_ = LeastBusyServerText;
            RebuildList(previous);
            if (const tcbgameset* set = Selected()) {
                FillFrom(set->data);
            }
            listEnabled_ = true;
            break;
    }
    if (weightCase < 0 || weightCase >= WeightCases) {
        weightCase = 0;
    }
}

void TGameSetup::SelectRow(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        return;
    }
    selectedRow_ = row;
    const tcbgameset* set = Selected();
    if (!set) {
        return;
    }
    changeAll = false;
    FillFrom(set->data);
    if (weightCase < 0 || weightCase >= WeightCases) {
        weightCase = 0;
    }
}

bool TGameSetup::StoreControls() {
    tcbgameset* set = Selected();
    if (!set) {
        return false;
    }
    if (set->builtin) {
        GameSetupShell().ShowMessage(GameSetupBuiltInEditMessage);
        return false;
    }
    set->data = GameSetFromControls(controls);
    return true;
}

void TGameSetup::WeightChanged(int kind, int value) {
    if (weightCase < 0 || weightCase >= WeightCases) {
        return;
    }
    SetWeight(controls.ChanceWeights, weightCase, changeAll, kind, value);
    StoreControls();
}

void TGameSetup::ShiftWeights(int step) {
    pk::ShiftWeights(controls.ChanceWeights, weightCase, step);
}

bool TGameSetup::ChangeAllClicked(bool ticked) {
    if (weightCase < 0 || weightCase >= WeightCases) {
        changeAll = false;
        return false;
    }
    if (!ticked) {
        changeAll = false;
        return false;
    }
    if (!GameSetupShell().Confirm(
            "Are you sure you want to change the other special block sets to match this one?")) {
        changeAll = false;
        return false;
    }
    changeAll = true;
    CopyWeightCase(controls.ChanceWeights, weightCase);
    StoreControls();
    return true;
}

void TGameSetup::AddSet() {
    const tcbgameset* set = Selected();
    std::string name = set && !set->builtin ? set->name : std::string();
    if (!GameSetupShell().AskSetName(name) || !IsValidText(name)) {
        return;
    }
    auto entry = std::make_unique<tcbgameset>();
    entry->name = name;
    entry->data = GameSetFromControls(controls);
    tcbgameset* added = entry.get();
    GameSetList.push_back(std::move(entry));
    RebuildList(added);
    listEnabled_ = true;
    shownName_.clear();
    FillFrom(added->data);
}

void TGameSetup::RenameSet() {
    tcbgameset* set = Selected();
    if (!set) {
        return;
    }
    if (set->builtin) {
        GameSetupShell().ShowMessage("This is a default game set, you can not modify it.");
        return;
    }
    std::string name = set->name;
    if (!GameSetupShell().AskSetName(name) || !IsValidText(name)) {
        return;
    }
    // The prompt was modal: the set may have gone meanwhile.
    if (!InList(set)) {
        return;
    }
    set->name = name;
    set->data = GameSetFromControls(controls);
    RebuildList(set);
    FillFrom(set->data);
}

void TGameSetup::DeleteSet() {
    tcbgameset* set = Selected();
    if (!set || set->editor) {
        return;
    }
    GameSetupHost& host = GameSetupShell();
    if (set->builtin) {
        host.ShowMessage("This is a default game set, you can not delete it.");
        return;
    }
    if (!host.Confirm("Are you sure you want to delete " + set->name + "?") || !InList(set)) {
        return;
    }
    std::erase_if(GameSetList, [set](const auto& entry) { return entry.get() == set; });
    RebuildList(nullptr);
    if (const tcbgameset* first = Selected()) {
        FillFrom(first->data);
    }
}

void TGameSetup::ConfirmClicked() {
    if (!open_) {
        return;
    }
    GameSetupHost& host = GameSetupShell();
    const tcbgameset* set = Selected();
    switch (mode_) {
        case gsmCreate:
            if (set) {
                host.CreateGame(set->name, regionId_, set->data, spectator);
            }
            break;
        case gsmJoin:
            host.JoinGame(gameId_, spectator);
            break;
        default:
            if (set) {
                host.SendRoomGameSet(set->name, set->data);
            }
            break;
    }
    Close();
}

void TGameSetup::Cancel() {
    if (open_) {
        Close();
    }
}

void TGameSetup::Close() {
    const tcbgameset* keep = Selected();
    if (keep && keep->editor) {
        keep = nullptr;
    }
    RemoveEditorEntries();
    RebuildList(InList(keep) ? keep : nullptr);
    open_ = false;
    GameSetupShell().EnableMainWindow(true);
}

}  // namespace pk
