// The real main window with the cores wired as the program wires them, against the scripted
// game server on loopback: a game joined and played, the error report, and closes that come
// while the game thread is busy.
#include "shell/ui/zrmain.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/zrlog.h"
#include "core/zrxsettings.h"
#include "game/zrfmqueue.h"
#include "game/zrgameio.h"
#include "game/zrgamethread.h"
#include "game/zrowngame.h"
#include "peers/game_server.h"
#include "room/zrgamelink.h"
#include "shell/shell_fixture.h"
#include "support/event_loop.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using peers::GameFrame;
using peers::GameServerPeer;
using test::RunUntil;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        test::ResetShellGlobals();
        ProgramFolder = dir.Path();
        test::SaveLibrary(dir.Path() / "basic.klb", test::BasicTheme());
        SetMessageBoxHandler(
            [this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
        main = std::make_unique<Tzrmain>();
        ASSERT_TRUE(StartUp({}));
        Config.accountname = "alice";
        ASSERT_TRUE(server.Listen());
        server.OnFrame = [this](peers::GameServerSession&, const GameFrame& frame) {
            if (frame.type == MsgErrorReport)
                reports.push_back(frame.payload);
            if (frame.type == MarkerType)
                ++markers;
        };
    }
    void TearDown() override {
        main.reset();
        test::DrainEvents();
        SetMessageBoxHandler({});
        FreeTheme(Settings.theme);
        test::ResetShellGlobals();
        ProgramFolder.clear();
    }

    void Join() {
        GameConnect("127.0.0.1", server.Port());
        ASSERT_TRUE(RunUntil([] { return ClientState.game.GameLinkState == LinkInRoom; }));
    }
    void StartGame() {
        std::string tokens = "102022222";
        for (int i = 1; i < 20; ++i) tokens += TokenSep + std::string("102022222");
        server.Last()->StartGame(tokens, 1234, 5678);
        ASSERT_TRUE(RunUntil([] { return GameTiming.PieceActive.load() == 1; }));
    }

    static constexpr std::uint8_t MarkerType = 0x30;
    test::TempDir dir;
    std::unique_ptr<Tzrmain> main;
    GameServerPeer server;
    std::vector<std::string> messages;
    std::vector<std::string> reports;
    int markers = 0;
};

TEST_F(MainWindowTest, AGameJoinedThroughTheWiringPlaysWithTheServer) {
    EXPECT_EQ(main->SkinName(), "shell");
    EXPECT_EQ(main->TrayHint(), "Not connected!");
    EXPECT_TRUE(main->isVisible());
    Join();
    EXPECT_EQ(server.Last()->LoginLine(), "login alice 136");
    StartGame();
    EXPECT_EQ(GameThread->Tick(), InGameTickMs);
    const int pieces = 8;
    for (int i = 0; i < pieces; ++i) {
        ASSERT_TRUE(RunUntil([] {
            return GameTiming.PieceActive.load() == 1 && ClientState.game.QueueBusy == 0 &&
                   ClientState.game.PieceWaiting == 0;
        })) << i;
        ClientState.game.PieceX = 1 + 2 * (i % 6);
        QueueEndPiece(true);
    }
    auto& game = server.Last()->Game;
    ASSERT_TRUE(RunUntil([&] { return game.reports >= pieces && PendingHistory.empty(); }));
    EXPECT_EQ(ClientLog().find("BUG"), std::string::npos) << ClientLog();
    EXPECT_EQ(ClientState.game.SeedA, game.seedA);
    EXPECT_EQ(ClientState.game.GameLinkState, LinkInRoom);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, TheErrorReportReachesTheServerOnce) {
    Join();
    ReportException("first failure");
    ReportException("second failure");
    SendGameMessage(MarkerType, "after");
    ASSERT_TRUE(RunUntil([this] { return markers == 1; }));
    ASSERT_EQ(reports.size(), 1u);
    TXSettings record;
    ASSERT_TRUE(record.LoadFromCompressed(reports[0]));
    const std::string sent = record.GetValue("e");
    EXPECT_NE(sent.find("] Exception: first failure \r\n"), std::string::npos) << sent;
    EXPECT_NE(sent.find("] IP: alice:1:"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("second failure"), std::string::npos);
    EXPECT_EQ(ClientLog().substr(0, sent.size()), sent);
    EXPECT_NE(ClientLog().find("Exception: second failure"), std::string::npos);
    EXPECT_EQ(messages, std::vector<std::string>{std::string(ErrorMessageText)});
    // The link was up: the client closes once it is down.
    EXPECT_FALSE(ShellClosed());
    GameDisconnect();
    ASSERT_TRUE(RunUntil([] { return ShellClosed(); }));
    EXPECT_FALSE(main->isVisible());
}

// The main window is the report policy's handler for its lifetime: an entry's exception reaches
// ReportException while it lives, and only a line is logged once it is gone.
TEST_F(MainWindowTest, TheReportPolicyEndsInTheApplicationsHandlerWhileTheWindowLives) {
    Join();
    ReportErrors("Tzrmain.test entry", [] { throw std::runtime_error("handler broke"); });
    EXPECT_NE(ClientLog().find("] Exception: handler broke \r\n"), std::string::npos)
        << ClientLog();
    EXPECT_EQ(messages, std::vector<std::string>{std::string(ErrorMessageText)});
    GameDisconnect();
    ASSERT_TRUE(RunUntil([] { return ShellClosed(); }));
    main.reset();
    ClearClientLog();
    ReportErrors("Tzrmain.test entry", [] { throw std::runtime_error("too late"); });
    EXPECT_NE(ClientLog().find("] Error in Tzrmain.test entry\r\n"), std::string::npos)
        << ClientLog();
    EXPECT_EQ(ClientLog().find("Exception: "), std::string::npos) << ClientLog();
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(MainWindowTest, TheStoredPlaceIsTakenAndSavedAgain) {
    main->setGeometry(10, 20, 500, 400);
    main.reset();  // closes and saves
    test::ResetShellGlobals();
    main = std::make_unique<Tzrmain>();
    ASSERT_TRUE(StartUp({}));
    EXPECT_EQ(main->geometry(), QRect(10, 20, 500, 400));
    TXSettings saved;
    main.reset();
    ASSERT_TRUE(saved.LoadFromCompressed(*ReadFileBytes(dir.Path() / "pelkorin.cfg", 1 << 20)));
    EXPECT_EQ(saved.GetValue("winx"), "10");
    EXPECT_EQ(saved.GetValue("winh"), "400");
    EXPECT_EQ(saved.GetValue("winmax"), "0");
}

TEST_F(MainWindowTest, NoReportGoesOutBeforeTheLinkCarriesFrames) {
    server.options.loginReply = "";  // the server never answers the login line
    GameConnect("127.0.0.1", server.Port());
    ASSERT_TRUE(RunUntil([this] { return server.Last() && !server.Last()->LoginLine().empty(); }));
    const std::string sent = GameLink.GameTranscript;
    ReportException("while logging in");
    EXPECT_EQ(GameLink.GameTranscript, sent);  // nothing was queued after the login line
    EXPECT_EQ(CloseAfterError, 1);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(MainWindowTest, ClosingInAGameStopsEverythingAndSaves) {
    Join();
    StartGame();
    Config.teamname = "closing";
    main->close();
    EXPECT_TRUE(ShellClosed());
    EXPECT_EQ(GameThread, nullptr);
    EXPECT_EQ(ClientState.game.GameLinkState, LinkDown);
    TXSettings saved;
    ASSERT_TRUE(saved.LoadFromCompressed(*ReadFileBytes(dir.Path() / "pelkorin.cfg", 1 << 20)));
    EXPECT_EQ(saved.GetValue("team"), "closing");
}

// A redraw the game thread asked for closes the window: the close stops the thread while the
// thread waits for that very call.
class ClosingDisplay : public GameDisplay {
public:
    explicit ClosingDisplay(QWidget& window) : window_(window) {}
    void RedrawOwnField() override {
        if (!closed_) {
            closed_ = true;
            window_.close();
        }
    }
    void RefreshDisplay(int, int) override {}
    void PlaySound(std::string_view) override {}
    bool closed_ = false;

private:
    QWidget& window_;
};

TEST_F(MainWindowTest, ClosingFromInsideACallOfTheGameThreadNeverHangs) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        if (round > 0) {
            main.reset();
            test::ResetShellGlobals();
            main = std::make_unique<Tzrmain>();
            ASSERT_TRUE(StartUp({}));
            Config.accountname = "alice";
        }
        Join();
        StartGame();
        ClosingDisplay display(*main);
        SetGameView(&display);
        ASSERT_TRUE(RunUntil([] { return ShellClosed(); }));
        EXPECT_TRUE(display.closed_);
        EXPECT_EQ(GameThread, nullptr);
        SetGameView(nullptr);
    }
}

}  // namespace
}  // namespace pk
