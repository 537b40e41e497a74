// Arbitrary acknowledgement and usage-confirmation payloads: they decode without reading past
// their end, and once merged into a running own game the field keeps its size whatever pieces
// (up to 15 x 31 cells) they bring.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrowngame.h"

namespace {

// The one player of the last input, when nothing else is seated. Seating it
// again gives it an empty field in the record it has, as a new player would
// get, without allocating the player and its 5 KB field state per input.
pk::tclient* LastPlayer() {
    using namespace pk;
    if (Players.size() != 1 || !Players[0] || Players[0]->name != "fuzz") {
        return nullptr;
    }
    return Players[0].get();
}

void FreshGame() {
    using namespace pk;
    ClearEventQueue();
    FreePendingHistory();
    AckUsageLog.clear();
    tclient* own = LastPlayer();
    if (!own) {
        FreePlayerSlots();
        InitPlayerSlots();
    }
    ResetGame();
    SlotPlayers.fill(nullptr);
    if (!own) {
        own = AddPlayer("fuzz");
    }
    own->TeamName.clear();
    SeatPlayer(*own, 1);
    own->plr->SlotValue = 0;
    tmegame& g = ClientState.game;
    g.OwnPlayer = own;
    g.PendingLimit = 10;
    g.UpcomingPieces = std::string("104011111") + '\x02' + "102022222";
    g.CurrentPiece = "04011111";
    Settings.rules.holdpiece = 1;
    Settings.rules.sbchance[1] = "acn";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pk;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)DecodeUsageConfirmation(bytes);
    auto a = DecodeAcknowledgement(bytes);
    if (!a)
        return 0;

    FreshGame();
    tmegame& g = ClientState.game;
    try {
        QueueStartPiece(true);
        QueueEndPiece(true);
        // Make the acknowledgement match, so that its tokens are merged and played.
        const thistoryclientstate& s = PendingHistory.front()->snapshot;
        a->inventory = s.inventory;
        a->checksum = FieldChecksum(s.field);
        a->seedA = s.seedA & 0xFFFF;
        a->seedB = s.seedB & 0xFFFF;
        QueueAcknowledgement(false, *a);
        for (int i = 0; i < 6 && g.PieceX != -1; ++i) {
            if (i == 2)
                QueueHoldPiece(false);
            g.PieceX = 1 + (static_cast<int>(size) + i * 5) % FieldWidth;
            QueueEndPiece(true);
        }
    } catch (const std::exception&) {
        // Malformed pieces raise after logging, as game routines do.
    }
    if (OwnField().size() != static_cast<size_t>(FieldWidth) * FieldHeight)
        std::abort();
    ClearEventQueue();
    FreePendingHistory();
    return 0;
}
