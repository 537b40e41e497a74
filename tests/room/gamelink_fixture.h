#pragma once
// Shared by the game link tests: a host that records what the link shows and
// a fixture that runs the link against the scripted game server.
#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrgame.h"
#include "net/zrsock.h"
#include "peers/game_server.h"
#include "platform/winsock.h"
#include "room/zrgamelink.h"
#include "room/zrroomchat.h"
#include "support/event_loop.h"

namespace pk {

using peers::GameFrame;
using peers::GameServerPeer;
using peers::GameServerSession;
using test::RunUntil;

class RecordingHost final : public GameLinkHost {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void LobbyJoinResult(bool joined) override { joinResults.push_back(joined); }
    bool LobbyLinkUp() override { return lobbyUp; }
    void RoomChat(const std::string& line) override { chat.push_back(line); }
    void GameHistory(const std::string& line) override { history.push_back(line); }
    std::string PlayerName() override { return "alice"; }
    std::string TeamNameText() override { return team; }
    void StartUpdateClient(const std::string& host, int port) override {
        updateHost = host;
        updatePort = port;
    }
    void PlaySound(std::string_view name) override { sounds.emplace_back(name); }
    void RedrawField(int slot) override { redrawn.push_back(slot); }
    void ReportError(std::exception_ptr error) override {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            reported.emplace_back(e.what());
        }
    }
    // The link state each UI change was made for.
    void SetUIState(int state, bool on) override {
        uiStates.push_back(std::to_string(state) + (on ? " on, link " : " up, link ") +
                           std::to_string(ClientState.game.GameLinkState));
    }

    std::vector<std::string> messages;
    std::vector<bool> joinResults;
    std::vector<std::string> chat;
    std::vector<std::string> history;
    std::vector<std::string> sounds;
    std::vector<int> redrawn;
    std::vector<std::string> uiStates;
    std::vector<std::string> reported;  // errors handed to the program's error handler
    std::string team = "red";
    std::string updateHost;
    int updatePort = 0;
    bool lobbyUp = false;
};

inline const std::string kUnable = "Unable to connect to game server.  Please try again.";

// '~' stands for the style code byte 0x05.
inline std::string Chat(const std::string& codeAndText) {
    std::string out;
    for (char c : codeAndText) {
        out += c == '~' ? '\x05' : c;
    }
    return out;
}

class GameLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureEventLoop();
        FieldWidth = 12;
        FieldHeight = 22;
        ClearClientLog();
        InitPlayerSlots();
        ResetGame();
        ResetGameLink();
        ClientState.game.GameLinkState = LinkDown;
        GameLink.LobbyGameKey = 0;
        GameLink.JoinMode = 0;
        InitRoomHandlers();
        BindGameSocket();
        SetGameLinkHost(&host);
        ASSERT_TRUE(server.Listen());
    }
    void TearDown() override {
        GameDisconnect();
        SetGameLinkHost(nullptr);
        for (std::uint8_t type : testHandlers) {
            SetRoomHandler(type, nullptr);
        }
        InitRoomHandlers();
        test::DrainEvents();
        // What the scripted room sent outlives the link on purpose (rules, game set, names):
        // the next test starts without it.
        Settings = tsettingsarray{};
        ClientState.game.CurrentGameSetBlob.clear();
        ClientState.game.GameEventLog.clear();
        GameLink.GameName.clear();
        RecentPrivateNames.clear();
    }

    void Connect() { GameConnect("127.0.0.1", server.Port()); }
    bool Joined() {
        return RunUntil([] { return ClientState.game.GameLinkState == LinkInRoom; });
    }
    bool Down() {
        return RunUntil([] { return ClientState.game.GameLinkState == LinkDown; });
    }
    GameServerSession& Session() { return *server.Last(); }
    // A test's own handler for a type, removed again after the test.
    void Handle(std::uint8_t type, RoomHandler handler) {
        SetRoomHandler(type, std::move(handler));
        testHandlers.push_back(type);
    }
    bool LogHas(const std::string& text) const {
        return ClientLog().find(text) != std::string::npos;
    }

    RecordingHost host;
    GameServerPeer server;
    std::vector<std::uint8_t> testHandlers;
};

}  // namespace pk
