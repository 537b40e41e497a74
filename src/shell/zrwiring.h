// The shell's answers to what the game core asks of the world around it: the game link's host,
// the room host, the engine's display, the key actions' input host and the special blocks'
// outlets. Installed by the main window's creation and removed by its close. Each answers from
// what exists today (options, the configuration model, the audio, lobby and skin interfaces, the
// main window); the windows that come later extend them.
#pragma once

#include "game/zrgameio.h"
#include "game/zrkey.h"
#include "room/zrgamelink.h"
#include "room/zrroomhost.h"
#include "room/zrsbgame.h"

namespace pk {

class ShellGameLinkHost : public GameLinkHost {
public:
    std::string PlayerName() override;
    bool LobbyLinkUp() override;
    void StopAllSounds() override;
    void StartUpdateClient(const std::string& host, int port) override;
    void AfterGameDisconnect() override;
    bool ProgramClosing() override;
    std::string TeamNameText() override;
    void LobbyJoinResult(bool joined) override;
    void NoteLobbyActivity() override;
    JoinedGameInfo JoinedGame() override;
    void ReportError(std::exception_ptr error) override;
};

class ShellRoomHost : public RoomHost {
public:
    void PartylineAddLine(const std::string& line) override;
    void RefreshUserList() override;
    void RepaintUserList() override;
    void ClearRoomChat() override;
    bool TeamUpdateEnabled() const override;
    void SetTeamUpdateEnabled(bool on) override;
    void SetTeamNameText(const std::string& text) override;
    void UpdateTeamClick() override;
    void RequestPlayerDetails(const std::string& name) override;
    void ClearGameChat() override;
    void SetGameChatText(const std::string& text) override;
    void ClearAttackList() override;
    void AddAttackLine(const std::string& line) override;
    void RedrawSlot(int slot) override;
    void ShowGameMessage(const std::string& line) override;
    void LobbyChatLine(const std::string& line) override;
    void ShowMessage(const std::string& text) override;
    bool LobbyConnected() const override;
    bool LobbyLinkDown() const override;
    void LobbyDisconnectWithoutRetry() override;
    void RequestThemeMusic() override;
    void StopMusic() override;
    void SetUIState(int state, bool on) override;
    void SetMainCaption(const std::string& caption) override;
    void SetGameEndTimer(bool running) override;
    void ExecuteCommand(const std::string& command) override;
    std::string AccountName() const override;
};

class ShellGameDisplay : public GameDisplay {
public:
    void RedrawOwnField() override;
    void RefreshDisplay(int mask, int slot) override;
    void PlaySound(std::string_view name) override;
};

class ShellGameInput : public GameInputHost {
public:
    bool ClosingDown() override;
    bool AnimDrop() override;
    bool InGameWindowShown() override;
    bool ChatEditFocused() override;
    void ActivateChatEdit() override;
    // A watcher picked the field at a display position: the server is asked for its slot.
    void RequestViewedSlot(int position) override;
};

class ShellSpecialOutlets : public SpecialOutlets {
public:
    bool ShowIncomingSpecials() const override;
    void SetTimedTimer(bool running) override;
};

// Installs the hosts above, binds the game socket's events to the link and registers the room
// handlers, the special blocks and the key actions.
void InstallGameWiring();
// Puts the do-nothing hosts back, so nothing reaches the shell after its close.
void RemoveGameWiring();

}  // namespace pk
