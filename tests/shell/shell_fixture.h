#pragma once
// Shared by the shell's tests: a main window that records what the life cycle asks of it, a
// skin registry that records its events, and a fixture that gives each test a fresh program
// folder and puts every global of the shell back to its start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/zrgamesetlist.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "display/zrfieldbitmaps.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "shell/zraudiohooks.h"
#include "shell/zrconfig.h"
#include "shell/zrlobbyhooks.h"
#include "shell/zrshell.h"
#include "shell/zrskinhooks.h"
#include "shell/zrthemesel.h"
#include "shell/zrupdatehooks.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk::test {

class RecordingWindow : public ShellWindow {
public:
    void ShowWindow() override { ++shown; }
    void CloseWindow() override { ++closes; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void SetEnabled(bool enabled) override { this->enabled.push_back(enabled); }
    void SetTimedTimer(bool running) override { timedTimer = running; }
    WindowRect Placement() override { return place; }
    bool Maximised() override { return maximised; }
    WindowRect Screen() override { return screen; }
    void SetPlacement(const WindowRect& rect) override { place = rect; }
    void SetFullScreen(bool on) override { maximised = on; }
    void SetTrayHint(const std::string& hint) override { hints.push_back(hint); }
    void ShowLoading() override { ++loadings; }
    void HideLoading() override { ++hides; }

    int shown = 0;
    int closes = 0;
    int loadings = 0;
    int hides = 0;
    bool timedTimer = false;
    bool maximised = false;
    std::vector<std::string> messages, hints;
    std::vector<bool> enabled;
    WindowRect place{0, 0, 400, 301};
    WindowRect screen{0, 0, 1025, 769};
};

class RecordingSkins : public ShellSkins {
public:
    void FireSkinEvent(const std::string& name) override { events.push_back(name); }
    void ExecuteCommand(const std::string& command) override { commands.push_back(command); }
    std::vector<std::string> events;
    std::vector<std::string> commands;
};

class RecordingLobby : public ShellLobby {
public:
    void SetMasterServer(const std::string& h, int p) override {
        host = h;
        port = p;
    }
    int LobbyLinkState() const override { return state; }
    void LobbyDisconnect(bool retry) override {
        disconnects.push_back(retry);
        state = 2;
    }
    std::string FreshProfile() override { return "fresh"; }
    std::string host;
    int port = 0;
    int state = 2;
    std::vector<bool> disconnects;
};

// Puts every global the shell owns back to its start.
inline void ResetShellGlobals() {
    Config = TConfig{};
    Settings = tsettingsarray{};
    ClientState = tme{};
    ClearGameSets();
    FreeThemeSelection();
    ThemeSelection = TThemeSelection{};
    NoHighResTimer = 0;
    ErrorReported = 0;
    CloseAfterError = 0;
    ClosingDown = 0;
    VersionChanged = true;
    FieldWidth = 12;
    FieldHeight = 22;
    BlockSize = 16;
    SmallBlockSize = 8;
    ClearClientLog();
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetShellGlobals();
        ProgramFolder = dir.Path();
        SetShellWindow(&window);
        SetShellSkins(&skins);
        SetShellLobby(&lobby);
    }
    void TearDown() override {
        FreeTheme(Settings.theme);
        ResetShellGlobals();
        SetShellWindow(nullptr);
        SetShellSkins(nullptr);
        SetShellLobby(nullptr);
        SetShellAudio(nullptr);
        SetShellUpdate(nullptr);
        ProgramFolder.clear();
    }

    // A library with the basic theme under the program folder.
    std::filesystem::path Library(const std::string& name, const std::string& ids = "*") {
        return SaveLibrary(dir.Path() / name, BasicTheme(ids));
    }
    std::filesystem::path ConfigPath() const { return dir.Path() / "pelkorin.cfg"; }

    TempDir dir;
    RecordingWindow window;
    RecordingSkins skins;
    RecordingLobby lobby;
};

}  // namespace pk::test
