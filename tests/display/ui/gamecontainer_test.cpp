#include <gtest/gtest.h>

#include <QApplication>

#include "display/ui/zrgameform.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "skin/skin_fixture.h"
#include "skin/ui/zrskinwidgets.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using test::Lines;

// The in-game window as the main window's container "con_game", with the game thread.
class GameContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        InitSkins(800, 600);
        InstallSkinWidgets();
        main = std::make_unique<TZRSkinForm>("shell");
        game = new Tzrgame();
        gameOwner.reset(game);
        GameThread = &thread;
        thread.Start();
        test::AddSkinEntry(theme, {"con_game", Lines({"shell", "hide"}), {0, 0, 300, 200}});
        test::AddSkinEntry(theme, {"chateditbox", Lines({"game"}), {5, 180, 200, 16}});
        ApplySkinTheme(theme, "shell", 400, 300);
        main->resize(400, 300);
        main->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        thread.Stop();
        GameThread = nullptr;
        ClientState = tme{};
        if (game->parentWidget())
            (void)gameOwner.release();
        main.reset();
        gameOwner.reset();
        RemoveSkinWidgets();
        FreeSkins();
    }
    TSkinElementRec& ConGame() { return *FindElementAnywhere("con_game"); }

    TZRTheme theme;
    TGameThread thread;
    std::unique_ptr<TZRSkinForm> main;
    Tzrgame* game = nullptr;
    std::unique_ptr<Tzrgame> gameOwner;
};

TEST_F(GameContainerTest, HiddenOutsideAGameTheThreadWaitsShownItRuns) {
    EXPECT_EQ(game->parentWidget(), main.get());
    EXPECT_FALSE(game->isVisible());
    EXPECT_TRUE(thread.Suspended());
    ApplyAction("show", ConGame(), true);
    EXPECT_TRUE(game->isVisible());
    EXPECT_FALSE(thread.Suspended());
    PaintDirtySkins();  // the container, never laid out while hidden, is placed as it paints
    EXPECT_EQ(game->geometry(), QRect(0, 0, 300, 200));
    // A running game keeps its thread while the window is hidden.
    ClientState.game.GameRunning = 1;
    ApplyAction("hide", ConGame(), true);
    EXPECT_FALSE(game->isVisible());
    EXPECT_FALSE(thread.Suspended());
    ClientState.game.GameRunning = 0;
    ApplyAction("deactivate", ConGame(), true);
    EXPECT_TRUE(thread.Suspended());
}

TEST_F(GameContainerTest, HidingClosesAnOpenChatEdit) {
    ApplyAction("show", ConGame(), true);
    PaintDirtySkins();
    QLineEdit* edit = game->msgbox();
    EXPECT_EQ(edit->parentWidget(), game);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->geometry(), QRect(5, 180, 200, 16));
    edit->setEnabled(true);
    ApplyAction("hide", ConGame(), true);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(FindElementAnywhere("chateditbox")->active, 0);
    EXPECT_FALSE(edit->isVisibleTo(game));
}

}  // namespace
}  // namespace pk
