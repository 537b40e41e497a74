// The in-game window offscreen: its text boxes and chat edit bound by the skin, messages, the
// chat key with its 50 ms swallow, Enter on release, Esc and completion, and the font menus.
#include "display/ui/zrgameform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "display/zrgamewindow.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "room/zrroomchat.h"
#include "room/zrroomevents.h"
#include "skin/skin_fixture.h"
#include "skin/ui/zrskinwidgets.h"
#include "support/fake_game_io.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using test::Lines;

class GameFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        InitSkins(800, 600);
        InstallSkinWidgets();
        SetGameSender(&sender);
        SetGameView(&display);
        SetGameClock(&clock);
        game = std::make_unique<Tzrgame>();
        test::AddSkinEntry(theme, {"chatbox", Lines({"game"}), {5, 5, 200, 60}});
        test::AddSkinEntry(theme, {"attacklist", Lines({"game"}), {5, 70, 200, 60}});
        test::AddSkinEntry(theme, {"chateditbox", Lines({"game", "inactive"}), {5, 180, 200, 16}});
        ApplySkinTheme(theme, "shell", 400, 300);
        game->show();
        PaintDirtySkins();
        QApplication::processEvents();
        ClientState.game.GameLinkState = LinkInRoom;
    }
    void TearDown() override {
        game.reset();
        RemoveSkinWidgets();
        FreeSkins();
        SetGameSender(nullptr);
        SetGameView(nullptr);
        SetGameClock(nullptr);
        ClientState = tme{};
        RecentPrivateNames.clear();
    }
    void Key(QEvent::Type type, int key, const QString& text = {}) {
        QKeyEvent e(type, key, Qt::NoModifier, text);
        QApplication::sendEvent(game->msgbox(), &e);
    }
    void Type(const QString& ch) { Key(QEvent::KeyPress, ch.at(0).toUpper().unicode(), ch); }

    TZRTheme theme;
    testing::RecordingSender sender;
    testing::RecordingDisplay display;
    testing::ManualClock clock;
    std::unique_ptr<Tzrgame> game;
};

TEST_F(GameFormTest, TheSkinPlacesTheBoxesAndMessagesReachTheChat) {
    EXPECT_EQ(&GameWindow(), game.get());
    EXPECT_TRUE(game->ingamepline()->isVisible());
    EXPECT_EQ(game->ingamepline()->geometry(), QRect(5, 5, 200, 60));
    EXPECT_TRUE(game->attacks()->StayAtBottom());
    EXPECT_FALSE(game->attacks()->AllowFocus());
    game->ShowGameMessage(
        "\x05"
        "19hello");
    EXPECT_EQ(display.sounds, std::vector<std::string>{"msg"});
    ASSERT_EQ(game->ingamepline()->Lines().Count(), 1u);
    EXPECT_EQ(game->ingamepline()->Lines().Line(0).runs[0].style.colour, 0x0000FF);
    // The hint a game starts with replaces the box's lines; its style codes are drawn, and the
    // chat line stays empty for typing.
    game->SetGameChatText(GameChatHint());
    ASSERT_EQ(game->ingamepline()->Lines().Count(), 1u);
    EXPECT_EQ(game->ingamepline()->Lines().TextBetween(0, 0, 0, 99),
              "Press \"T\" to talk to other players");
    EXPECT_EQ(game->msgbox()->text(), "");
    game->AddAttackLine("1. Add Line");
    EXPECT_EQ(game->attacks()->Lines().Count(), 1u);
    game->ClearAttackList();
    game->ClearGameChat();
    EXPECT_EQ(game->attacks()->Lines().Count(), 0u);
    EXPECT_EQ(game->ingamepline()->Lines().Count(), 0u);
}

TEST_F(GameFormTest, TheChatKeySwallowsWhatComesWithin50ms) {
    EXPECT_FALSE(game->msgbox()->isVisible());
    game->ActivateChatEdit();
    EXPECT_TRUE(game->msgbox()->isEnabled());
    EXPECT_TRUE(game->msgbox()->isVisible());
    Type("t");  // the key that opened the edit
    clock.ms += 49;
    Type("u");
    EXPECT_EQ(game->msgbox()->text(), "");
    clock.ms += 1;
    Type("h");
    Type("i");
    EXPECT_EQ(game->msgbox()->text(), "hi");
    // Enter does nothing going down; on release the line goes to the room and the edit closes.
    Key(QEvent::KeyPress, Qt::Key_Return);
    EXPECT_TRUE(sender.sent.empty());
    Key(QEvent::KeyRelease, Qt::Key_Return);
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].first, MsgGameChat);
    EXPECT_EQ(sender.sent[0].second, GameChatPayload(false, true, "\x1e", "hi"));
    EXPECT_EQ(game->msgbox()->text(), "");
    EXPECT_FALSE(game->msgbox()->isEnabled());
    EXPECT_EQ(FindElementAnywhere("chateditbox")->active, 0);
}

TEST_F(GameFormTest, BlankLinesAreDroppedEscClosesAndTabCompletes) {
    game->ActivateChatEdit();
    game->msgbox()->setText("");  // nothing IsValidText accepts
    Key(QEvent::KeyRelease, Qt::Key_Enter);
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_FALSE(game->msgbox()->isEnabled());
    game->ActivateChatEdit();
    RecentPrivateNames = {"alice", "bob"};
    game->msgbox()->setText("hello");
    Key(QEvent::KeyPress, Qt::Key_Tab);
    EXPECT_EQ(game->msgbox()->text(), "/p alice hello");
    EXPECT_EQ(game->msgbox()->cursorPosition(), game->msgbox()->text().size());
    Key(QEvent::KeyPress, Qt::Key_F8);
    EXPECT_EQ(game->msgbox()->text(), "/p bob hello");
    Key(QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_FALSE(game->msgbox()->isEnabled());
    EXPECT_EQ(FindElementAnywhere("chateditbox")->active, 0);
}

TEST_F(GameFormTest, FontMenusChangeAndRestoreTheBoxFonts) {
    ASSERT_NE(game->plinepopup(), nullptr);
    EXPECT_EQ(game->plinepopup()->actions().size(), 2);
    game->SetFontPicker([](QFont& f) {
        f = QFont("Liberation Serif", 12);
        return true;
    });
    game->ChangeFont(*game->ingamepline());
    FontSpec chat, attacks;
    game->GetBoxFonts(chat, attacks);
    EXPECT_EQ(chat.name, "Liberation Serif");
    EXPECT_EQ(chat.size, 12);
    EXPECT_EQ(attacks.name, "Arial");  // untouched: the default
    game->RestoreDefaultFont(*game->ingamepline());
    game->GetBoxFonts(chat, attacks);
    EXPECT_EQ(chat.size, 8);
    FontSpec big;
    big.size = 14;
    big.bold = true;
    game->SetBoxFonts(big, big);
    EXPECT_TRUE(game->attacks()->font().bold());
    EXPECT_EQ(game->attacks()->font().pointSize(), 14);
}

}  // namespace
}  // namespace pk
