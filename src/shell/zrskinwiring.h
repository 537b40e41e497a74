// The shell's side of the skin engine: the engine behind ShellSkins, and the command host
// through which "login", "gameconnect", "startgame" and the other commands reach the game
// link, the lobby (ShellLobby) and the windows (ShellWindow and the configuration model, where
// the login page's boxes keep their texts).
#pragma once

#include "shell/zrskinhooks.h"
#include "skin/zrskincmd.h"

namespace pk {

class ShellSkinCommands : public SkinCommandHost {
public:
    int GameLinkState() override;
    bool GameRunning() override;
    bool GamePaused() override;
    bool Spectating() override;
    std::string RoomOperators() override;
    std::string PlayerName() override;
    int OccupiedPlayerSlots() override;
    void SendGameMessage(uint8_t type, const std::string& payload) override;
    void GameConnect(const std::string& playerName, const std::string& host, int port) override;
    void GameDisconnect() override;
    int LobbyLinkState() override;
    void LobbyLogin(const std::string& name, const std::string& password) override;
    void LobbyDisconnect(bool retry) override;
    std::string AccountName() override;
    std::string AccountPassword() override;
    std::string ServerAddress() override;
    void RememberServer(const std::string& server) override;
    void ShowSignup() override;
    void ReloadMotd() override;
    void SetFullScreen(bool on) override;
    void ShowMessage(const std::string& text) override;
    void OpenUrl(const std::string& url) override;
};

// The main window's skin name; its skin is laid out against the theme's minimum window size.
inline constexpr const char* MainSkinName = "shell";

}  // namespace pk
