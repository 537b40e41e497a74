#include "skin/zrskincmd.h"

#include "core/zrmisc.h"
#include "skin/zrskin.h"

namespace pk {

namespace {

SkinCommandHost offline;
SkinCommandHost* host = &offline;

constexpr int kInRoom = 1;
constexpr int kDown = 2;
constexpr int kConnected = 1;

bool InRoom(SkinCommandHost& h) {
    return h.GameLinkState() == kInRoom;
}

bool IsOperator(SkinCommandHost& h) {
    const std::string name = h.PlayerName();
    if (name.empty())
        return false;
    const std::string operators = h.RoomOperators();
    const int count = WordCount(operators);
    for (int i = 1; i <= count; ++i) {
        if (SameText(WordAt(i, operators), name))
            return true;
    }
    return false;
}

void StartGame(SkinCommandHost& h) {
    if (h.OccupiedPlayerSlots() > 0) {
        h.SendGameMessage(MsgStartGame, "1");
    } else {
        ShowSkinMessage(NotEnoughPlayersText);
    }
}

void GameConnectCommand(SkinCommandHost& h) {
    const std::string server = h.ServerAddress();
    if (h.GameLinkState() != kDown || server.empty())
        return;
    const std::string listed = LowerCase(server);
    h.RememberServer(listed);
    std::string hostName;
    int port = DefaultGamePort;
    SplitServerAddress(server, hostName, port);
    h.GameConnect(h.AccountName(), hostName, port);
}

}  // namespace

SkinCommandHost& CommandHost() {
    return *host;
}

void SetSkinCommandHost(SkinCommandHost* h) {
    host = h ? h : &offline;
}

void SplitServerAddress(const std::string& text, std::string& hostName, int& port) {
    const std::size_t colon = text.find(':');
    port = DefaultGamePort;
    if (colon == std::string::npos) {
        hostName = text;
        return;
    }
    hostName = text.substr(0, colon);
    const std::optional<int32_t> n = ParseInt(text.substr(colon + 1));
    // A number that is no port would reach some other port once cut to 16 bits.
    if (n && *n >= 1 && *n <= 65535)
        port = *n;
}

void ShowSkinMessage(const std::string& text) {
    SkinDispatchGuard guard;
    CommandHost().ShowMessage(text);
}

void ExecuteCommand(const std::string& command) {
    SkinCommandHost& h = CommandHost();
    if (command == "login") {
        if (h.LobbyLinkState() == kDown)
            h.LobbyLogin(h.AccountName(), h.AccountPassword());
    } else if (command == "cancellogin") {
        if (h.LobbyLinkState() != kConnected)
            h.LobbyDisconnect(false);
    } else if (command == "gameconnect") {
        GameConnectCommand(h);
    } else if (command == "cancelgameconnect" || command == "leavegame") {
        if (h.GameLinkState() != kDown)
            h.GameDisconnect();
    } else if (command == "newaccount") {
        if (h.LobbyLinkState() == kDown)
            h.ShowSignup();
    } else if (command == "reloadmotd") {
        h.ReloadMotd();
    } else if (command == "togglegame") {
        if (InRoom(h) && IsOperator(h)) {
            if (h.GameRunning())
                h.SendGameMessage(MsgStartGame, "0");
            else
                StartGame(h);
        }
    } else if (command == "startgame") {
        if (InRoom(h) && IsOperator(h) && !h.GameRunning())
            StartGame(h);
    } else if (command == "stopgame") {
        if (InRoom(h) && IsOperator(h) && h.GameRunning())
            h.SendGameMessage(MsgStartGame, "0");
    } else if (command == "togglepause") {
        if (InRoom(h) && IsOperator(h))
            h.SendGameMessage(MsgPauseGame, h.GamePaused() ? "0" : "1");
    } else if (command == "pausegame") {
        if (InRoom(h) && IsOperator(h) && !h.GamePaused())
            h.SendGameMessage(MsgPauseGame, "1");
    } else if (command == "unpausegame") {
        if (InRoom(h) && IsOperator(h) && h.GamePaused())
            h.SendGameMessage(MsgPauseGame, "0");
    } else if (command == "toggleready") {
        if (InRoom(h) && !h.GameRunning() && !h.Spectating())
            h.SendGameMessage(MsgToggleReady, "");
    } else if (command == "move") {
        if (InRoom(h))
            h.SendGameMessage(MsgMoveSlot, "");
    } else if (command == "disconnect") {
        if (h.LobbyLinkState() != kDown)
            h.LobbyDisconnect(false);
    } else if (command == "fullscreen") {
        h.SetFullScreen(true);
    } else if (command == "restore") {
        h.SetFullScreen(false);
    }
}

}  // namespace pk
