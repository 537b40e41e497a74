#include "clientwindows.h"

#include <string>

#include "core/zrconst.h"
#include "display/ui/zrgameform.h"
#include "gamesetup/ui/zrgamesetupform.h"
#include "lobby/ui/zrdialogs.h"
#include "lobby/ui/zrforms.h"
#include "lobby/zrregionlist.h"
#include "room/ui/zrgextrasform.h"
#include "room/ui/zrpartylineform.h"
#include "room/zrpartyline.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrloadtheme.h"
#include "shell/ui/zrmain.h"
#include "shell/ui/zrskeyform.h"
#include "shell/zrshell.h"
#include "update/zrupdate.h"

namespace pk {

ClientWindows::ClientWindows() {
    // The lobby's part of the shell, before the main window's creation reaches it; it learns
    // of the lobby's windows once they exist.
    SetShellLobby(&lobbyPart_);
    // Sounds and music: the device opens with the main window (silence without one).
    SetShellAudio(&audio_);

    windows_.emplace_back(main = new Tzrmain());
    loadform = new Tloadform();
    windows_.emplace_back(loadform);
    update = new Tupdate();
    windows_.emplace_back(update);
    windows_.emplace_back(browser = new Tzrbrowser());
    windows_.emplace_back(game = new Tzrgame());
    windows_.emplace_back(partyline = new Tzrpartyline());
    windows_.emplace_back(title = new Tzrtitle());
    windows_.emplace_back(new Tzrsettings());
    windows_.emplace_back(new Tzrstheme());
    windows_.emplace_back(new Tzrsgame());
    windows_.emplace_back(new Tzrsserver());
    windows_.emplace_back(new Tzrskey());
    windows_.emplace_back(new Tzrsmisc());
    windows_.emplace_back(new Tzrsbrowser());
    windows_.emplace_back(gamesetup = new Tzrgamesetup());
    auto* signup = new Tzrsignup();
    windows_.emplace_back(signup);
    auto* query = new Tsbquery();
    windows_.emplace_back(query);
    windows_.emplace_back(new Tzrpickkeyf());
    windows_.emplace_back(new Tsbroomstats());
    windows_.emplace_back(new Tsbuserstats());
    windows_.emplace_back(new Tzrpsl());
    auto* regionlist = new Tzrregionlist();
    windows_.emplace_back(regionlist);
    windows_.emplace_back(new Tzrextras());
    windows_.emplace_back(new Tdbmanage());

    // The lobby's windows: its host (the dialogs' replies and entries plug into it), the
    // game-set editor's host and the shell's way in; the room details disable the main window.
    lobbyPart_.SetWindows(browser, signup);
    SetDialogsMainWindow(main);
    lobbyHost_ = std::make_unique<TLobbyWindowHost>(browser, gamesetup, query, signup);
    lobbyHost_->hooks.showUserDbConsole = ShowDbConsole;
    lobbyHost_->hooks.statusList = OpenStatusList;
    lobbyHost_->hooks.userDbReply = OpenUserDbReply;
    lobbyHost_->hooks.playerDetails = OpenPlayerDetails;
    lobbyHost_->hooks.playerStats = OpenPlayerStats;
    lobbyHost_->hooks.locationDialogVisible = LocationPickerVisible;
    lobbyHost_->hooks.fillRegionList = RefillLocationPicker;
    SetLobbyHost(lobbyHost_.get());
    gameSetupHost_ = std::make_unique<TLobbyGameSetupHost>(query);
    gameSetupHost_->enableMainWindow = [window = main](bool on) { window->setEnabled(on); };
    gameSetupHost_->openRegionPicker = ShowRegionPicker;
    SetGameSetupHost(gameSetupHost_.get());
    // The location picker's choice fills the editor's region box, by id.
    regionlist->onRegionChosen = [editor = gamesetup](std::int32_t id) {
        editor->FillRegions(id, RegionBoxText(id));
    };
    // The room window's settings button opens the editor in its room mode.
    InstallRoomGameSetEditor();
    InstallLobbyWindowHooks(*browser, *query);
    partyline->SetKickPrompt(KickMessagePrompt(*query));
    browser->hooks.roomDetails = ShowRoomStats;
    browser->hooks.editOwnDetails = ShowOwnStats;

    // The update client: its dialog, the main window's id for the updater, the shell's way in.
    updateHost_ = std::make_unique<TupdateHost>(main);
    SetUpdateHost(updateHost_.get());
    SetUpdateView(update);
    InstallUpdateClient();
}

ClientWindows::~ClientWindows() {
    // The close runs once: here when the loop ended without the window closing, or when no
    // theme could be loaded.
    if (!ShellClosed())
        ShellFormClose();
    loadform = nullptr;
    SetUpdateView(nullptr);
    SetUpdateHost(nullptr);
    SetGameSetupHost(nullptr);
    SetRoomGameSetEditor({});
    SetLobbyHost(nullptr);
    // Destroyed in reverse order, the main window last.
    while (!windows_.empty()) {
        delete windows_.back().data();
        windows_.pop_back();
    }
    update = nullptr;
    SetShellLobby(nullptr);
    SetShellAudio(nullptr);
}

}  // namespace pk
