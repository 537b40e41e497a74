// The tray icon's tip and mouse messages, and the main window's full screen and minimising as
// the desktop reports them (the offscreen platform has no notification area).
#include "shell/ui/zrtraybar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>

#include "room/zrroomhost.h"
#include "shell/shell_fixture.h"
#include "shell/ui/zrmain.h"
#include "shell/zruistate.h"
#include "support/event_loop.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

TEST(Traybar, TipIsCutTo64AndMessagesRaiseTheirEvents) {
    test::EnsureWidgetApp();
    TTraybar tray;
    tray.SetHint(std::string(70, 'x'));
    EXPECT_EQ(tray.Hint(), std::string(64, 'x'));
    std::vector<std::string> seen;
    tray.Onclick = [&] { seen.push_back("click"); };
    tray.OnDblClick = [&] { seen.push_back("double"); };
    tray.Callback(TTraybar::Mouse::LeftDown);
    tray.Callback(TTraybar::Mouse::LeftDouble);
    tray.Callback(TTraybar::Mouse::RightUp);  // neither handler nor menu: nothing
    tray.OnRightClick = [&] { seen.push_back("right"); };
    tray.Callback(TTraybar::Mouse::RightUp);
    EXPECT_EQ(seen, (std::vector<std::string>{"click", "double", "right"}));
    // Without a notification area the icon is not added.
    EXPECT_EQ(tray.AddIcon(), TTraybar::Available());
}

class MainWindowStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        test::ResetShellGlobals();
        ProgramFolder = dir.Path();
        test::SaveLibrary(dir.Path() / "basic.klb", test::BasicTheme());
        SetMessageBoxHandler([](QWidget*, const QString&) {});
        main = std::make_unique<Tzrmain>();
        ASSERT_TRUE(StartUp({}));
    }
    void TearDown() override {
        main.reset();
        test::DrainEvents();
        SetMessageBoxHandler({});
        FreeTheme(Settings.theme);
        test::ResetShellGlobals();
        ProgramFolder.clear();
    }
    test::TempDir dir;
    std::unique_ptr<Tzrmain> main;
};

TEST_F(MainWindowStateTest, FullScreenTwiceThenRestore) {
    Settings.options.maxfs = 1;
    main->SetFullScreen(true);
    EXPECT_TRUE(main->isFullScreen());
    EXPECT_EQ(UiStateEvent(uiWindow, true), "onfullscreen");
    main->SetFullScreen(true);  // no longer normal: nothing
    EXPECT_TRUE(main->isFullScreen());
    main->SetFullScreen(false);
    EXPECT_FALSE(main->Maximised());
    EXPECT_EQ(UiStateEvent(uiWindow, true), "onrestore");
    Settings.options.maxfs = 0;
    main->SetFullScreen(true);
    EXPECT_TRUE(main->isMaximized());
}

TEST_F(MainWindowStateTest, MinimisingWithoutATrayLeavesAMinimisedWindow) {
    Settings.options.taskbar = 1;
    main->showMinimized();
    QApplication::processEvents();
    EXPECT_TRUE(main->Minimised());
    if (!TTraybar::Available()) {
        EXPECT_FALSE(main->trayicon().Shown());
    }
    main->trayiconDblClick();
    EXPECT_FALSE(main->Minimised());
    EXPECT_FALSE(main->trayicon().Shown());
    EXPECT_EQ(main->traymenu()->actions().at(0)->objectName(), "Exit1");
    main->SetTrayHint("Not connected!");
    EXPECT_EQ(main->trayicon().Hint(), "Not connected!");
}

}  // namespace
}  // namespace pk
