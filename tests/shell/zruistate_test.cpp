// Interface states from the client states that produce them, full screen, minimising with the
// tray and "be right back", the icon sheet, and the theme metrics the client refuses.
#include "shell/zruistate.h"

#include <gtest/gtest.h>

#include "room/zrgamelink.h"
#include "room/zrroomcontrols.h"
#include "room/zrroomhost.h"
#include "shell/zrwiring.h"
#include "shell_fixture.h"
#include "support/fake_game_io.h"

namespace pk::test {
namespace {

class StateWindow : public RecordingWindow {
public:
    bool Minimised() override { return minimised; }
    bool AddTrayIcon() override {
        ++trayAdds;
        return trayAvailable;
    }
    void HideToTray() override { ++hiddenToTray; }
    void RemoveTrayIcon() override { ++trayRemoves; }
    bool minimised = false;
    bool trayAvailable = true;
    int trayAdds = 0, trayRemoves = 0, hiddenToTray = 0;
};

class StateLobby : public RecordingLobby {
public:
    int OwnStatus() const override { return status; }
    void SendOwnStatus(int s) override { sent.push_back(s); }
    void NoteActivity() override { ++activity; }
    void SetIcons(const std::vector<IconTile>& tiles) override {
        for (const IconTile& t : tiles) icons.emplace_back(t.target);
    }
    int status = 1;
    std::vector<int> sent;
    int activity = 0;
    std::vector<std::string> icons;
};

class RoomSpy : public RoomControls {
public:
    void ApplyControls(const RoomControlStates& s) override { last = s; }
    void SetIcons(const std::vector<IconTile>& tiles) override {
        for (const IconTile& t : tiles) icons.emplace_back(t.target);
    }
    RoomControlStates last;
    std::vector<std::string> icons;
};

// Only compared with nullptr: stands for the lobby's record of a joined game.
tSbGame* const kLobbyGame = reinterpret_cast<tSbGame*>(alignof(std::max_align_t));

class UiStateTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        SetShellWindow(&win);
        SetShellLobby(&lob);
        SetRoomControls(&room);
        RoomControlsState() = {};
        Config.accountname = "Bob";
    }
    void TearDown() override {
        ClientState.game.JoinedGame = nullptr;
        SetRoomControls(nullptr);
        RoomControlsState() = {};
        ShellTest::TearDown();
    }
    std::vector<std::string> Fire(int state, bool on = true) {
        skins.events.clear();
        SetUIState(state, on);
        return skins.events;
    }
    using Events = std::vector<std::string>;

    StateWindow win;
    StateLobby lob;
    RoomSpy room;
};

TEST_F(UiStateTest, GameLinkStatesTellLobbyGamesApart) {
    tmegame& g = ClientState.game;
    g.GameLinkState = LinkJoining;
    EXPECT_EQ(Fire(uiGameLink), Events{"ongameconnecting"});
    g.JoinedGame = kLobbyGame;
    EXPECT_EQ(Fire(uiGameLink), Events{"onsbgameconnecting"});
    g.GameLinkState = LinkInRoom;
    EXPECT_EQ(Fire(uiGameLink), Events{"onsbgameconnected"});
    EXPECT_EQ(Fire(uiGameLink, false), Events{"onupsbgameconnected"});
    g.GameLinkState = LinkDown;
    EXPECT_EQ(Fire(uiGameLink), Events{"onsbgamedisconnected"});
    g.JoinedGame = nullptr;
    g.GameLinkState = LinkInRoom;
    EXPECT_EQ(Fire(uiGameLink), Events{"ongameconnected"});
    EXPECT_TRUE(room.last.updateteamEnabled);
    Settings.rules.eteams = 1;
    Fire(uiGameLink);
    EXPECT_FALSE(room.last.updateteamEnabled);
    // Leaving a room while the lobby is connected fires nothing.
    g.GameLinkState = LinkDown;
    lob.state = 1;
    EXPECT_EQ(Fire(uiGameLink), Events{});
    lob.state = 2;
    EXPECT_EQ(Fire(uiGameLink), Events{"ongamedisconnected"});
    EXPECT_FALSE(room.last.updateteamEnabled);
}

TEST_F(UiStateTest, RunningPausedAndOperatorSetTheRoomControls) {
    tmegame& g = ClientState.game;
    g.RoomOperators = "alice BOB";
    g.GameRunning = 1;
    g.Spectating = 0;
    EXPECT_EQ(Fire(uiGameRunning), Events{"ongameactive"});
    EXPECT_EQ(room.last.startgameCaption, "Stop game");
    EXPECT_TRUE(room.last.pausegameEnabled);
    EXPECT_FALSE(room.last.teamnameEnabled);
    EXPECT_FALSE(room.last.updateteamEnabled);
    EXPECT_EQ(room.last.gscaption, "View game settings");
    g.GamePaused = 1;
    EXPECT_EQ(Fire(uiGamePaused), Events{"ongamepause"});
    EXPECT_EQ(room.last.pausegameCaption, "Unpause game");
    g.GamePaused = 0;
    EXPECT_EQ(Fire(uiGamePaused, false), Events{"onupgameunpause"});
    EXPECT_EQ(room.last.pausegameCaption, "Pause game");
    g.GameRunning = 0;
    EXPECT_EQ(Fire(uiGameRunning), Events{"ongameinactive"});
    EXPECT_EQ(room.last.startgameCaption, "Start game");
    EXPECT_FALSE(room.last.pausegameEnabled);
    EXPECT_TRUE(room.last.teamnameEnabled);
    EXPECT_EQ(room.last.gscaption, "Modify game settings");
    // The operator state fires no event; a player who is not an operator loses the buttons.
    EXPECT_EQ(Fire(uiOperator), Events{});
    EXPECT_TRUE(room.last.startgameEnabled);
    g.RoomOperators = "alice bobby";
    EXPECT_FALSE(IsRoomOperator());
    Fire(uiOperator);
    EXPECT_FALSE(room.last.startgameEnabled);
    EXPECT_FALSE(room.last.pausegameEnabled);
    EXPECT_EQ(room.last.gscaption, "View game settings");
}

TEST_F(UiStateTest, ThemeChangeLobbyAndWindowStates) {
    ClientState.shell.ThemeChanging = 1;
    EXPECT_EQ(Fire(uiThemeChange), Events{});
    ClientState.shell.ThemeChanging = 0;
    Fire(uiThemeChange);
    EXPECT_EQ(window.enabled, std::vector<bool>{});
    EXPECT_EQ(win.enabled, (std::vector<bool>{false, true}));
    lob.state = 0;
    EXPECT_EQ(Fire(uiLobbyLink), Events{"onsbconnecting"});
    lob.state = 1;
    EXPECT_EQ(Fire(uiLobbyLink), Events{"onsbconnected"});
    lob.state = 2;
    EXPECT_EQ(Fire(uiLobbyLink), Events{"onsbdisconnected"});
    ClientState.game.GameLinkState = LinkInRoom;
    EXPECT_EQ(Fire(uiLobbyLink), Events{});
    EXPECT_EQ(Fire(uiWindow), Events{"onrestore"});
    win.maximised = true;
    EXPECT_EQ(Fire(uiWindow), Events{"onfullscreen"});
    win.minimised = true;
    EXPECT_EQ(Fire(uiWindow), Events{});
    EXPECT_EQ(Fire(uiNone), Events{});
}

TEST_F(UiStateTest, StateZeroRunsEveryStateInOrder) {
    ClientState.game.GameLinkState = LinkJoining;
    EXPECT_EQ(Fire(uiAll, false), (Events{"onupgameconnecting", "onupgameinactive",
                                          "onupgameunpause", "onupsbdisconnected", "onuprestore"}));
}

TEST_F(UiStateTest, FullScreenDecisions) {
    FullScreenInput in;
    in.on = true;
    in.screenWidth = 1024;
    in.screenHeight = 768;
    in.workWidth = 1024;
    in.workHeight = 740;
    in.minWidth = 800;
    in.minHeight = 600;
    in.maxfs = true;
    EXPECT_EQ(FullScreenDecision(in), FullScreenStep::FullScreen);
    // A second "fullscreen" finds the window no longer normal.
    in.show = WindowShow::Maximised;
    EXPECT_EQ(FullScreenDecision(in), FullScreenStep::Nothing);
    in.show = WindowShow::Minimised;
    EXPECT_EQ(FullScreenDecision(in), FullScreenStep::Nothing);
    in.show = WindowShow::Normal;
    in.maxfs = false;
    EXPECT_EQ(FullScreenDecision(in), FullScreenStep::Maximise);
    in.minHeight = 750;  // fits the screen, not the work area
    EXPECT_EQ(FullScreenDecision(in), FullScreenStep::Nothing);
    // A screen smaller than the theme: a maximised window goes back to normal.
    in.minHeight = 800;
    EXPECT_EQ(FullScreenDecision(in), FullScreenStep::Nothing);
    in.show = WindowShow::Maximised;
    EXPECT_EQ(FullScreenDecision(in), FullScreenStep::Normal);
    // "restore" from a maximised window only returns to normal; from a normal one nothing.
    in.on = false;
    EXPECT_EQ(FullScreenDecision(in), FullScreenStep::Normal);
    in.show = WindowShow::Normal;
    EXPECT_EQ(FullScreenDecision(in), FullScreenStep::Nothing);
}

TEST_F(UiStateTest, MinimisingGoesToTheTrayOnlyWhereThereIsOne) {
    ApplicationMinimised();
    EXPECT_EQ(win.trayAdds, 1);
    EXPECT_EQ(win.hiddenToTray, 1);
    ApplicationRestored();
    EXPECT_EQ(win.trayRemoves, 1);
    win.trayAvailable = false;
    ApplicationMinimised();
    EXPECT_EQ(win.hiddenToTray, 1);  // stays a minimised window, reachable
    Settings.options.taskbar = 0;
    ApplicationMinimised();
    EXPECT_EQ(win.trayAdds, 2);
}

TEST_F(UiStateTest, MinimisingSetsBeRightBackOnlyWhenItMay) {
    Settings.options.taskbar = 0;
    lob.state = 1;
    ApplicationMinimised();
    EXPECT_EQ(lob.sent, std::vector<int>{3});
    EXPECT_EQ(ClientState.lobby.AutoStatus, 1);
    ApplicationRestored();
    EXPECT_EQ(lob.activity, 1);
    // Already away, in a game, or the option off: nothing is sent.
    ClientState.lobby.AutoStatus = 0;
    lob.sent.clear();
    for (int status : {2, 3, 4}) {
        lob.status = status;
        ApplicationMinimised();
    }
    lob.status = 1;
    ClientState.game.GameLinkState = LinkInRoom;
    ApplicationMinimised();
    ClientState.game.GameLinkState = LinkDown;
    Settings.lobby.minimizebrb = 0;
    ApplicationMinimised();
    EXPECT_TRUE(lob.sent.empty());
    // A status the player set himself is not touched on restore.
    Settings.lobby.minimizebrb = 1;
    ApplicationRestored();
    EXPECT_EQ(lob.activity, 1);
}

TEST_F(UiStateTest, IconSheetTilesGoToTheirTargetsInOrder) {
    Surface16 sheet(160, 128);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 10; ++c)
            FillRect(sheet, {c * 16, r * 16, 16, 16}, static_cast<Pixel16>(r * 10 + c + 1));
    sheet.setPixel(0, 15, 0x1234);  // tile (1,1)'s bottom-left pixel
    const std::vector<IconTile> tiles = CutIconSheet(sheet);
    ASSERT_EQ(tiles.size(), 27u);
    EXPECT_EQ(tiles[0].target, "meactive");
    EXPECT_EQ(tiles[0].transparent, 0x1234);
    EXPECT_EQ(tiles[15].target, "userliststatusimagelist");
    EXPECT_EQ(tiles[15].picture.pixel(5, 5), static_cast<Pixel16>(4 * 10 + 5 + 1));
    EXPECT_TRUE(tiles[15].listImage);
    EXPECT_EQ(tiles[26].owner, IconOwner::Room);
    SetIcons(sheet);
    EXPECT_EQ(lob.icons.size(), 21u);
    EXPECT_EQ(room.icons,
              (std::vector<std::string>{"changesettings", "editextras", "showstats",
                                        "userlistimages", "userlistimages", "userlistimages"}));
    // A sheet too small for a tile leaves it out.
    EXPECT_EQ(CutIconSheet(Surface16(48, 16)).size(), 3u);
}

TEST_F(UiStateTest, AWatcherPickingAFieldAsksForItsSlot) {
    testing::RecordingSender sender;
    SetGameSender(&sender);
    ShellGameInput input;
    ClientState.game.OwnSlot = 3;
    input.RequestViewedSlot(1);  // the big field: the slot already viewed
    input.RequestViewedSlot(2);  // slot 1
    input.RequestViewedSlot(4);  // slot 4
    SetGameSender(nullptr);
    EXPECT_EQ(sender.sent, (std::vector<std::pair<uint8_t, std::string>>{
                               {0x21, "3"}, {0x21, "1"}, {0x21, "4"}}));
}

class ApplyThemeTest : public UiStateTest {
protected:
    void SetUp() override {
        UiStateTest::SetUp();
        main.fieldWidth = 12;
        main.fieldHeight = 22;
        main.largeBlockSize = 18;
        main.smallBlockSize = 9;
        main.minWindowWidth = 640;
        main.minWindowHeight = 480;
        Settings.theme.draw.mainbmp = &main;
    }
    void TearDown() override {
        Settings.theme.draw.mainbmp = nullptr;
        UiStateTest::TearDown();
    }
    bool Apply() {
        message.clear();
        return ApplyThemeToClient(message);
    }
    TZRMainbmp main;
    std::string message;
};

TEST_F(ApplyThemeTest, TakesTheMetricsClearsTheFlagAndBringsTheSkinsUp) {
    ClientState.shell.ThemeChanging = 1;
    skins.events.clear();
    ASSERT_TRUE(Apply());
    EXPECT_EQ(BlockSize, 18);
    EXPECT_EQ(SmallBlockSize, 9);
    EXPECT_EQ(ClientState.shell.ThemeChanging, 0);
    EXPECT_EQ(win.enabled.back(), true);
    ASSERT_FALSE(skins.events.empty());
    EXPECT_EQ(skins.events.front(), "onupgamedisconnected");
}

TEST_F(ApplyThemeTest, RefusesMetricsThePainterCannotDraw) {
    const TZRMainbmp good = main;
    auto refused = [&](auto change) {
        main = good;
        change(main);
        return !Apply() && message == "Serious error setting up theme!";
    };
    EXPECT_TRUE(refused([](TZRMainbmp& m) { m.fieldWidth = 21; }));
    EXPECT_TRUE(refused([](TZRMainbmp& m) { m.fieldHeight = 41; }));
    EXPECT_TRUE(refused([](TZRMainbmp& m) { m.fieldWidth = 0; }));
    EXPECT_TRUE(refused([](TZRMainbmp& m) { m.largeBlockSize = 0; }));
    EXPECT_TRUE(refused([](TZRMainbmp& m) { m.smallBlockSize = -3; }));
    EXPECT_TRUE(refused([](TZRMainbmp& m) { m.largeBlockSize = 100000; }));
    EXPECT_TRUE(refused([](TZRMainbmp& m) { m.minWindowWidth = 0; }));
    EXPECT_TRUE(refused([](TZRMainbmp& m) { m.minWindowHeight = 1 << 20; }));
    EXPECT_EQ(BlockSize, 16);  // nothing changed
    main = good;
    main.fieldWidth = 20;
    main.fieldHeight = 40;
    EXPECT_TRUE(Apply());
}

}  // namespace
}  // namespace pk::test
