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
#include "game/zrroomchat.h"
#include "game/zrroomevents.h"
#include "game/zrroomrules.h"
#include "game/zrservermsg.h"
#include "support/room_fakes.h"

namespace {

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

void Dispatch(uint8_t type, const std::string& payload, pk::test::RecordingRoomHost& host) {
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
// Cleared at the end of each input as well as before it, so that an input
// frees what it allocated: libFuzzer runs a slow leak check after every input
// that allocates more than it frees.
void ClearRoom(pk::test::RecordingRoomHost& host) {
    // Every list the host records into: a list left to grow across inputs
    // makes each input end with more allocated than it began with, and so
    // costs a leak check per input.
    for (auto* lines :
         {&host.room, &host.game, &host.lobby, &host.dialogs, &host.calls, &host.attack}) {
        lines->clear();
    }
    pk::ClearClientLog();
    pk::ClearEventQueue();
    pk::FreePendingHistory();
    pk::RemoveAllPlayers();
    pk::Players.clear();
    pk::SlotPlayers.fill(nullptr);
    pk::ResetGame();
    pk::Settings = pk::tsettingsarray{};
    pk::ClientState.game.GameEventLog.clear();
    pk::RecentPrivateNames.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static pk::test::RecordingRoomHost host;
    pk::SetRoomHost(&host);
    ClearRoom(host);
    Seat("Me", 1);
    Seat("Bob", 3);
    Seat("Watcher", 0);
    pk::ClientState.game.OwnPlayer = pk::SlotPlayers[1];
    pk::ClientState.game.OwnSlot = 1;
    pk::ClientState.game.Spectating = 0;
    pk::ClientState.game.GameLinkState = pk::LinkInRoom;

    // Messages one after another: a type byte, a length byte, that many payload bytes.
    size_t at = 0;
    while (at + 2 <= size) {
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
