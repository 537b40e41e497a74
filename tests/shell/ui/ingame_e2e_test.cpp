// A scripted game played in the real in-game window, offscreen: the main window and the
// in-game window made as the program makes them, a theme whose skin places the fields, names,
// next piece, level, line count, special text, party line and attack list, and the scripted
// game server on loopback. The window's picture at the end of the game is compared with a
// golden one (text may differ by a few pixels between font builds).
#include <gtest/gtest.h>

#include <QApplication>

#include "core/chatstyle.h"
#include "display/ui/zrgameform.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrowngame.h"
#include "gfx/qtsurface.h"
#include "peers/game_server.h"
#include "room/zrgamelink.h"
#include "room/zrroomevents.h"
#include "room/zrroomhost.h"
#include "shell/shell_fixture.h"
#include "shell/ui/zrmain.h"
#include "support/event_loop.h"
#include "support/golden.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using peers::GameServerPeer;
using test::RunUntil;

std::vector<KlbEntry> GameTheme() {
    std::vector<KlbEntry> entries = test::BasicTheme();
    auto skin = [&](const std::string& name, const std::string& form, PixelRect r,
                    uint32_t colour = 0, const std::string& more = "") {
        entries.push_back(test::SkinEntry(name, "*", r.left, r.top, r.width, r.height, colour,
                                          false, form + (more.empty() ? "" : "\r" + more)));
    };
    skin("con_game", "shell", {0, 0, 400, 300});
    skin("gameback", "game", {0, 0, 400, 300}, 0xFFE0C0);
    skin("player1", "game", {4, 4, 96, 176});
    for (int p = 2; p <= 6; ++p)
        skin("player" + std::to_string(p), "game",
             {104 + ((p - 2) % 3) * 52, 4 + ((p - 2) / 3) * 96, 48, 88});
    skin("name1", "game", {4, 182, 96, 12});
    skin("name2", "game", {104, 92, 48, 8});
    skin("nextpiece", "game", {264, 100, 48, 32});
    skin("level", "game", {320, 100, 40, 12}, 0, "levelfg\n0 0 128");
    skin("linecount", "game", {320, 114, 40, 12}, 0, "linebg\n255 255 0");
    skin("sbtext", "game", {264, 136, 130, 10});
    skin("fullinventory", "game", {4, 196, 96, 18});
    skin("chatbox", "game", {104, 196, 292, 60});
    skin("attacklist", "game", {104, 258, 292, 38});
    skin("chateditbox", "game", {4, 280, 96, 16}, 0, "inactive");
    return entries;
}

class InGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        test::ResetShellGlobals();
        ProgramFolder = dir.Path();
        test::SaveLibrary(dir.Path() / "game.klb", GameTheme());
        SetMessageBoxHandler(
            [this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
        main = std::make_unique<Tzrmain>();
        game = new Tzrgame();
        ASSERT_TRUE(StartUp({}));
        Config.accountname = "alice";
        Settings.options.animdrop = 0;
        ASSERT_TRUE(server.Listen());
        QApplication::processEvents();
    }
    void TearDown() override {
        main.reset();  // takes the in-game window with it, its container's child
        test::DrainEvents();
        SetMessageBoxHandler({});
        FreeTheme(Settings.theme);
        test::ResetShellGlobals();
        ProgramFolder.clear();
    }

    test::TempDir dir;
    std::unique_ptr<Tzrmain> main;
    Tzrgame* game = nullptr;
    GameServerPeer server;
    std::vector<std::string> messages;
};

TEST_F(InGameTest, AScriptedGameIsShownWithItsFieldsSideElementsAndChat) {
    ASSERT_EQ(game->parentWidget(), main.get());
    ASSERT_TRUE(game->isVisible());
    GameConnect("127.0.0.1", server.Port());
    ASSERT_TRUE(RunUntil([] { return ClientState.game.GameLinkState == LinkInRoom; }));
    std::string tokens = "102022222";
    for (int i = 1; i < 20; ++i) tokens += TokenSep + std::string("102022222");
    server.Last()->StartGame(tokens, 1234, 5678);
    ASSERT_TRUE(RunUntil([] { return GameTiming.PieceActive.load() == 1; }));
    const int pieces = 5;
    for (int i = 0; i < pieces; ++i) {
        ASSERT_TRUE(RunUntil([] {
            return GameTiming.PieceActive.load() == 1 && ClientState.game.QueueBusy == 0 &&
                   ClientState.game.PieceWaiting == 0;
        })) << i;
        ClientState.game.PieceX = 1 + 2 * i;
        QueueEndPiece(true);
    }
    auto& played = server.Last()->Game;
    ASSERT_TRUE(RunUntil([&] { return played.reports >= pieces && PendingHistory.empty(); }));
    Room().ShowGameMessage(StyleCode("19") + "*** Game on!" + kStyleEnd);
    Room().AddAttackLine("1. " + StyleCode("01") + "Add Line" + kStyleEnd);
    // The game ends: no piece falls any more, so the picture holds still.
    server.Last()->SendFrame(MsgGameEnd, "");
    ASSERT_TRUE(RunUntil([] { return ClientState.game.GameRunning == 0; }));
    test::DrainEvents();
    EXPECT_EQ(game->ingamepline()->Lines().Count(),
              2u);  // the hint the game began with, then the message
    EXPECT_EQ(game->attacks()->Lines().Count(), 1u);
    EXPECT_TRUE(messages.empty());
    const Surface16 picture = SurfaceFromQImage(game->grab().toImage());
    EXPECT_TRUE(test::MatchesGoldenWithin(picture, "shell/ui/golden/ingame.png", 600));
}

}  // namespace
}  // namespace pk
