// The game room window on the default theme against the scripted room on loopback: joining,
// the others seated and watching, chat both ways, the ready mark, a move and a kick with their
// exact bytes, a game started, paused and stopped, its statistics shown and saved, and the
// operator's rights. The window is grabbed before and after the game.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <fstream>

#include "core/ui/zrtxtbox.h"
#include "core/zrgameset.h"
#include "game/zrgame.h"
#include "gfx/qtsurface.h"
#include "peers/room_script.h"
#include "peers/room_server.h"
#include "room/ui/zrpartylineform.h"
#include "room/zrgamelink.h"
#include "shell/shell_fixture.h"
#include "shell/ui/room_windows_fixture.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrmain.h"
#include "skin/ui/zrskinwidgets.h"
#include "support/event_loop.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using peers::GameFrame;
using peers::GameServerPeer;
using peers::ScriptedRoom;
using test::RunUntil;

class RoomWindowTest : public test::RoomWindowsFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenWindows());
        ASSERT_NO_FATAL_FAILURE(ShowAndListen());
        scripted = std::make_unique<ScriptedRoom>(server);
        TGameSet set;
        set.SetValue("startvote", "1");
        set.SetValue("allowmove", "1");
        scripted->gameSetName = "Friday";
        scripted->gameSetData = set.SaveToCompressed();
        scripted->AddBot("Drovak", 3, "reds");
        scripted->AddBot("Tamsin", 0);
        QApplication::processEvents();
    }
    bool Join() {
        GameConnect("127.0.0.1", server.Port());
        return RunUntil([] {
            return ClientState.game.GameLinkState == LinkInRoom &&
                   !ClientState.game.RoomOperators.empty() && FindPlayer("Drovak") != nullptr &&
                   Settings.rules.startvote == 1;
        });
    }
    peers::GameServerSession& Session() { return *server.Last(); }
    bool ServerGot(std::uint8_t type, const std::string& payload) {
        return RunUntil([&] {
            for (const GameFrame& f : Session().Frames())
                if (f.type == type && f.payload == payload)
                    return true;
            return false;
        });
    }
    QPoint RowPoint(int row, int x) {
        const QRect r = room->userlist()->visualRect(room->userlist()->model()->index(row, 0));
        return {r.left() + x, r.center().y()};
    }
    bool ChatHas(const std::string& plain) {
        return RunUntil([&] {
            const TTextLines& lines = room->chatbox()->Lines();
            for (std::size_t i = 0; i < lines.Count(); ++i)
                if (lines.Line(i).plain == plain)
                    return true;
            return false;
        });
    }
    void MenuAction(int row, const char* name) {
        ASSERT_TRUE(room->PrepareMenuForRow(row));
        auto* action = room->userpopupmenu()->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isVisible());
        action->trigger();
    }
    Surface16 Picture() {
        test::DrainEvents();
        return SurfaceFromQImage(room->grab().toImage());
    }

    std::unique_ptr<ScriptedRoom> scripted;
};

TEST_F(RoomWindowTest, ARoomFromJoinToSavedStatistics) {
    ASSERT_TRUE(Join());
    ASSERT_TRUE(room->isVisible());
    ASSERT_TRUE(RunUntil([&] { return room->userlist()->count() == 8; }));
    EXPECT_EQ(SlotPlayers[1], ClientState.game.OwnPlayer);
    EXPECT_EQ(SlotPlayers[3]->name, "Drovak");
    EXPECT_TRUE(room->startgame()->isEnabled());  // the first player is the operator
    EXPECT_EQ(main->TrayHint(), "alice on 127.0.0.1, 2 players");

    // Chat both ways.
    room->chatedit()->setText("hello room");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(room->chatedit(), &enter);
    EXPECT_TRUE(ServerGot(0x14, "\x80\x1e\x02hello room"));
    EXPECT_TRUE(ChatHas("(alice) hello room"));  // the room sends it back to its sender too
    peers::SendServerText(Session(), 'c', 0, false, true, false, {"Drovak", "gl hf"});
    EXPECT_TRUE(ChatHas("(Drovak) gl hf"));

    // The ready mark: a click on the own row's mark goes to the server and comes back.
    room->userlistMouseDown(RowPoint(0, 20), Qt::LeftButton);
    EXPECT_TRUE(ServerGot(0x05, ""));
    ASSERT_TRUE(RunUntil([] { return PlayerReady(*ClientState.game.OwnPlayer); }));
    EXPECT_TRUE(test::MatchesGoldenWithin(Picture(), "shell/ui/golden/room_window.png", 2500));

    // Moderation: Drovak to the spectators, Tamsin kicked.
    MenuAction(2, "tospectatorlist1");
    EXPECT_TRUE(ServerGot(0x1f,
                          "Drovak\x02"
                          "0"));
    ASSERT_TRUE(RunUntil([] { return FindPlayer("Drovak")->slot == 0; }));
    const auto rows = UserListRows();
    int tamsin = -1;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].player != nullptr && rows[i].player->name == "Tamsin")
            tamsin = static_cast<int>(i);
    ASSERT_GE(tamsin, 7);
    MenuAction(tamsin, "kickwomsg");
    EXPECT_TRUE(ServerGot(0x1e, "Tamsin"));
    ASSERT_TRUE(RunUntil([] { return FindPlayer("Tamsin") == nullptr; }));
    EXPECT_TRUE(ChatHas("*** Tamsin has left"));

    // A game: started, paused, resumed and stopped by the operator.
    room->startgame()->click();
    EXPECT_TRUE(ServerGot(0x12, "1"));
    ASSERT_TRUE(RunUntil([] { return ClientState.game.GameRunning == 1; }));
    ASSERT_TRUE(RunUntil([&] { return room->pausegame()->isEnabled(); }));
    room->pausegame()->click();
    ASSERT_TRUE(RunUntil([] { return ClientState.game.GamePaused == 1; }));
    room->pausegame()->click();
    ASSERT_TRUE(RunUntil([] { return ClientState.game.GamePaused == 0; }));
    room->startgameClick();
    EXPECT_TRUE(ServerGot(0x12, "0"));
    ASSERT_TRUE(RunUntil([&] { return ClientState.game.GameRunning == 0 && room->StatsShown(); }));
    ASSERT_TRUE(RunUntil([&] { return room->gamestats()->columnCount() == 3; }));
    EXPECT_EQ(room->gamestats()->columnWidth(0), 90);

    const std::string file = dir.File("games.log");
    room->SetSavePrompt([&](QFileDialog&) { return file; });
    room->statssavelogClick();
    room->statssavelogClick();  // appended
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const std::string results = "Last game stats: 2026-12-09 06:30\r\n";
    ASSERT_NE(text.find(results), std::string::npos);
    EXPECT_NE(text.find(results, text.find(results) + 1), std::string::npos);
    EXPECT_NE(text.find("Game length:\t2min 5sec\r\n"), std::string::npos);
    EXPECT_NE(text.find("Name      Lines     Pieces    \r\nalice     3         12        \r\n"),
              std::string::npos);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(test::MatchesGoldenWithin(Picture(), "shell/ui/golden/room_stats.png", 2500));
}

TEST_F(RoomWindowTest, WithoutOperatorRightsTheMenuOffersNoKick) {
    scripted->firstIsOperator = false;
    scripted->operators = {"Drovak"};
    ASSERT_TRUE(Join());
    EXPECT_FALSE(room->startgame()->isEnabled());
    ASSERT_TRUE(room->PrepareMenuForRow(2));
    EXPECT_FALSE(room->userpopupmenu()->findChild<QMenu*>("kicksub")->menuAction()->isVisible());
    EXPECT_FALSE(
        room->userpopupmenu()->findChild<QMenu*>("Moveuserto1")->menuAction()->isVisible());
    // The server decides anyway: a kick sent without rights changes nothing.
    SendKick("Drovak");
    EXPECT_TRUE(ServerGot(0x1e, "Drovak"));
    Session().SendFrame(0x0a, "77");
    ASSERT_TRUE(RunUntil([] { return ClientState.game.AverageLevel == 77; }));
    EXPECT_NE(FindPlayer("Drovak"), nullptr);
    // Moving oneself to the spectators with the own row's button, then back.
    room->userlistMouseDown(RowPoint(0, room->userlist()->viewport()->width() - 3), Qt::LeftButton);
    EXPECT_TRUE(ServerGot(0x06, ""));
    ASSERT_TRUE(RunUntil([] { return ClientState.game.Spectating == 1; }));
}

}  // namespace
}  // namespace pk
