#pragma once
// The lobby as the shell sees it (shell/zrlobbyhooks.h): the main program installs this one
// with SetShellLobby, so that the shell's start-up, configuration and close reach the lobby
// state, its link and its share of "pelkorin.cfg".
#include <string>

#include "shell/zrlobbyhooks.h"

namespace pk {

class TLobbyShellPart : public ShellLobby {
public:
    void CreateLobbyState() override;
    void CreateRegionList() override;
    void SetMasterServer(const std::string& host, int port) override;
    int LobbyLinkState() const override;
    void LobbyDisconnect(bool retry) override;
    void ApplyConfig(const TConfig& config) override;
    void GatherConfig(TConfig& config) override;
    void FreeLobbyState() override;
    void JoinResult(bool joined) override;
    void NoteActivity() override;
    GameLinkHost::JoinedGameInfo JoinedGame() override;
    void GameLinkClosed() override;
    int OwnStatus() const override;
    void SendOwnStatus(int status) override;
    void RequestPlayerDetails(const std::string& name) override;
    // Written as the lobby writes its own lines (with the time stamp when that option is on).
    void LobbyChatLine(const std::string& line) override;
};

}  // namespace pk
