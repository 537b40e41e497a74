#pragma once
// Shared by the lobby tests: a host and views that record what the lobby shows and asks,
// a fixture that resets everything the lobby owns, and helpers to read what the client sent.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "net/zrscramble.h"
#include "room/zrgamelink.h"
#include "room/zrroomchat.h"
#include "support/event_loop.h"

namespace pk::test {

// '~' stands for the style byte 0x05.
inline std::string Chat(const std::string& codeAndText) {
    std::string out;
    for (char c : codeAndText) {
        out += c == '~' ? '\x05' : c;
    }
    return out;
}

// Fields joined by 0x02, records by 0x01.
inline std::string F(std::initializer_list<std::string> fields) {
    std::string out;
    bool first = true;
    for (const auto& f : fields) {
        out += (first ? "" : "\x02") + f;
        first = false;
    }
    return out;
}
inline std::string L(std::initializer_list<std::string> records) {
    std::string out;
    bool first = true;
    for (const auto& r : records) {
        out += (first ? "" : "\x01") + r;
        first = false;
    }
    return out;
}

class RecordingLobbyHost : public LobbyHost {
public:
    std::vector<std::string> chat, roomChat, inGame, messages, confirms, calls, uiStates;
    std::vector<std::string> captions, titles, hints;
    std::int64_t now = 100000;
    bool confirmAnswer = false;
    bool verifyAnswer = false;
    std::string verifyCode;
    bool birthAnswer = false;
    std::string year, month, day;
    bool gameSetVisible = false;
    bool locationVisible = false;
    bool closingDown = false;
    bool closeAfterError = false;
    bool realGameLink = false;  // GameConnect/GameDisconnect reach the game link
    std::string updateHost;
    std::string updatePort;
    std::function<void(std::int32_t, const std::string&, const std::string&)> onGameSetView;

    void LobbyChatLine(const std::string& line) override { chat.push_back(line); }
    void RoomChatLine(const std::string& line) override { roomChat.push_back(line); }
    void InGameLine(const std::string& line) override { inGame.push_back(line); }
    std::string TimeStamp() override { return "[12:34] "; }
    std::int64_t Seconds() override { return now; }
    void SetUIState(int state, bool on) override {
        uiStates.push_back(std::to_string(state) + (on ? " on, lobby " : " up, lobby ") +
                           std::to_string(ClientState.lobby.LobbyLinkState));
    }
    void SetMainCaption(const std::string& caption) override { captions.push_back(caption); }
    void SetAppTitle(const std::string& title) override { titles.push_back(title); }
    void SetTrayHint(const std::string& hint) override { hints.push_back(hint); }
    bool ClosingDown() override { return closingDown; }
    bool CloseAfterError() override { return closeAfterError; }
    void CloseMainWindow() override { calls.push_back("CloseMainWindow"); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool Confirm(const std::string& text) override {
        confirms.push_back(text);
        return confirmAnswer;
    }
    void ClearSignUpForm() override { calls.push_back("ClearSignUpForm"); }
    bool QueryVerifyCode(std::string& code) override {
        calls.push_back("QueryVerifyCode " + code);
        code = verifyCode;
        return verifyAnswer;
    }
    bool QueryBirthDate(std::string& y, std::string& m, std::string& d) override {
        calls.push_back("QueryBirthDate");
        y = year;
        m = month;
        d = day;
        return birthAnswer;
    }
    void UpdateStart(const std::string& host, const std::string& port) override {
        updateHost = host;
        updatePort = port;
    }
    void ShowStatusList(const std::string& p) override { calls.push_back("StatusList " + p); }
    void ShowUserDbReply(const std::string& p) override { calls.push_back("UserDb " + p); }
    void ShowPlayerDetails(const std::string& p) override { calls.push_back("Details " + p); }
    void ShowPlayerStats(const std::string& p) override { calls.push_back("Stats " + p); }
    bool GameSetWindowVisible() override { return gameSetVisible; }
    void OpenGameSetView(std::int32_t id, const std::string& name,
                         const std::string& rules) override {
        calls.push_back("GameSetView " + std::to_string(id) + " " + name + " " + rules);
        if (onGameSetView) {
            onGameSetView(id, name, rules);
        }
    }
    void OpenGameSetCreate() override { calls.push_back("GameSetCreate"); }
    bool LocationDialogVisible() override { return locationVisible; }
    void FillRegionList() override { calls.push_back("FillRegionList"); }
    void StartRegionPings() override { calls.push_back("StartRegionPings"); }
    void GameConnect(const std::string& host, int port) override {
        calls.push_back("GameConnect " + host + ":" + std::to_string(port));
        if (realGameLink) {
            LobbyHost::GameConnect(host, port);
        }
    }
    void GameDisconnect() override {
        calls.push_back("GameDisconnect");
        if (realGameLink) {
            LobbyHost::GameDisconnect();
        } else {
            ClientState.game.GameLinkState = LinkDown;
        }
    }
};

class RecordingLobbyViews : public LobbyViews {
public:
    std::vector<std::string> calls;
    OwnStatusButton button = OwnStatusButton::none;
    std::string roomLabel;
    bool lockIcon = false;
    bool modIcon = false;

    void BeginRoomUpdate() override { calls.push_back("BeginRoomUpdate"); }
    void EndRoomUpdate() override { calls.push_back("EndRoomUpdate"); }
    void AddRoomRow(std::int32_t id) override { calls.push_back("+room " + N(id)); }
    void UpdateRoomRow(std::int32_t id) override { calls.push_back("~room " + N(id)); }
    void RemoveRoomRow(std::int32_t id) override { calls.push_back("-room " + N(id)); }
    void RoomRowsCleared() override { calls.push_back("rooms cleared"); }
    void BeginGameUpdate() override { calls.push_back("BeginGameUpdate"); }
    void EndGameUpdate() override { calls.push_back("EndGameUpdate"); }
    void AddGameRow(std::int32_t id) override { calls.push_back("+game " + N(id)); }
    void UpdateGameRow(std::int32_t id) override { calls.push_back("~game " + N(id)); }
    void RemoveGameRow(std::int32_t id) override { calls.push_back("-game " + N(id)); }
    void GameRowsCleared() override { calls.push_back("games cleared"); }
    void UserListRebuilt() override { calls.push_back("users rebuilt"); }
    void UserListRepaint() override { calls.push_back("users repainted"); }
    void SetRoomNameLabel(const std::string& text) override { roomLabel = text; }
    void ShowLockIcon(bool shown) override { lockIcon = shown; }
    void ShowModeratedIcon(bool shown) override { modIcon = shown; }
    void SetOwnStatusButton(OwnStatusButton down) override { button = down; }

private:
    static std::string N(std::int32_t v) { return std::to_string(v); }
};

// A frame the client queued: code and payload.
struct SentFrame {
    std::uint8_t code = 0;
    std::string payload;
    bool operator==(const SentFrame&) const = default;
};

// Everything the lobby owns is reset before and after each test; the tests of the model and
// the dispatcher run without a socket, with the link made "framed" on fixed keys so that what
// it queues can be read back.
class LobbyTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kSendKey = 0x13579BDFu;
    static constexpr std::uint32_t kRecvKey = 0x2468ACE0u;

    void SetUp() override {
        EnsureEventLoop();
        ClearClientLog();
        ResetAll();
        SetLobbyHost(&host);
        SetLobbyViews(&views);
        BindLobbySocket();
    }
    void TearDown() override {
        ResetAll();
        SetLobbyHost(nullptr);
        SetLobbyViews(nullptr);
        SetGameLinkHost(nullptr);
        DrainEvents();
    }
    void ResetAll() {
        ResetLobby();
        ClientState.account = tmeaccount{};
        Settings.lobby = tlobbyoptions{};
        RecentPrivateNames.clear();
        if (ClientState.game.GameLinkState != LinkDown) {
            GameDisconnect();
        }
        ResetGameLink();
        ResetGame();
        InitPlayerSlots();
        GameLink.LobbyGameKey = 0;
        GameLink.JoinMode = 0;
        ClientState.game.JoinedGame = nullptr;
    }
    // A connected lobby without a socket: framed on the fixed keys, welcomed into room 1
    // ("Lobby") as "me" with privilege `privilege`.
    void Connected(int privilege = 3) {
        ClientState.account.AccountName = "me";
        ClientState.lobby.LobbyLinkState = sbConnecting;
        LobbyLink.framed = true;
        LobbyLink.sendKey = {kSendKey, true, ScrambleMulA, ScrambleAddA};
        LobbyLink.recvKey = {kRecvKey, true, ScrambleMulB, ScrambleAddB};
        LobbyWelcome(26, F({"7", std::to_string(privilege), "1", "1", "0", "1", "Lobby"}));
        ASSERT_EQ(ClientState.lobby.LobbyLinkState, sbConnected);
        TakeSent();
        host.chat.clear();
        views.calls.clear();
    }

    // The frames queued since the link was framed (or since the last call), unscrambled.
    std::vector<SentFrame> TakeSent() {
        std::string bytes = LobbyLink.sendQueue.substr(sentRead_);
        sentRead_ = LobbyLink.sendQueue.size();
        std::vector<SentFrame> frames;
        std::string body;
        while (sentReader_.Next(bytes, sentKey_, body) == TFrameReader::Result::Frame) {
            frames.push_back({static_cast<std::uint8_t>(body[0]), body.substr(1)});
        }
        return frames;
    }

    bool LogHas(const std::string& text) const {
        return ClientLog().find(text) != std::string::npos;
    }

    RecordingLobbyHost host;
    RecordingLobbyViews views;

private:
    std::size_t sentRead_ = 0;
    TScrambleKey sentKey_{kSendKey, true, ScrambleMulA, ScrambleAddA};
    TFrameReader sentReader_;
};

}  // namespace pk::test
