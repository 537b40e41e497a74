#include "shell/zrshell.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <stdexcept>

#include "core/zrconst.h"
#include "core/zrxsettings.h"
#include "game/zrfmqueue.h"
#include "game/zrgamethread.h"
#include "game/zrowngame.h"
#include "peers/game_server.h"
#include "platform/atomicfile.h"
#include "room/zrgamelink.h"
#include "shell/shell_fixture.h"
#include "shell/zrconfigfile.h"
#include "shell/zrwiring.h"
#include "support/event_loop.h"

namespace pk {
namespace {

using test::ShellTest;

class RecordingAudio : public ShellAudio {
public:
    void PlaySound(std::string wav, bool stopOthers) override {
        played.push_back(wav.size());
        stops.push_back(stopOthers);
    }
    void MusicStopRequest() override { ++musicStops; }
    void FreeAudio() override {
        ++frees;
        if (failFree)
            throw std::runtime_error("device gone");
    }
    std::vector<std::size_t> played;
    std::vector<bool> stops;
    int musicStops = 0;
    int frees = 0;
    bool failFree = false;
};

class RecordingUpdate : public ShellUpdate {
public:
    void ShowVersions() override { ++shown; }
    int shown = 0;
};

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class LifeCycleTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        test::EnsureEventLoop();
        SetShellAudio(&audio);
        SetShellUpdate(&update);
    }
    void TearDown() override {
        if (created && !ShellClosed())
            ShellFormClose();
        ShellTest::TearDown();
    }
    void Create() {
        created = true;
        ShellFormCreate();
    }
    bool created = false;
    RecordingAudio audio;
    RecordingUpdate update;
};

TEST_F(LifeCycleTest, TwoExceptionsGiveTwoLogLinesOneReportAndOneMessage) {
    ReportException("first");
    ReportException("second");
    const std::string log = ClientLog();
    EXPECT_EQ(Count(log, "Exception: "), 2) << log;
    EXPECT_NE(log.find("Exception: first "), std::string::npos);
    EXPECT_EQ(window.messages, std::vector<std::string>{std::string(ErrorMessageText)});
    // Not connected anywhere: the client closes after the message.
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(ErrorReported, 1);
    EXPECT_EQ(CloseAfterError, 0);
}

TEST_F(LifeCycleTest, AnExceptionInTheLobbyKeepsTheClientOpenUntilTheLinksAreDown) {
    lobby.state = 1;
    ReportException(std::make_exception_ptr(std::runtime_error("bad")));
    EXPECT_NE(ClientLog().find("Exception: bad "), std::string::npos);
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.closes, 0);
    EXPECT_EQ(CloseAfterError, 1);
    CloseIfErrorPending();
    EXPECT_EQ(window.closes, 0);
    lobby.state = 2;
    CloseIfErrorPending();
    EXPECT_EQ(window.closes, 1);
}

TEST_F(LifeCycleTest, AnExceptionInAGameRoomLogsTheOwnGame) {
    ClientState.game.GameLinkState = LinkInRoom;
    ClientState.game.Spectating = 0;
    ClientState.game.OwnSlot = 2;
    ClientState.game.PieceX = 5;
    ClientState.game.PieceLog = "P1";
    Config.accountname = "alice";
    InstallGameWiring();
    ReportException("x");
    RemoveGameWiring();
    const std::string log = ClientLog();
    EXPECT_NE(log.find("IP: alice:2:"), std::string::npos) << log;
    EXPECT_NE(log.find(":5:"), std::string::npos) << log;
    EXPECT_NE(log.find("PH: P1"), std::string::npos) << log;
    EXPECT_EQ(CloseAfterError, 1);
    ClientState.game.GameLinkState = LinkDown;
}

TEST_F(LifeCycleTest, AnAcknowledgementWithWrongSeedsIsReportedOnceAndClosesWithTheLinks) {
    peers::GameServerPeer server;
    ASSERT_TRUE(server.Listen());
    Config.accountname = "alice";
    InstallGameWiring();
    GameConnect("127.0.0.1", server.Port());
    ASSERT_TRUE(test::RunUntil([] { return ClientState.game.GameLinkState == LinkInRoom; }));
    peers::GameServerSession& session = *server.Last();
    std::string tokens = "102022222";
    for (int i = 1; i < 6; ++i) tokens += TokenSep + std::string("102022222");
    session.StartGame(tokens, 1, 2);
    session.Game.seedA = 77;  // the server's record disagrees with the client's
    ASSERT_TRUE(test::RunUntil([] { return GameTiming.PieceActive.load() == 1; }));
    QueueEndPiece(true);
    const auto reports = [&session] {
        std::vector<std::string> payloads;
        for (const auto& frame : session.Frames())
            if (frame.type == 0x27)
                payloads.push_back(frame.payload);
        return payloads;
    };
    ASSERT_TRUE(test::RunUntil([&] { return !reports().empty(); }));
    TXSettings report;
    ASSERT_TRUE(report.LoadFromCompressed(reports().front()));
    EXPECT_NE(report.GetValue("e").find("Exception: BUG: random seeds don't match!"),
              std::string::npos)
        << report.GetValue("e");
    EXPECT_EQ(window.messages, std::vector<std::string>{std::string(ErrorMessageText)});

    // The game stands still; what else the server sends is still read, and no second report
    // or message follows.
    session.SendFrame(0x0a, "42");
    ASSERT_TRUE(test::RunUntil([] { return ClientState.game.AverageLevel == 42; }));
    EXPECT_EQ(reports().size(), 1u);
    EXPECT_EQ(window.messages.size(), 1u);
    // The client stays open while a link is up and closes once the last one is down.
    EXPECT_EQ(ClientState.game.GameLinkState, LinkInRoom);
    EXPECT_EQ(window.closes, 0);
    GameDisconnect();
    EXPECT_EQ(window.closes, 1);
    RemoveGameWiring();
}

TEST_F(LifeCycleTest, TheErrorTextIsPackedAndCutToItsLimit) {
    TXSettings record;
    ASSERT_TRUE(record.LoadFromCompressed(PackErrorText("hello\r\n")));
    EXPECT_EQ(record.Count(), 1u);
    EXPECT_EQ(record.GetValue("e"), "hello\r\n");
    std::mt19937 random(7);
    std::string noise(200000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::string packed = PackErrorReport(noise, MaxGameFrameBody - 1);
    ASSERT_LE(packed.size(), MaxGameFrameBody - 1);
    ASSERT_TRUE(record.LoadFromCompressed(packed));
    const std::string kept = record.GetValue("e");
    EXPECT_GT(kept.size(), 10000u);
    EXPECT_EQ(noise.substr(noise.size() - kept.size()), kept);  // the newest part stays
}

TEST_F(LifeCycleTest, ThemeSoundsPlayOnlyWithSoundOn) {
    Library("basic.klb");
    RescanThemes();
    ASSERT_EQ(SelectTheme({}, {}), ThemeLoad::Requested);
    PlayThemeSound("DROP", true);
    PlayThemeSound("drop", false);
    PlayThemeSound("nosuch", true);
    // The sound list stops the others when the caller does not ask to: callers asking for
    // "stop others" get overlapping effects.
    EXPECT_EQ(audio.stops, (std::vector<bool>{false, true}));
    Settings.options.soundon = 0;
    PlayThemeSound("drop", true);
    EXPECT_EQ(audio.played.size(), 2u);
}

TEST_F(LifeCycleTest, StartUpRunsTheFirstArgumentAfterShowingTheWindow) {
    Library("basic.klb");
    TXSettings r;
    r.SetValue("name", "stored");
    ASSERT_TRUE(WriteFileAtomic(ConfigPath(), r.SaveToCompressed()));

    ASSERT_TRUE(StartUp({"-CONNECT", "game.host:31459"}));
    EXPECT_EQ(lobby.host, "127.0.0.1");
    EXPECT_EQ(lobby.port, 16803);
    EXPECT_EQ(window.shown, 1);
    EXPECT_EQ(Config.serveraddress, "game.host:31459");
    EXPECT_EQ(Config.accountname, "stored");
    EXPECT_EQ(skins.commands, std::vector<std::string>{"gameconnect"});

    ASSERT_TRUE(StartUp({"-connect", "h", "Bob"}));
    EXPECT_EQ(Config.accountname, "Bob");
    ASSERT_TRUE(StartUp({"-ms", "master.example", "9000"}));
    EXPECT_EQ(lobby.host, "master.example");
    EXPECT_EQ(lobby.port, 9000);
    ASSERT_TRUE(StartUp({"-ms", "master.example", "70000"}));
    EXPECT_EQ(lobby.port, 16803);
    ASSERT_TRUE(StartUp({"-showver"}));
    EXPECT_EQ(update.shown, 1);
    skins.commands.clear();
    ASSERT_TRUE(StartUp({"-showverlogin", "Carol", "pw"}));
    EXPECT_EQ(Config.accountname, "Carol");
    EXPECT_EQ(Config.accountpass, "pw");
    EXPECT_EQ(skins.commands, std::vector<std::string>{"login"});
    EXPECT_EQ(update.shown, 2);
    skins.commands.clear();
    ASSERT_TRUE(StartUp({"--connect", "h"}));
    ASSERT_TRUE(StartUp({"h", "-connect"}));
    EXPECT_TRUE(skins.commands.empty());
}

TEST_F(LifeCycleTest, WithoutAnyThemeStartUpStopsAndKeepsTheStoredChoice) {
    TXSettings r;
    const std::string stored = "/gone/lib.klb\x01id\x01";
    r.SetValue("theme2", stored);
    r.SetInt("winw", 800);
    r.SetInt("winh", 600);
    ASSERT_TRUE(WriteFileAtomic(ConfigPath(), r.SaveToCompressed()));
    EXPECT_FALSE(StartUp({"-connect", "h"}));
    EXPECT_EQ(window.messages, std::vector<std::string>{NoThemeMessage});
    EXPECT_EQ(window.shown, 0);
    EXPECT_TRUE(skins.commands.empty());
    EXPECT_EQ(skins.events, std::vector<std::string>{"onstart"});
    EXPECT_EQ(window.place.width, 400);  // the stored place is not applied
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    TXSettings saved;
    ASSERT_TRUE(saved.LoadFromCompressed(*ReadFileBytes(ConfigPath(), 1 << 20)));
    EXPECT_EQ(saved.GetValue("theme2"), stored);
    EXPECT_EQ(saved.GetValue("winw"), "800");  // nor is it written over
    EXPECT_EQ(saved.GetValue("winh"), "600");
}

// A start-up that throws part-way: reported like any exception; before the window is shown the
// program ends without replacing the stored files, after it the report's close runs.
class FailingLobby : public test::RecordingLobby {
public:
    void ApplyConfig(const TConfig&) override { throw std::runtime_error("lobby broke"); }
};
class FailingSkins : public test::RecordingSkins {
public:
    void ExecuteCommand(const std::string&) override { throw std::runtime_error("no skin"); }
};

TEST_F(LifeCycleTest, AnExceptionDuringStartUpIsReportedAndLosesNothing) {
    Library("basic.klb");
    TXSettings r;
    r.SetValue("name", "stored");
    ASSERT_TRUE(WriteFileAtomic(ConfigPath(), r.SaveToCompressed()));
    const std::string before = *ReadFileBytes(ConfigPath(), 1 << 20);

    FailingLobby failingLobby;
    SetShellLobby(&failingLobby);
    Create();
    EXPECT_FALSE(StartUp({"-nohrtimer"}));
    EXPECT_EQ(window.shown, 0);
    EXPECT_EQ(NoHighResTimer.load(), 0);
    EXPECT_NE(ClientLog().find("Exception: lobby broke"), std::string::npos) << ClientLog();
    EXPECT_EQ(window.messages, std::vector<std::string>{std::string(ErrorMessageText)});
    ShellFormClose();
    EXPECT_TRUE(ShellClosed());
    EXPECT_EQ(GameThread, nullptr);
    EXPECT_EQ(*ReadFileBytes(ConfigPath(), 1 << 20), before);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "gamesets.cfg"));

    SetShellLobby(&lobby);
    FailingSkins failingSkins;
    SetShellSkins(&failingSkins);
    test::ResetShellGlobals();
    window = test::RecordingWindow{};
    Create();
    EXPECT_TRUE(StartUp({"-connect", "h", "Bob"}));  // the loop runs the close it asked for
    EXPECT_EQ(window.shown, 1);
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(window.messages, std::vector<std::string>{std::string(ErrorMessageText)});
    ShellFormClose();
    TXSettings saved;
    ASSERT_TRUE(saved.LoadFromCompressed(*ReadFileBytes(ConfigPath(), 1 << 20)));
    EXPECT_EQ(saved.GetValue("name"), "Bob");
    SetShellSkins(&skins);
}

TEST_F(LifeCycleTest, TheCloseRunsOnceAndEveryStepRunsWhateverFails) {
    Library("basic.klb");
    Create();
    ASSERT_NE(GameThread, nullptr);
    ASSERT_TRUE(StartUp({}));
    EXPECT_EQ(window.shown, 1);
    lobby.state = 1;
    audio.failFree = true;
    std::ofstream(dir.Path() / "tmp.mp3") << "x";
    Config.teamname = "saved";
    ShellFormClose();
    EXPECT_TRUE(ShellClosed());
    EXPECT_EQ(ClosingDown.load(), 1);
    EXPECT_EQ(GameThread, nullptr);
    EXPECT_EQ(lobby.disconnects, std::vector<bool>{false});
    EXPECT_NE(ClientLog().find("Error in FormClose audio: device gone"), std::string::npos);
    TXSettings saved;
    ASSERT_TRUE(saved.LoadFromCompressed(*ReadFileBytes(ConfigPath(), 1 << 20)));
    EXPECT_EQ(saved.GetValue("team"), "saved");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "tmp.mid"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "tmp.mp3"));
    EXPECT_TRUE(Settings.theme.entries.empty());
    // A second request does nothing.
    Config.teamname = "not saved";
    ShellFormClose();
    EXPECT_EQ(audio.frees, 1);
    ASSERT_TRUE(saved.LoadFromCompressed(*ReadFileBytes(ConfigPath(), 1 << 20)));
    EXPECT_EQ(saved.GetValue("team"), "saved");
}

// In a room, the tray tells of the game server only while the lobby link is down; connecting
// counts as up.
TEST_F(LifeCycleTest, TheRoomsTrayHintWaitsForTheLobbyLinkToBeDown) {
    ShellRoomHost room;
    SetRoomHost(&room);
    Config.accountname = "me";
    ClientState.game.GameLinkState = LinkInRoom;
    for (const int state : {0, 1}) {
        lobby.state = state;
        room.RefreshUserList();
        EXPECT_TRUE(window.hints.empty()) << state;
    }
    lobby.state = 2;
    room.RefreshUserList();
    ASSERT_EQ(window.hints.size(), 1u);
    EXPECT_EQ(window.hints[0].rfind("me on ", 0), 0u);
    ClientState.game.GameLinkState = LinkDown;
    SetRoomHost(nullptr);
}

TEST_F(LifeCycleTest, CreationSetsTheStartValues) {
    ClosingDown = 1;
    ErrorReported = 1;
    CloseAfterError = 1;
    NoHighResTimer = 1;
    AddLogLine("old");
    Create();
    EXPECT_EQ(ClosingDown.load(), 0);
    EXPECT_EQ(ErrorReported, 0);
    EXPECT_EQ(CloseAfterError, 0);
    EXPECT_EQ(NoHighResTimer.load(), 0);
    EXPECT_EQ(ClientLog(), "");
    EXPECT_EQ(ClientState.game.GameLinkState, LinkDown);
    EXPECT_EQ(FieldWidth, 12);
    EXPECT_EQ(FieldHeight, 22);
    EXPECT_EQ(BlockSize, 16);
    EXPECT_EQ(SmallBlockSize, 8);
    EXPECT_EQ(PlayerFieldBitmaps[1].width(), 12 * 16);
    EXPECT_EQ(PlayerFieldBitmaps[2].height(), 22 * 8);
    EXPECT_EQ(GameThread->Tick(), IdleTickMs);
}

}  // namespace
}  // namespace pk
