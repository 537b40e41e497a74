#pragma once
// The client's windows as the program makes them (the main window first, the pages, then the
// dialogs, wired as its main wires them), offscreen on one of the two shipped themes, for the
// tests that look at them: their pictures, their palettes, the contrast of their texts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "display/ui/zrgameform.h"
#include "gamesetup/ui/zrgamesetupform.h"
#include "lobby/ui/zrdialogs.h"
#include "lobby/ui/zrforms.h"
#include "lobby/ui/zrlobbywindowhost.h"
#include "lobby/zrlobbymodel.h"
#include "lobby/zrregionlist.h"
#include "platform/keystate.h"
#include "room/ui/zrgextrasform.h"
#include "room/ui/zrpartylineform.h"
#include "shell/shell_fixture.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrmain.h"
#include "shell/ui/zrskeyform.h"
#include "shell/zrshell.h"
#include "shell/zrthemesel.h"
#include "support/event_loop.h"
#include "support/widgetapp.h"
#include "update/ui/zrupdateform.h"

namespace pk::test {

enum class ShippedTheme { Default, Ember };

inline std::string ThemeParamName(const ::testing::TestParamInfo<ShippedTheme>& info) {
    return info.param == ShippedTheme::Default ? "Default" : "Ember";
}

class ThemedClient {
public:
    // Starts the client in `folder` (which gets both libraries) on the theme.
    ThemedClient(ShippedTheme theme, const std::filesystem::path& folder) {
        EnsureWidgetApp();
        // No key an earlier test left down (a game would take it for the player's).
        ApplicationKeyState().releaseAll();
        ResetShellGlobals();
        ResetLobbyModel();
        InitPlayerSlots();
        ProgramFolder = folder;
        std::filesystem::copy_file(PK_DEFAULT_THEME_FILE, folder / "DEFAULT.KLB");
        std::filesystem::copy_file(PK_EMBER_THEME_FILE, folder / "EMBER.KLB");
        // The message boxes a test does not look for wait for no one.
        SetMessageBoxHandler([this](QWidget*, const QString& t) { messages.push_back(t); });
        LobbyBoxes().message = [this](const std::string& t) { messages.push_back(t.c_str()); };
        LobbyBoxes().confirm = [](const std::string&) { return true; };
        SetShellLobby(&lobbyPart_);
        Make(main = new Tzrmain());
        Make(update = new Tupdate());
        Make(browser = new Tzrbrowser());
        browser->misctimer()->stop();  // the tests hold the banner and the clock still
        Make(game = new Tzrgame());
        Make(room = new Tzrpartyline());
        Make(title = new Tzrtitle());
        for (QWidget* page : std::initializer_list<QWidget*>{
                 new Tzrsettings(), new Tzrstheme(), new Tzrsgame(), new Tzrsserver(),
                 new Tzrskey(), new Tzrsmisc(), new Tzrsbrowser()})
            Make(page);
        Make(setup = new Tzrgamesetup());
        Make(signup = new Tzrsignup());
        Make(query = new Tsbquery());
        Make(pickKey = new Tzrpickkeyf());
        Make(roomStats = new Tsbroomstats());
        Make(userStats = new Tsbuserstats());
        Make(statusList = new Tzrpsl());
        Make(regions = new Tzrregionlist());
        Make(extras = new Tzrextras());
        Make(database = new Tdbmanage());
        lobbyPart_.SetWindows(browser, signup);
        SetDialogsMainWindow(main);
        lobbyHost_ = std::make_unique<TLobbyWindowHost>(browser, setup, query, signup);
        lobbyHost_->hooks.showUserDbConsole = ShowDbConsole;
        lobbyHost_->hooks.statusList = OpenStatusList;
        lobbyHost_->hooks.userDbReply = OpenUserDbReply;
        lobbyHost_->hooks.playerDetails = OpenPlayerDetails;
        lobbyHost_->hooks.playerStats = OpenPlayerStats;
        lobbyHost_->hooks.locationDialogVisible = LocationPickerVisible;
        lobbyHost_->hooks.fillRegionList = RefillLocationPicker;
        SetLobbyHost(lobbyHost_.get());
        InstallLobbyWindowHooks(*browser, *query);
        started = StartUp({});
        if (started && theme == ShippedTheme::Ember)
            started = SelectTheme(folder / "EMBER.KLB", "ember") == ThemeLoad::Requested;
        main->show();
        QApplication::processEvents();
    }
    ~ThemedClient() {
        SetLobbyHost(nullptr);
        if (!ShellClosed())
            ShellFormClose();
        while (!windows_.empty()) {
            delete windows_.back().data();
            windows_.pop_back();
        }
        DrainEvents();
        SetDialogsMainWindow(nullptr);
        SetShellLobby(nullptr);
        SetMessageBoxHandler({});
        LobbyBoxes() = {};
        FreeTheme(Settings.theme);
        ResetLobbyModel();
        FreePlayerSlots();
        ResetShellGlobals();
        ApplicationKeyState().releaseAll();
        ProgramFolder.clear();
    }
    ThemedClient(const ThemedClient&) = delete;
    ThemedClient& operator=(const ThemedClient&) = delete;

    // The dialogs by the names their pictures go under.
    std::vector<std::pair<std::string, QWidget*>> Dialogs() const {
        return {{"gamesetup", setup},       {"signup", signup},       {"query", query},
                {"pickkey", pickKey},       {"roomstats", roomStats}, {"userstats", userStats},
                {"statuslist", statusList}, {"regionlist", regions},  {"extras", extras},
                {"dbmanage", database},     {"update", update}};
    }
    // Logs in to a master server on loopback as the player does from the title page.
    void LogIn(int port) {
        ClientState.lobby.server.host = "127.0.0.1";
        ClientState.lobby.server.port = port;
        lobbyPart_.LobbyLogin("alice", "secret");
    }
    QImage Grab() {
        DrainEvents();
        return main->grab().toImage();
    }

    bool started = false;
    Tzrmain* main = nullptr;
    Tupdate* update = nullptr;
    Tzrbrowser* browser = nullptr;
    Tzrgame* game = nullptr;
    Tzrpartyline* room = nullptr;
    Tzrtitle* title = nullptr;
    Tzrgamesetup* setup = nullptr;
    Tzrsignup* signup = nullptr;
    Tsbquery* query = nullptr;
    Tzrpickkeyf* pickKey = nullptr;
    Tsbroomstats* roomStats = nullptr;
    Tsbuserstats* userStats = nullptr;
    Tzrpsl* statusList = nullptr;
    Tzrregionlist* regions = nullptr;
    Tzrextras* extras = nullptr;
    Tdbmanage* database = nullptr;
    QStringList messages;

private:
    void Make(QWidget* window) { windows_.emplace_back(window); }

    TLobbyWindowShellPart lobbyPart_;
    std::unique_ptr<TLobbyWindowHost> lobbyHost_;
    // Freed in reverse order, the main window last; a page placed inside another window goes
    // with it.
    std::vector<QPointer<QWidget>> windows_;
};

}  // namespace pk::test
