// The client: the application object, the windows in their fixed order (the main window
// first: its creation may touch no other window), the start-up, the message loop.
#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "core/zrconst.h"
#include "game/ui/zrforms.h"
#include "game/ui/zrgextrasform.h"
#include "game/zrpartyline.h"
#include "lobby/ui/zrdialogs.h"
#include "lobby/ui/zrforms.h"
#include "lobby/ui/zrlobbywindowhost.h"
#include "lobby/ui/zrupdateform.h"
#include "lobby/zrlobbyshell.h"
#include "lobby/zrregionlist.h"
#include "lobby/zrupdate.h"
#include "platform/cp1252.h"
#include "platform/termsignal.h"
#include "shell/ui/zrapplication.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrloadtheme.h"
#include "shell/ui/zrmain.h"
#include "shell/zraudio.h"
#include "shell/zrshell.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(pk::QStringToCp1252(QString::fromLocal8Bit(argv[i])));
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    pk::TApplication app(argc, argv);
    QApplication::setApplicationName("Pelkorin2");
    pk::ProgramFolder = QCoreApplication::applicationDirPath().toStdString();

    // The lobby's part of the shell, before the main window's creation reaches it; it learns
    // of the lobby's windows once they exist.
    pk::TLobbyWindowShellPart lobbyPart;
    pk::SetShellLobby(&lobbyPart);

    // Sounds and music: the device opens with the main window (silence without one).
    pk::ClientAudio audio;
    pk::SetShellAudio(&audio);

    // Destroyed in reverse order, the main window last. A page that the skin placed inside
    // another window goes with that window, so each is held by a guarded pointer.
    std::vector<QPointer<QWidget>> windows;
    auto* zrmain = new pk::Tzrmain();
    windows.emplace_back(zrmain);
    pk::loadform = new pk::Tloadform();
    windows.emplace_back(pk::loadform);
    pk::update = new pk::Tupdate();
    windows.emplace_back(pk::update);
    auto* browser = new pk::Tzrbrowser();
    windows.emplace_back(browser);
    windows.emplace_back(new pk::Tzrgame());
    auto* partyline = new pk::Tzrpartyline();
    windows.emplace_back(partyline);
    windows.emplace_back(new pk::Tzrtitle());
    windows.emplace_back(new pk::Tzrsettings());
    windows.emplace_back(new pk::Tzrstheme());
    windows.emplace_back(new pk::Tzrsgame());
    windows.emplace_back(new pk::Tzrsserver());
    windows.emplace_back(new pk::Tzrskey());
    windows.emplace_back(new pk::Tzrsmisc());
    windows.emplace_back(new pk::Tzrsbrowser());
    auto* gamesetup = new pk::Tzrgamesetup();
    windows.emplace_back(gamesetup);
    auto* signup = new pk::Tzrsignup();
    windows.emplace_back(signup);
    auto* query = new pk::Tsbquery();
    windows.emplace_back(query);
    windows.emplace_back(new pk::Tzrpickkeyf());
    windows.emplace_back(new pk::Tsbroomstats());
    windows.emplace_back(new pk::Tsbuserstats());
    windows.emplace_back(new pk::Tzrpsl());
    auto* regionlist = new pk::Tzrregionlist();
    windows.emplace_back(regionlist);
    windows.emplace_back(new pk::Tzrextras());
    windows.emplace_back(new pk::Tdbmanage());

    // The lobby's windows: its host (the dialogs' replies and entries plug into it), the
    // game-set editor's host and the shell's way in; the room details disable the main window.
    lobbyPart.SetWindows(browser, signup);
    pk::SetDialogsMainWindow(zrmain);
    pk::TLobbyWindowHost lobbyHost(browser, gamesetup, query, signup);
    lobbyHost.hooks.showUserDbConsole = pk::ShowDbConsole;
    lobbyHost.hooks.statusList = pk::OpenStatusList;
    lobbyHost.hooks.userDbReply = pk::OpenUserDbReply;
    lobbyHost.hooks.playerDetails = pk::OpenPlayerDetails;
    lobbyHost.hooks.playerStats = pk::OpenPlayerStats;
    lobbyHost.hooks.locationDialogVisible = pk::LocationPickerVisible;
    lobbyHost.hooks.fillRegionList = pk::RefillLocationPicker;
    pk::SetLobbyHost(&lobbyHost);
    pk::TLobbyGameSetupHost gameSetupHost(query);
    gameSetupHost.enableMainWindow = [zrmain](bool on) { zrmain->setEnabled(on); };
    gameSetupHost.openRegionPicker = pk::ShowRegionPicker;
    pk::SetGameSetupHost(&gameSetupHost);
    // The location picker's choice fills the editor's region box, by id.
    regionlist->onRegionChosen = [gamesetup](std::int32_t id) {
        gamesetup->FillRegions(id, pk::RegionBoxText(id));
    };
    // The room window's settings button opens the editor in its room mode.
    pk::InstallRoomGameSetEditor();
    pk::InstallLobbyWindowHooks(*browser, *query);
    partyline->SetKickPrompt(pk::KickMessagePrompt(*query));
    browser->hooks.roomDetails = pk::ShowRoomStats;
    browser->hooks.editOwnDetails = pk::ShowOwnStats;

    // The update client: its dialog, the main window's id for the updater, the shell's way in.
    pk::TupdateHost updateHost(zrmain);
    pk::SetUpdateHost(&updateHost);
    pk::SetUpdateView(pk::update);
    pk::InstallUpdateClient();

    // Ctrl+C or a session's end closes the client in order, also while a message box of the
    // start-up is open: the loops return and the close below runs.
    pk::OnTerminationSignal([&app] { app.EndForSignal(); }, pk::TerminationGraceSeconds);
    int result = 1;
    if (pk::StartUp(Arguments(argc, argv)))
        result = app.Ending() ? 0 : app.exec();
    // The close runs once: here when the loop ended without the window closing, or when no
    // theme could be loaded.
    if (!pk::ShellClosed())
        pk::ShellFormClose();
    pk::loadform = nullptr;
    pk::SetUpdateHost(nullptr);
    pk::SetGameSetupHost(nullptr);
    pk::SetRoomGameSetEditor({});
    pk::SetLobbyHost(nullptr);
    while (!windows.empty()) {
        delete windows.back().data();
        windows.pop_back();
    }
    pk::SetShellLobby(nullptr);
    pk::SetShellAudio(nullptr);
    return result;
}
