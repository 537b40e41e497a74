#pragma once
// A recording stand-in for everything room code talks to. Chat lines are kept exactly as
// handed over, so tests compare bytes; every other call is kept as a short text in `calls`.
#include <algorithm>
#include <string>
#include <vector>

#include "core/zrmisc.h"
#include "room/zrroomhost.h"

namespace pk::test {

// "\x05" followed by two digits, spelled out so that test texts stay readable.
inline std::string Sc(const char* digits) {
    return std::string("\x05") + digits;
}
inline const std::string kSc = "\x05";

class RecordingRoomHost : public RoomHost {
public:
    std::vector<std::string> room, game, lobby, dialogs, calls, attack;
    bool gameUp = true;
    bool lobbyUp = true;
    bool lobbyConnecting = false;
    int gameDisconnects = 0;
    int lobbyDisconnects = 0;
    bool teamUpdateEnabled = true;
    std::vector<std::string> ignored;  // lower case
    std::string account = "me";

    void PartylineAddLine(const std::string& line) override { room.push_back(line); }
    void ShowGameMessage(const std::string& line) override { game.push_back(line); }
    void LobbyChatLine(const std::string& line) override { lobby.push_back(line); }
    void ShowMessage(const std::string& text) override { dialogs.push_back(text); }

    bool GameLinkUp() const override { return gameUp; }
    void GameDisconnect() override {
        ++gameDisconnects;
        gameUp = false;
    }
    bool LobbyConnected() const override { return lobbyUp; }
    bool LobbyLinkDown() const override { return !lobbyUp && !lobbyConnecting; }
    void LobbyDisconnectWithoutRetry() override {
        ++lobbyDisconnects;
        lobbyUp = false;
    }
    bool IsIgnored(const std::string& name) const override {
        return std::find(ignored.begin(), ignored.end(), LowerCase(name)) != ignored.end();
    }

    void RefreshUserList() override { calls.push_back("RefreshUserList"); }
    void RepaintUserList() override { calls.push_back("RepaintUserList"); }
    void ClearRoomChat() override { calls.push_back("ClearRoomChat"); }
    bool TeamUpdateEnabled() const override { return teamUpdateEnabled; }
    void SetTeamUpdateEnabled(bool on) override {
        teamUpdateEnabled = on;
        calls.push_back(std::string("SetTeamUpdateEnabled ") + (on ? "1" : "0"));
    }
    void SetTeamNameText(const std::string& t) override { calls.push_back("SetTeamNameText " + t); }
    void UpdateTeamClick() override { calls.push_back("UpdateTeamClick"); }
    void ClearGameChat() override { calls.push_back("ClearGameChat"); }
    void SetGameChatText(const std::string& t) override { calls.push_back("SetGameChatText " + t); }
    void ClearAttackList() override { calls.push_back("ClearAttackList"); }
    void AddAttackLine(const std::string& line) override { attack.push_back(line); }
    void RedrawSlot(int s) override { calls.push_back("RedrawSlot " + std::to_string(s)); }
    void SetViewedSlot(int s) override { calls.push_back("SetViewedSlot " + std::to_string(s)); }
    void ResetKeyTable(int m) override { calls.push_back("ResetKeyTable " + std::to_string(m)); }
    void SetGameThreadInGame(bool on) override {
        calls.push_back(std::string("SetGameThreadInGame ") + (on ? "1" : "0"));
    }
    void NextTarget() override { calls.push_back("NextTarget"); }
    void RemoveAllTimed() override { calls.push_back("RemoveAllTimed"); }
    void RemoveSlotTimed(int s) override {
        calls.push_back("RemoveSlotTimed " + std::to_string(s));
    }
    void RequestThemeMusic() override { calls.push_back("RequestThemeMusic"); }
    void StopMusic() override { calls.push_back("StopMusic"); }
    void SetUIState(int s, bool on) override {
        calls.push_back("SetUIState " + std::to_string(s) + (on ? " 1" : " 0"));
    }
    void SetMainCaption(const std::string& c) override { calls.push_back("SetMainCaption " + c); }
    void SetGameEndTimer(bool on) override {
        calls.push_back(std::string("SetGameEndTimer ") + (on ? "1" : "0"));
    }
    void SetLobbyTimerInterval(int ms) override {
        calls.push_back("SetLobbyTimerInterval " + std::to_string(ms));
    }
    void ExecuteCommand(const std::string& c) override { calls.push_back("ExecuteCommand " + c); }
    void RequestPlayerDetails(const std::string& n) override {
        calls.push_back("RequestPlayerDetails " + n);
    }
    std::string AccountName() const override { return account; }

    bool Called(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
};

}  // namespace pk::test
