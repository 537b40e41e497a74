#include "shell/zrskinwiring.h"

#include <algorithm>

#include "game/zrgame.h"
#include "room/zrgamelink.h"
#include "shell/zrconfig.h"
#include "shell/zrlobbyhooks.h"
#include "shell/zrshell.h"
#include "skin/zrskin.h"
#include "skin/zrskinscript.h"
#include "skin/zrskintheme.h"

namespace pk {

namespace {

ShellSkinCommands commands;

class Engine : public ShellSkins {
public:
    void InitSkins() override {
        const WindowRect screen = MainWindow().Screen();
        pk::InitSkins(screen.width, screen.height);
        SetSkinCommandHost(&commands);
    }
    void FreeSkins() override {
        SetSkinCommandHost(nullptr);
        pk::FreeSkins();
    }
    void FireSkinEvent(const std::string& name) override { pk::FireSkinEvent(name); }
    void ExecuteCommand(const std::string& command) override { pk::ExecuteCommand(command); }
    void ResetSkins() override { pk::ResetSkins(); }
    void ApplySkinTheme(const TZRTheme& theme, int minWidth, int minHeight) override {
        pk::ApplySkinTheme(theme, MainSkinName, minWidth, minHeight);
    }
    bool Busy() override { return SkinsBusy(); }
};

}  // namespace

ShellSkins& EngineSkins() {
    static Engine engine;
    return engine;
}

int ShellSkinCommands::GameLinkState() {
    return ClientState.game.GameLinkState;
}
bool ShellSkinCommands::GameRunning() {
    return ClientState.game.GameRunning != 0;
}
bool ShellSkinCommands::GamePaused() {
    return ClientState.game.GamePaused != 0;
}
bool ShellSkinCommands::Spectating() {
    return ClientState.game.Spectating != 0;
}
std::string ShellSkinCommands::RoomOperators() {
    return ClientState.game.RoomOperators;
}
std::string ShellSkinCommands::PlayerName() {
    return GameHost().PlayerName();
}
int ShellSkinCommands::OccupiedPlayerSlots() {
    return static_cast<int>(std::count_if(SlotPlayers.begin() + 1, SlotPlayers.end(),
                                          [](const tclient* p) { return p != nullptr; }));
}
void ShellSkinCommands::SendGameMessage(uint8_t type, const std::string& payload) {
    pk::SendGameMessage(type, payload);
}
void ShellSkinCommands::GameConnect(const std::string& playerName, const std::string& host,
                                    int port) {
    Config.accountname = playerName;
    ClientState.game.JoinedGame = nullptr;
    pk::GameConnect(host, port);
}
void ShellSkinCommands::GameDisconnect() {
    pk::GameDisconnect();
}
int ShellSkinCommands::LobbyLinkState() {
    return Lobby().LobbyLinkState();
}
void ShellSkinCommands::LobbyLogin(const std::string& name, const std::string& password) {
    Lobby().LobbyLogin(name, password);
}
void ShellSkinCommands::LobbyDisconnect(bool retry) {
    Lobby().LobbyDisconnect(retry);
}
std::string ShellSkinCommands::AccountName() {
    return Config.accountname;
}
std::string ShellSkinCommands::AccountPassword() {
    return Config.accountpass;
}
std::string ShellSkinCommands::ServerAddress() {
    return Config.serveraddress;
}
void ShellSkinCommands::RememberServer(const std::string& server) {
    auto& list = Config.gameservers;
    if (std::find(list.begin(), list.end(), server) == list.end())
        list.insert(list.begin(), server);
}
void ShellSkinCommands::ShowSignup() {
    Lobby().ShowSignup();
}
void ShellSkinCommands::ReloadMotd() {
    MainWindow().ReloadMotd();
}
void ShellSkinCommands::SetFullScreen(bool on) {
    MainWindow().SetFullScreen(on);
}
void ShellSkinCommands::ShowMessage(const std::string& text) {
    MainWindow().ShowMessage(text);
}
void ShellSkinCommands::OpenUrl(const std::string& url) {
    MainWindow().OpenUrl(url);
}

}  // namespace pk
