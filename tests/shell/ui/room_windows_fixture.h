#pragma once
// The client's windows as the room tests open them: the main window on the default theme with
// its pages and the room window (and, where a test asks, the in-game window itself), a player
// named "alice" and a game server on loopback for the room. Message boxes are collected.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "display/ui/zrgameform.h"
#include "game/zrgame.h"
#include "peers/game_server.h"
#include "room/ui/zrpartylineform.h"
#include "room/zrgamelink.h"
#include "shell/shell_fixture.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrmain.h"
#include "skin/ui/zrskinwidgets.h"
#include "support/event_loop.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk::test {

class RoomWindowsFixture : public ::testing::Test {
protected:
    // `inGameWindow`: the in-game window itself rather than a bare skinned page in its place.
    void OpenWindows(bool inGameWindow = false) {
        EnsureWidgetApp();
        ResetShellGlobals();
        InitPlayerSlots();
        ProgramFolder = dir.Path();
        std::filesystem::copy_file(PK_DEFAULT_THEME_FILE, dir.Path() / "DEFAULT.KLB");
        SetMessageBoxHandler(
            [this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
        main = std::make_unique<Tzrmain>();
        QWidget* gamePage = inGameWindow ? (game = new Tzrgame()) : new TZRSkinForm("game");
        for (QWidget* page : std::initializer_list<QWidget*>{
                 new Tzrtitle(), new Tzrsettings(), new Tzrstheme(), new Tzrsgame(),
                 new Tzrsserver(), new Tzrsmisc(), new Tzrsbrowser(), gamePage,
                 room = new Tzrpartyline(), new TZRSkinForm("browser"),
                 new TZRSkinForm("setcontrol")})
            pages.emplace_back(page);
        ASSERT_TRUE(StartUp({}));
        Config.accountname = "alice";
    }
    void ShowAndListen() {
        main->show();
        ASSERT_TRUE(server.Listen());
    }
    void TearDown() override {
        GameDisconnect();
        DrainEvents();
        SetShellSkins(nullptr);
        for (auto& page : pages)
            if (page->parentWidget())
                (void)page.release();
        pages.clear();
        main.reset();
        DrainEvents();
        SetMessageBoxHandler({});
        FreeTheme(Settings.theme);
        FreePlayerSlots();
        ResetShellGlobals();
        ProgramFolder.clear();
    }

    TempDir dir;
    std::unique_ptr<Tzrmain> main;
    std::vector<std::unique_ptr<QWidget>> pages;
    Tzrgame* game = nullptr;
    Tzrpartyline* room = nullptr;
    peers::GameServerPeer server;
    std::vector<std::string> messages;
};

}  // namespace pk::test
