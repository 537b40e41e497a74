#pragma once
// The lobby host of the lobby's fuzz targets: lines go nowhere, dialogs give the host's own
// answers (no), no game link is opened and the window calls do nothing, so a run reaches
// only the headless lobby.
#include <string>

#include "game/zrgame.h"
#include "lobby/zrlobbyhost.h"

namespace pk::fuzz {

class SilentLobbyHost : public LobbyHost {
public:
    // With `dropsGameLink`, a disconnect marks the game link down as the client's host does,
    // so that a target whose input joins games can join again.
    explicit SilentLobbyHost(bool dropsGameLink) : dropsGameLink_(dropsGameLink) {}

    void LobbyChatLine(const std::string&) override {}
    void RoomChatLine(const std::string&) override {}
    void InGameLine(const std::string&) override {}
    void SetUIState(int, bool) override {}
    void SetMainCaption(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
    void GameConnect(const std::string&, int) override {}
    void GameDisconnect() override {
        if (dropsGameLink_) {
            ClientState.game.GameLinkState = LinkDown;
        }
    }

private:
    bool dropsGameLink_;
};

}  // namespace pk::fuzz
