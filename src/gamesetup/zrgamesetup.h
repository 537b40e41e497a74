#pragma once
// The game-set editor ("Game Setup") without its window: the mode it was opened in, the list of
// sets as its combo box shows them, the set being edited with its controls, the set management
// (new, rename, delete) and the three ways out. The window (gamesetup/ui) copies the controls in
// and out and asks the host below for whatever lies outside the game: the lobby's create and join
// requests, the name prompt, message boxes and the main window.
#include <cstdint>
#include <string>
#include <vector>

#include "core/zrgamesetlist.h"
#include "gamesetup/zrgamesetform.h"

namespace pk {

enum GameSetupMode : int {
    gsmRoomSet = 0,  // change the room's set (the room window's settings button)
    gsmJoin = 1,     // look at a game's set before joining it
    gsmCreate = 2,   // pick a set and create a game
};

class GameSetupHost {
public:
    virtual ~GameSetupHost() = default;
    // The lobby's requests; regionId 0 lets the server choose.
    virtual void CreateGame(const std::string& setName, std::int32_t regionId,
                            const std::string& data, bool spectator) {
        (void)setName, (void)regionId, (void)data, (void)spectator;
    }
    virtual void JoinGame(std::int32_t gameId, bool spectator) { (void)gameId, (void)spectator; }
    // Message 0x20 to the game server (the default sends it on the game link).
    virtual void SendRoomGameSet(const std::string& name, const std::string& data);
    // The region box of a game's own server ("(Private Game)" when none is known).
    virtual std::string GameRegionText(std::int32_t gameId) {
        (void)gameId;
        return "(Private Game)";
    }
    // The query dialog's new-set panel, starting with `name`; true when confirmed.
    virtual bool AskSetName(std::string& name) {
        (void)name;
        return false;
    }
    virtual void ShowMessage(const std::string& text) { (void)text; }
    virtual bool Confirm(const std::string& text) {
        (void)text;
        return false;
    }
    // The main window is disabled while the editor shows.
    virtual void EnableMainWindow(bool enabled) { (void)enabled; }
    // "...": the location picker.
    virtual void OpenRegionPicker() {}
};

GameSetupHost& GameSetupShell();
// nullptr restores the default. The caller keeps ownership.
void SetGameSetupHost(GameSetupHost* host);

// Texts of the editor.
extern const char* const GameSetupBuiltInEditMessage;
inline constexpr const char* LeastBusyServerText = "(Least busy server)";
inline constexpr const char* PrivateGameText = "(Private Game)";

// One row of the combo box.
struct TGameSetRow {
    tcbgameset* set = nullptr;
    std::string text;
};

class TGameSetup {
public:
    // Opens in a mode (see GameSetupMode); `editable` counts in the room mode only.
    void SetMode(std::int32_t gameId, const std::string& gameName, const std::string& data,
                 bool editable, int mode);

    int Mode() const { return mode_; }
    bool Open() const { return open_; }
    std::int32_t GameId() const { return gameId_; }
    // Caption of the header, of the confirm button, and whether the button acts.
    const std::string& Caption() const { return caption_; }
    const std::string& ConfirmText() const { return confirmText_; }
    bool ConfirmEnabled() const { return confirmEnabled_; }
    bool SpectatorShown() const { return mode_ != gsmRoomSet; }
    bool MoreRegionsEnabled() const { return mode_ == gsmCreate; }
    bool ListEnabled() const { return listEnabled_; }
    // Without a selected set the controls only show a set: nothing is stored.
    bool Editable() const { return Selected() != nullptr; }

    const std::vector<TGameSetRow>& Rows() const { return rows_; }
    int SelectedRow() const { return selectedRow_; }
    tcbgameset* Selected() const;
    // The combo's text when no row is selected (a game's set shown read-only).
    const std::string& ShownName() const { return shownName_; }

    // The region box and the region a create sends (0 = the least busy server).
    const std::string& RegionText() const { return regionText_; }
    std::int32_t RegionId() const { return regionId_; }
    void SetRegion(std::int32_t regionId, const std::string& text);

    TGameSetControls controls;
    int weightCase = 0;  // "sbset": 0 to 3
    bool changeAll = false;
    bool spectator = false;

    // A row picked in the combo (presetlistChange).
    void SelectRow(int row);
    // A control changed: the controls are stored into the selected set. False when the set is
    // built in (the message has been shown) or nothing is selected.
    bool StoreControls();
    // A weight track bar (kind 0..13) moved.
    void WeightChanged(int kind, int value);
    void ShiftWeights(int step);
    // "Change all at once" ticked or unticked; false when it ends unticked.
    bool ChangeAllClicked(bool ticked);

    void AddSet();
    void RenameSet();
    void DeleteSet();

    // The confirm button, then Cancel (every other way of closing takes it too).
    void ConfirmClicked();
    void Cancel();

    // Rebuilds the rows, selecting `select` (or the first row when it is not listed).
    void RebuildList(const tcbgameset* select);

private:
    void FillFrom(const std::string& data);
    void Close();

    int mode_ = gsmCreate;
    bool open_ = false;
    std::int32_t gameId_ = -1;
    std::string caption_, confirmText_, shownName_;
    bool confirmEnabled_ = false;
    bool listEnabled_ = false;
    std::vector<TGameSetRow> rows_;
    int selectedRow_ = -1;
    std::string regionText_ = LeastBusyServerText;
    std::int32_t regionId_ = 0;
};

// Removes every entry the editor added for a room's rules.
void RemoveEditorEntries();

}  // namespace pk
