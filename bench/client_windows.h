#pragma once
// The client's windows as the client makes them, in its order (the main window first), for the
// benchmarks that start the client's start-up. The lobby's part of the shell is installed
// first, as the client does; Close() frees the windows in reverse order.
#include <QPointer>
#include <QWidget>
#include <vector>

#include "display/ui/zrgameform.h"
#include "gamesetup/ui/zrgamesetupform.h"
#include "lobby/ui/zrforms.h"
#include "lobby/zrlobbyshell.h"
#include "room/ui/zrgextrasform.h"
#include "room/ui/zrpartylineform.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrloadtheme.h"
#include "shell/ui/zrmain.h"
#include "shell/ui/zrskeyform.h"
#include "shell/zrshell.h"
#include "update/ui/zrupdateform.h"

namespace bench {

class ClientWindows {
public:
    ClientWindows() {
        pk::SetShellLobby(&lobbyPart_);
        main = new pk::Tzrmain();
        windows_.emplace_back(main);
        pk::loadform = new pk::Tloadform();
        windows_.emplace_back(pk::loadform);
        pk::update = new pk::Tupdate();
        windows_.emplace_back(pk::update);
        windows_.emplace_back(new pk::Tzrbrowser());
        windows_.emplace_back(game = new pk::Tzrgame());
        windows_.emplace_back(new pk::Tzrpartyline());
        windows_.emplace_back(title = new pk::Tzrtitle());
        windows_.emplace_back(new pk::Tzrsettings());
        windows_.emplace_back(new pk::Tzrstheme());
        windows_.emplace_back(new pk::Tzrsgame());
        windows_.emplace_back(new pk::Tzrsserver());
        windows_.emplace_back(new pk::Tzrskey());
        windows_.emplace_back(new pk::Tzrsmisc());
        windows_.emplace_back(new pk::Tzrsbrowser());
        windows_.emplace_back(new pk::Tzrgamesetup());
        windows_.emplace_back(new pk::Tzrsignup());
        windows_.emplace_back(new pk::Tsbquery());
        windows_.emplace_back(new pk::Tzrpickkeyf());
        windows_.emplace_back(new pk::Tsbroomstats());
        windows_.emplace_back(new pk::Tsbuserstats());
        windows_.emplace_back(new pk::Tzrpsl());
        windows_.emplace_back(new pk::Tzrregionlist());
        windows_.emplace_back(new pk::Tzrextras());
        windows_.emplace_back(new pk::Tdbmanage());
    }
    ~ClientWindows() { Close(); }

    // Runs the client's close once, then frees the windows.
    void Close() {
        if (!pk::ShellClosed())
            pk::ShellFormClose();
        pk::loadform = nullptr;
        while (!windows_.empty()) {
            delete windows_.back().data();
            windows_.pop_back();
        }
        pk::SetShellLobby(nullptr);
    }

    pk::Tzrmain* main = nullptr;
    pk::Tzrgame* game = nullptr;
    pk::Tzrtitle* title = nullptr;

private:
    pk::TLobbyShellPart lobbyPart_;
    std::vector<QPointer<QWidget>> windows_;
};

}  // namespace bench
