// Arbitrary room messages of the types the room events handle, on a room with players in
// some slots and a watcher: every field must stay exactly one field, no slot table entry may
// point at a player that is gone, and nothing may read outside the payload.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

#include "core/zrlog.h"
#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrowngame.h"
#include "room/zrroomchat.h"
#include "room/zrroomevents.h"
#include "room/zrroomhost.h"
#include "room/zrroomrules.h"
#include "room/zrservermsg.h"

namespace {

// The room host of the unit tests without its records: what this target checks lies in the
// slots and fields, and building a text for every call the room makes cost more than the
// room's own work. It answers and overrides exactly as the recording host does, so the room
// code takes the same paths; its state starts afresh with every input.
class QuietRoomHost : public pk::RoomHost {
public:
    void Reset() {
        gameUp_ = true;
        lobbyUp_ = true;
        teamUpdateEnabled_ = true;
    }

    void PartylineAddLine(const std::string&) override {}
    void ShowGameMessage(const std::string&) override {}
    void LobbyChatLine(const std::string&) override {}
    void ShowMessage(const std::string&) override {}

    bool GameLinkUp() const override { return gameUp_; }
    void GameDisconnect() override { gameUp_ = false; }
    bool LobbyConnected() const override { return lobbyUp_; }
    void LobbyDisconnectWithoutRetry() override { lobbyUp_ = false; }
    bool IsIgnored(const std::string&) const override { return false; }

    void RefreshUserList() override {}
    void RepaintUserList() override {}
    void ClearRoomChat() override {}
    bool TeamUpdateEnabled() const override { return teamUpdateEnabled_; }
    void SetTeamUpdateEnabled(bool on) override { teamUpdateEnabled_ = on; }
    void SetTeamNameText(const std::string&) override {}
    void UpdateTeamClick() override {}
    void ClearGameChat() override {}
    void SetGameChatText(const std::string&) override {}
    void ClearAttackList() override {}
    void AddAttackLine(const std::string&) override {}
    void RedrawSlot(int) override {}
    void SetViewedSlot(int) override {}
    void ResetKeyTable(int) override {}
    void SetGameThreadInGame(bool) override {}
    void NextTarget() override {}
    void RemoveAllTimed() override {}
    void RemoveSlotTimed(int) override {}
    void RequestThemeMusic() override {}
    void StopMusic() override {}
    void SetUIState(int, bool) override {}
    void SetMainCaption(const std::string&) override {}
    void SetGameEndTimer(bool) override {}
    void SetLobbyTimerInterval(int) override {}
    void ExecuteCommand(const std::string&) override {}
    void RequestPlayerDetails(const std::string&) override {}
    std::string AccountName() const override { return "me"; }

private:
    bool gameUp_ = true;
    bool lobbyUp_ = true;
    bool teamUpdateEnabled_ = true;
};

void Seat(const char* name, int slot) {
    pk::SeatPlayer(*pk::AddPlayer(name), slot);
}

void Check() {
    const size_t cells = static_cast<size_t>(pk::FieldWidth) * pk::FieldHeight;
    for (int s = 1; s <= pk::MaxSlots; ++s) {
        pk::tclient* c = pk::SlotPlayers[s];
        if (!c)
            continue;
        if (c->slot != s || !c->plr || c->plr->field.size() != cells)
            std::abort();
    }
}

void Dispatch(uint8_t type, const std::string& payload, QuietRoomHost& host) {
    switch (type % 11) {
        case 0:
            pk::RoomMsgStartGame(payload);
            break;
        case 1:
            pk::RoomMsgInGame(payload);
            break;
        case 2:
            pk::RoomMsgPause(payload);
            break;
        case 3:
            pk::RoomMsgEndGame(payload);
            break;
        case 4:
            pk::RoomMsgPlayerLost(payload);
            break;
        case 5:
            pk::RoomMsgPlayerOut(payload);
            break;
        case 6:
            pk::RoomMsgMoveSlot(payload);
            break;
        case 7:
            pk::RoomMsgSlotValues(payload);
            break;
        case 8:
            pk::GameSettingsMessage(payload);
            break;
        case 9: {
            pk::ServerTextTargets to{host, host, host, pk::RecentPrivateNames};
            pk::ShowServerMessage(payload, to);
            break;
        }
        default:
            pk::RoomChatCommand(true, false, payload);
            break;
    }
}

// Everything an input may leave behind: the room, its players and logs.
// Cleared before the first input and at the end of each, so that every input
// starts from the same room and frees what it allocated: libFuzzer runs a slow
// leak check after every input that allocates more than it frees.
void ClearRoom(QuietRoomHost& host) {
    host.Reset();
    pk::ClearClientLog();
    pk::ClearEventQueue();
    pk::FreePendingHistory();
    pk::RemoveAllPlayers();
    pk::Players.clear();
    pk::SlotPlayers.fill(nullptr);
    pk::ResetGame();
    // The room's handlers change no settings but the rules: the theme, keys and options
    // stay as they were, and copying them anew for every input cost more than the input.
    pk::Settings.rules = pk::tgamerules{};
    pk::ClientState.game.GameEventLog.clear();
    pk::RecentPrivateNames.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QuietRoomHost host;
    static const bool ready = [] {
        pk::SetRoomHost(&host);
        ClearRoom(host);
        return true;
    }();
    (void)ready;
    Seat("Me", 1);
    Seat("Bob", 3);
    Seat("Watcher", 0);
    pk::ClientState.game.OwnPlayer = pk::SlotPlayers[1];
    pk::ClientState.game.OwnSlot = 1;
    pk::ClientState.game.Spectating = 0;
    pk::ClientState.game.GameLinkState = pk::LinkInRoom;

    // Messages one after another: a type byte, a length byte, that many payload bytes; at
    // most kMaxMessages of them. A game start costs tens of microseconds, and as the fuzzer
    // lengthens its inputs toward 4 KB they would hold hundreds of starts each, while a room
    // of six slots reaches every state it can within a few dozen messages (runs with and
    // without the limit cover the same code).
    constexpr int kMaxMessages = 64;
    size_t at = 0;
    for (int message = 0; message < kMaxMessages && at + 2 <= size; ++message) {
        const uint8_t type = data[at];
        const size_t len = std::min<size_t>(data[at + 1], size - at - 2);
        const std::string payload(reinterpret_cast<const char*>(data + at + 2), len);
        at += 2 + len;
        // Like the link's dispatcher, a message whose handler raises costs only
        // that message: the exception is logged there, and the room must still hold.
        try {
            Dispatch(type, payload, host);
        } catch (const std::exception&) {
        }
        Check();
    }
    ClearRoom(host);
    return 0;
}
