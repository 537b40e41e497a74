#pragma once
// The client's windows in their fixed order (the main window first: its creation may touch no
// other window) with the hosts that tie the lobby's windows, the game-set editor, the dialogs
// and the update client to the shell, and the audio service. The program makes them once; its
// end-to-end tests make them the same way, so they play the client the program is.
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "lobby/ui/zrlobbywindowhost.h"
#include "shell/zraudio.h"
#include "update/ui/zrupdateform.h"

namespace pk {

class Tzrmain;
class Tzrbrowser;
class Tzrgame;
class Tzrpartyline;
class Tzrtitle;
class Tzrgamesetup;

class ClientWindows {
public:
    // Installs the shell's lobby part and the audio service, then makes the windows in order
    // and installs their hosts. `ProgramFolder` must be set.
    ClientWindows();
    // Runs the close once (when the message loop ended without it), then frees the windows in
    // reverse order and takes every host away again.
    ~ClientWindows();
    ClientWindows(const ClientWindows&) = delete;
    ClientWindows& operator=(const ClientWindows&) = delete;

    Tzrmain* main = nullptr;
    Tzrbrowser* browser = nullptr;
    Tzrgame* game = nullptr;
    Tzrpartyline* partyline = nullptr;
    Tzrtitle* title = nullptr;
    Tzrgamesetup* gamesetup = nullptr;

private:
    TLobbyWindowShellPart lobbyPart_;
    ClientAudio audio_;
    // A page that the skin placed inside another window goes with that window, so each is
    // held by a guarded pointer.
    std::vector<QPointer<QWidget>> windows_;
    std::unique_ptr<TLobbyWindowHost> lobbyHost_;
    std::unique_ptr<TLobbyGameSetupHost> gameSetupHost_;
    std::unique_ptr<TupdateHost> updateHost_;
};

}  // namespace pk
