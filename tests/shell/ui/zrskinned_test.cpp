// The client's windows as skinned forms: the main window and the login page from a synthetic
// theme through the start-up, with the skin's scripts driving commands through the shell's
// command host against the scripted game server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "game/zrgame.h"
#include "peers/game_server.h"
#include "room/zrgamelink.h"
#include "shell/shell_fixture.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrmain.h"
#include "shell/zrskinwiring.h"
#include "skin/zrskin.h"
#include "skin/zrskinscript.h"
#include "support/event_loop.h"
#include "support/skin_text.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using test::Lines;
using test::RunUntil;
using test::Script;
using test::SkinEntry;

std::vector<KlbEntry> SkinnedTheme() {
    std::vector<KlbEntry> v = test::BasicTheme();
    // The basic theme's minimum window size is 0 x 0: the main window keeps its own.
    v.push_back(SkinEntry("back", "*", 0, 0, 4, 4, 0xFF305070, false,
                          Lines({"shell", "maxboth", "stretchboth"}),
                          Script({"onstart @started yes"})));
    v.push_back(SkinEntry("con_login", "*", 10, 10, 200, 150, 0, false, Lines({"shell"})));
    v.push_back(
        SkinEntry("connect", "*", 300, 10, 60, 20, 0xFF20A020, false, Lines({"shell"}),
                  Script({"onmousedown execute gameconnect", "onmousedown hide nosuchthing"})));
    v.push_back(SkinEntry("loginback", "*", 0, 0, 4, 4, 0xFF8080F0, false,
                          Lines({"login", "maxboth", "stretchboth"})));
    return v;
}

class SkinnedWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        test::ResetShellGlobals();
        ProgramFolder = dir.Path();
        test::SaveLibrary(dir.Path() / "skinned.klb", SkinnedTheme());
        SetMessageBoxHandler(
            [this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
        main = std::make_unique<Tzrmain>();
        main->resize(400, 300);
        title = new Tzrtitle();
        titleOwner.reset(title);
        ASSERT_TRUE(StartUp({}));
        QApplication::processEvents();
    }
    void TearDown() override {
        if (title->parentWidget())
            (void)titleOwner.release();
        titleOwner.reset();
        main.reset();
        test::DrainEvents();
        SetMessageBoxHandler({});
        FreeTheme(Settings.theme);
        test::ResetShellGlobals();
        ProgramFolder.clear();
    }
    void Click(QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, main->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main.get(), &press);
    }

    test::TempDir dir;
    std::unique_ptr<Tzrmain> main;
    Tzrtitle* title = nullptr;
    std::unique_ptr<Tzrtitle> titleOwner;
    std::vector<std::string> messages;
    peers::GameServerPeer server;
};

TEST_F(SkinnedWindowsTest, TheStartUpBuildsTheSkinsPlacesThePagesAndFiresOnStart) {
    ASSERT_NE(FindSkinByName("shell"), nullptr);
    EXPECT_EQ(FindSkinByName("shell")->form, static_cast<SkinForm*>(main.get()));
    EXPECT_EQ(title->parentWidget(), main.get());
    EXPECT_TRUE(title->isVisible());
    EXPECT_EQ(title->geometry(), QRect(10, 10, 200, 150));
    EXPECT_EQ(main->focusWidget(), title);  // shown by "con_login": the keyboard goes there
    EXPECT_EQ(GetSkinVar("started"), "yes");
    EXPECT_EQ(main->BackBuffer().pixel(390, 290), Argb(ArgbTo555(0xFF305070)));
}

TEST_F(SkinnedWindowsTest, AButtonsScriptConnectsThroughTheShellsCommands) {
    ASSERT_TRUE(server.Listen());
    Config.accountname = "alice";
    Config.serveraddress = "127.0.0.1:" + std::to_string(server.Port());
    Click({320, 15});
    EXPECT_EQ(Config.gameservers.front(), Config.serveraddress);
    ASSERT_TRUE(RunUntil([] { return ClientState.game.GameLinkState == LinkInRoom; }));
    EXPECT_EQ(server.Last()->LoginLine(), "login alice 136");
    // The script's second line names no element: its box, once.
    EXPECT_EQ(messages, std::vector<std::string>{"Error! Skin: connect Event: onmousedown "
                                                 "Action: hide Target: nosuchthing not found!"});
    Click({320, 15});  // in a room now: "gameconnect" does nothing, the box does not return
    EXPECT_EQ(messages.size(), 1u);
    GameDisconnect();
}

TEST_F(SkinnedWindowsTest, TheThemeWatchWaitsWhileTheSkinIsBusy) {
    SkinDispatchGuard busy;
    EXPECT_TRUE(Skins().Busy());
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Busy);
}

TEST(ShellSkinCommands, AnswerFromTheClientStateAndTheConfiguration) {
    test::ResetShellGlobals();
    ShellSkinCommands commands;
    ClientState.game.GameLinkState = LinkInRoom;
    ClientState.game.GameRunning = 1;
    ClientState.game.Spectating = 0;
    ClientState.game.RoomOperators = "alice bob";
    Config.accountname = "bob";
    Config.accountpass = "secret";
    Config.serveraddress = "host:1";
    Config.gameservers = {"other"};
    EXPECT_EQ(commands.GameLinkState(), 1);
    EXPECT_TRUE(commands.GameRunning());
    EXPECT_FALSE(commands.Spectating());
    EXPECT_EQ(commands.RoomOperators(), "alice bob");
    EXPECT_EQ(commands.AccountPassword(), "secret");
    EXPECT_EQ(commands.ServerAddress(), "host:1");
    EXPECT_EQ(commands.OccupiedPlayerSlots(), 0);
    commands.RememberServer("host:1");
    commands.RememberServer("other");
    EXPECT_EQ(Config.gameservers, (std::vector<std::string>{"host:1", "other"}));
    EXPECT_EQ(commands.LobbyLinkState(), 2);
    test::ResetShellGlobals();
}

}  // namespace
}  // namespace pk
