// Keys during a game, sent to the windows as the platform sends them, offscreen: the main window
// on the default theme with the room page under the game page. While game keys act, no edit of
// the main window's pages takes a key, though the room's chat line keeps the focus; the in-game
// message edit, once "Send message" opened it, takes the typing and sends it; a dialog keeps
// its keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>

#include "display/ui/zrgameform.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrkey.h"
#include "peers/game_server.h"
#include "room/ui/zrpartylineform.h"
#include "room/zrgamelink.h"
#include "room/zrroomchat.h"
#include "shell/shell_fixture.h"
#include "shell/ui/room_windows_fixture.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrmain.h"
#include "support/event_loop.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using peers::GameFrame;
using peers::GameServerPeer;
using test::RunUntil;

// A key going down and up at `window`, as the platform delivers it.
void Press(QWindow* window, Qt::Key key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(window, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(window, &up);
}
void Type(QWindow* window, const QString& text) {
    for (QChar c : text) Press(window, static_cast<Qt::Key>(c.toUpper().unicode()), QString(c));
}

class GameKeysTest : public test::RoomWindowsFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenWindows(true));
        Settings.options.animdrop = 0;
        main->show();
        QApplication::setActiveWindow(main.get());
        ASSERT_TRUE(server.Listen());
        QApplication::processEvents();
    }
    // Joined and playing: the game page lies over the room page.
    bool Playing() {
        GameConnect("127.0.0.1", server.Port());
        if (!RunUntil([] { return ClientState.game.GameLinkState == LinkInRoom; }))
            return false;
        std::string tokens = "102022222";
        for (int i = 1; i < 20; ++i) tokens += TokenSep + std::string("102022222");
        server.Last()->StartGame(tokens, 1234, 5678);
        return RunUntil([this] {
            return ClientState.game.GameRunning != 0 && game->isVisible() && room->isVisible();
        });
    }
    int ChatsSent() {
        int n = 0;
        for (const GameFrame& f : server.Last()->Frames()) n += f.type == MsgGameChat;
        return n;
    }
    bool ChatSent(const std::string& text) {
        return RunUntil([&] {
            for (const GameFrame& f : server.Last()->Frames())
                if (f.type == MsgGameChat && f.payload.find(text) != std::string::npos)
                    return true;
            return false;
        });
    }
};

TEST_F(GameKeysTest, OnlyTheInGameMessageEditAndDialogsTakeKeysDuringAGame) {
    ASSERT_TRUE(Playing());
    QWindow* window = main->windowHandle();
    ASSERT_NE(window, nullptr);
    auto* roomChat = room->findChild<QLineEdit*>("chatedit");
    ASSERT_NE(roomChat, nullptr);
    roomChat->setFocus();
    ASSERT_TRUE(RunUntil([&] { return QApplication::focusWidget() == roomChat; }));
    ASSERT_TRUE(GameInputAllowed());

    // The room's chat line keeps the focus under the game page, but game keys and letters
    // never land in it, nor does Enter send what was typed.
    Type(window, "a d");
    Press(window, Qt::Key_Space, " ");
    Press(window, Qt::Key_Return, "\r");
    test::DrainEvents();
    EXPECT_EQ(roomChat->text(), QString());
    EXPECT_EQ(ChatsSent(), 0);

    // "Send message" (T) opens the in-game message edit, which then takes the typing; the T
    // itself stays out of it.
    QKeyEvent t(QEvent::KeyPress, Qt::Key_T, Qt::NoModifier, "t");
    QApplication::sendEvent(window, &t);
    ASSERT_TRUE(RunUntil([this] { return game->ChatEditFocused(); }));
    QKeyEvent tUp(QEvent::KeyRelease, Qt::Key_T, Qt::NoModifier, "t");
    QApplication::sendEvent(window, &tUp);
    EXPECT_FALSE(GameInputAllowed());
    // Past the moment in which the key that opened the edit is kept out of it.
    QElapsedTimer opened;
    opened.start();
    RunUntil([&] { return opened.elapsed() > 200; });
    Type(window, "hi there");
    EXPECT_EQ(game->msgbox()->text(), QStringLiteral("hi there"));
    Press(window, Qt::Key_Return, "\r");
    EXPECT_TRUE(ChatSent("hi there"));
    EXPECT_FALSE(game->ChatEditFocused());
    EXPECT_EQ(roomChat->text(), QString());

    // Closed again, the edit and every page's edit are out of the game keys' way.
    ASSERT_TRUE(RunUntil([] { return GameInputAllowed(); }));
    Type(window, "d");
    EXPECT_EQ(game->msgbox()->text(), QString());
    EXPECT_EQ(roomChat->text(), QString());

    // A dialog is a window of its own and keeps its keys.
    QLineEdit dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.setFocus();
    ASSERT_TRUE(RunUntil([&] { return QApplication::focusWidget() == &dialog; }));
    ASSERT_NE(dialog.windowHandle(), nullptr);
    Type(dialog.windowHandle(), "ok");
    EXPECT_EQ(dialog.text(), QStringLiteral("ok"));
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace pk
