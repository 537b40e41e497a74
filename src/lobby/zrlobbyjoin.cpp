#include "lobby/zrlobbyjoin.h"

#include "core/chatstyle.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"

namespace pk {

namespace {

std::string Notice(const std::string& text) {
    return StyleCode("01") + StyleCode("11") + "*** " + StyleCode("02") + text;
}

// The game link mixes this into its send key at the seed exchange: the lobby send key as it
// stands after the request, which the master server hands to the game server.
void HandOverToGameLink(bool spectator) {
    GameLink.LobbyGameKey = LobbyLink.sendKey.state;
    GameLink.JoinMode = spectator ? 1 : 0;
    ClientState.game.Spectating = spectator ? 1 : 0;
}

}  // namespace

void RequestJoinGame(std::int32_t gameId) {
    tSbGame* game = FindGame(gameId);
    if (!game || game == ClientState.game.JoinedGame) {
        return;
    }
    LobbyHost& host = LobbyShell();
    if (ClientState.game.GameLinkState == LinkInRoom &&
        !host.Confirm("Joining this game will make you leave your current game.  Proceed?")) {
        return;
    }
    if (ClientState.game.GameLinkState != LinkDown) {
        host.GameDisconnect();
    }
    tmesb& sb = ClientState.lobby;
    sb.PendingAction = paJoinGame;
    LobbyModel.pendingGame = gameId;
    if (sb.RegionsStale) {
        LobbySend(LobbyMsgAskRegions, "");
    } else {
        LobbySend(LobbyMsgJoinGame, std::to_string(gameId));
    }
}

void LobbyJoinGame(std::int32_t gameId, bool spectator) {
    AddLobbyChat(Notice("Preparing to join game..."));
    LobbySend(LobbyMsgJoinGameOnServer, std::to_string(gameId));
    HandOverToGameLink(spectator);
}

void LobbyCreateGame(const std::string& gameSetName, std::int32_t regionId,
                     const std::string& gameSetText, bool spectator) {
    AddLobbyChat(Notice("Creating game..."));
    LobbySend(LobbyMsgCreateGame,
              std::to_string(regionId) + LobbyFieldSep + gameSetName + LobbyFieldSep + gameSetText);
    HandOverToGameLink(spectator);
}

void JoinGameNow(tSbGame& game, const std::string& address, int port) {
    AddLobbyChat(Notice("Now joining game..."));
    LobbyHost& host = LobbyShell();
    // A link still up would let the joined game go as it closes; close it first.
    if (ClientState.game.GameLinkState != LinkDown) {
        host.GameDisconnect();
    }
    ReleaseJoinedGame();
    ClientState.game.JoinedGame = &game;
    LobbyModel.joinedServer = address;
    host.GameConnect(address, port);
}

void JoinGameResult(bool success) {
    if (ClientState.lobby.LobbyLinkState != sbConnected) {
        return;
    }
    if (success) {
        AddLobbyChat(Notice("Successfully joined game!"));
    } else {
        AddLobbyChat(StyleCode("01") + StyleCode("11") + "*** " + StyleCode("19") +
                     StyleCode("02") + "Error joining game, please try again.");
    }
}

bool LobbyLinkConnected() {
    return ClientState.lobby.LobbyLinkState == sbConnected;
}

GameLinkHost::JoinedGameInfo LobbyJoinedGameInfo() {
    GameLinkHost::JoinedGameInfo info;
    const tSbGame* game = ClientState.game.JoinedGame;
    if (game) {
        info.known = true;
        info.id = game->id;
        info.name = game->name;
        info.creator = game->creator;
        info.server = LobbyModel.joinedServer;
    }
    return info;
}

void LobbyGameLinkClosed() {
    ReleaseJoinedGame();
}

// ---- LobbyGameLinkHost

GameLinkHost& LobbyGameLinkHost::Inner() {
    static GameLinkHost plain;
    return inner_ ? *inner_ : plain;
}

void LobbyGameLinkHost::LobbyJoinResult(bool joined) {
    Inner().LobbyJoinResult(joined);
    JoinGameResult(joined);
}
void LobbyGameLinkHost::NoteLobbyActivity() {
    Inner().NoteLobbyActivity();
    NoteActivity();
}
bool LobbyGameLinkHost::LobbyLinkUp() {
    return LobbyLinkConnected();
}
GameLinkHost::JoinedGameInfo LobbyGameLinkHost::JoinedGame() {
    return LobbyJoinedGameInfo();
}
void LobbyGameLinkHost::AfterGameDisconnect() {
    LobbyGameLinkClosed();
    Inner().AfterGameDisconnect();
}

void LobbyGameLinkHost::ShowMessage(const std::string& text) {
    Inner().ShowMessage(text);
}
void LobbyGameLinkHost::SetUIState(int state, bool on) {
    Inner().SetUIState(state, on);
}
void LobbyGameLinkHost::RoomChat(const std::string& line) {
    Inner().RoomChat(line);
}
void LobbyGameLinkHost::ClearRoomChat() {
    Inner().ClearRoomChat();
}
void LobbyGameLinkHost::RefreshPlayerList() {
    Inner().RefreshPlayerList();
}
void LobbyGameLinkHost::RepaintPlayerList() {
    Inner().RepaintPlayerList();
}
void LobbyGameLinkHost::RedrawField(int slot) {
    Inner().RedrawField(slot);
}
void LobbyGameLinkHost::ResetKeyState() {
    Inner().ResetKeyState();
}
std::string LobbyGameLinkHost::PlayerName() {
    return Inner().PlayerName();
}
void LobbyGameLinkHost::PlaySound(std::string_view name) {
    Inner().PlaySound(name);
}
void LobbyGameLinkHost::RefreshDisplay() {
    Inner().RefreshDisplay();
}
void LobbyGameLinkHost::ClearReadyFlags() {
    Inner().ClearReadyFlags();
}
void LobbyGameLinkHost::StopAllSounds() {
    Inner().StopAllSounds();
}
void LobbyGameLinkHost::GameHistory(const std::string& line) {
    Inner().GameHistory(line);
}
std::string LobbyGameLinkHost::TeamNameText() {
    return Inner().TeamNameText();
}
void LobbyGameLinkHost::StartUpdateClient(const std::string& host, int port) {
    Inner().StartUpdateClient(host, port);
}
bool LobbyGameLinkHost::ProgramClosing() {
    return Inner().ProgramClosing();
}
void LobbyGameLinkHost::ShowRoomMessageLine(const std::string& line) {
    Inner().ShowRoomMessageLine(line);
}
bool LobbyGameLinkHost::OwnPlayerReady() {
    return Inner().OwnPlayerReady();
}
void LobbyGameLinkHost::ReportError(std::exception_ptr error) {
    Inner().ReportError(error);
}

}  // namespace pk
