// ExecuteCommand: the named commands that scripts, buttons and the command line run, and the
// interface through which they reach the game link, the lobby link and the windows. The shell
// installs its host (the game link is below it, the lobby and windows through its own
// interfaces); until then every link is down and nothing happens.
#pragma once

#include <cstdint>
#include <string>

namespace pk {

class SkinCommandHost {
public:
    virtual ~SkinCommandHost() = default;

    // ---- the game link. States: 0 connecting, 1 in a room, 2 not connected.
    virtual int GameLinkState() { return 2; }
    virtual bool GameRunning() { return false; }
    virtual bool GamePaused() { return false; }
    virtual bool Spectating() { return true; }
    // The operator names of the room (blank-separated) and the player's own name.
    virtual std::string RoomOperators() { return {}; }
    virtual std::string PlayerName() { return {}; }
    virtual int OccupiedPlayerSlots() { return 0; }
    virtual void SendGameMessage(uint8_t type, const std::string& payload) {
        (void)type;
        (void)payload;
    }
    // The player name becomes `playerName`, the joined lobby game none, then the connect.
    virtual void GameConnect(const std::string& playerName, const std::string& host, int port) {
        (void)playerName;
        (void)host;
        (void)port;
    }
    virtual void GameDisconnect() {}

    // ---- the lobby link. States as the game link's.
    virtual int LobbyLinkState() { return 2; }
    // The player name and password as given, then the connect in login mode.
    virtual void LobbyLogin(const std::string& name, const std::string& password) {
        (void)name;
        (void)password;
    }
    virtual void LobbyDisconnect(bool retry) { (void)retry; }

    // ---- windows
    // The login page's name, password and server boxes.
    virtual std::string AccountName() { return {}; }
    virtual std::string AccountPassword() { return {}; }
    virtual std::string ServerAddress() { return {}; }
    // Puts a server at the top of the server box's list unless it is listed already.
    virtual void RememberServer(const std::string& server) { (void)server; }
    virtual void ShowSignup() {}
    virtual void ReloadMotd() {}
    virtual void SetFullScreen(bool on) { (void)on; }
    // A modal message box.
    virtual void ShowMessage(const std::string& text) { (void)text; }
    // Opens an address with the system's web browser.
    virtual void OpenUrl(const std::string& url) { (void)url; }
};

// The installed host; never null. nullptr restores the one whose links are always down.
SkinCommandHost& CommandHost();
void SetSkinCommandHost(SkinCommandHost* host);

// Game-server message types the commands send.
inline constexpr uint8_t MsgToggleReady = 5;
inline constexpr uint8_t MsgMoveSlot = 6;
inline constexpr uint8_t MsgPauseGame = 16;
inline constexpr uint8_t MsgStartGame = 18;
inline constexpr int DefaultGamePort = 31459;
inline constexpr const char* NotEnoughPlayersText = "Not enough players!";

// Runs a command ("login", "gameconnect", "startgame", ...; compared exactly). A command whose
// condition does not hold, or any other text, does nothing.
void ExecuteCommand(const std::string& command);

// The host and port of a server box text: split at the first ":", the port decimal; a port
// that is missing, not a number or not a port gives DefaultGamePort.
void SplitServerAddress(const std::string& text, std::string& host, int& port);

// A message box of the engine; holds the dispatch guard while it is open, so no theme reload
// frees the elements under a script that waits for it.
void ShowSkinMessage(const std::string& text);

}  // namespace pk
