#pragma once
// Joining and creating games through the lobby, and the lobby's side of the game link: the
// link hands the lobby send key over with every join or create request, learns from the
// lobby which game it joined, and tells it how the join went.
#include <cstdint>
#include <string>

#include "room/zrgamelink.h"

namespace pk {

struct tSbGame;

// The user asks to join a game of the current room (by id): confirms leaving a game in
// progress, closes the game link, then asks the server (regions first when they are stale).
void RequestJoinGame(std::int32_t gameId);
// The game-set window's confirmation: join the game on its server.
void LobbyJoinGame(std::int32_t gameId, bool spectator);
// The game-set window's create request; regionId 0 when none was chosen.
void LobbyCreateGame(const std::string& gameSetName, std::int32_t regionId,
                     const std::string& gameSetText, bool spectator);
// Message 19: connect the game link to the game's server.
void JoinGameNow(tSbGame& game, const std::string& address, int port);
// The game link's outcome, shown in the lobby chat while connected.
void JoinGameResult(bool success);

// What the game link asks of the lobby.
bool LobbyLinkConnected();
GameLinkHost::JoinedGameInfo LobbyJoinedGameInfo();
// The game link has closed: it lets the joined game go.
void LobbyGameLinkClosed();

// A game link host that answers the lobby's part of the game link (join result, activity,
// lobby state, joined game, the release after a disconnect) and passes everything else to
// the host it wraps, so that the program installs the pair as the link's host.
class LobbyGameLinkHost : public GameLinkHost {
public:
    explicit LobbyGameLinkHost(GameLinkHost* inner = nullptr) : inner_(inner) {}
    void SetInner(GameLinkHost* inner) { inner_ = inner; }

    void LobbyJoinResult(bool joined) override;
    void NoteLobbyActivity() override;
    bool LobbyLinkUp() override;
    JoinedGameInfo JoinedGame() override;
    void AfterGameDisconnect() override;

    void ShowMessage(const std::string& text) override;
    void SetUIState(int state, bool on) override;
    void RoomChat(const std::string& line) override;
    void ClearRoomChat() override;
    void RefreshPlayerList() override;
    void RepaintPlayerList() override;
    void RedrawField(int slot) override;
    void ResetKeyState() override;
    std::string PlayerName() override;
    void PlaySound(std::string_view name) override;
    void RefreshDisplay() override;
    void ClearReadyFlags() override;
    void StopAllSounds() override;
    void GameHistory(const std::string& line) override;
    std::string TeamNameText() override;
    void StartUpdateClient(const std::string& host, int port) override;
    bool ProgramClosing() override;
    void ShowRoomMessageLine(const std::string& line) override;
    bool OwnPlayerReady() override;
    void ReportError(std::exception_ptr error) override;

private:
    GameLinkHost& Inner();
    GameLinkHost* inner_;
};

}  // namespace pk
