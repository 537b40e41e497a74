#include "game/zrfmqueue.h"

#include <stdexcept>
#include <vector>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrowngame.h"
#include "game/zrspares.h"

namespace pk {

TEventQueue EventQueue;

namespace {

// Spent entries kept for the next piece; a kept entry holds nothing of its last one.
SparePool<TQueueEntryRec, 64> spareEntries;

void Recycle(std::unique_ptr<TQueueEntryRec> e) {
    if (e) {
        *e = TQueueEntryRec{};
    }
    spareEntries.Give(std::move(e));
}

std::unique_ptr<TQueueEntryRec> FreshEntry() {
    return spareEntries.Take();
}

void StartIfIdle() {
    if (!EventQueue.empty() && !EventQueue.front()->running) {
        ClientState.game.QueueBusy = 1;
        advancequeue();
    }
}

bool HaveOwnField() {
    const tclient* own = ClientState.game.OwnPlayer;
    return own != nullptr && own->plr != nullptr;
}

// Puts the own state back to the acknowledged one (the first pending snapshot) so that a
// special event lands where the server applied it. The seeds come back too: an effect that
// draws (gravity collecting specials) must use the seed the server had at that point.
void RollBackToAcknowledged() {
    tmegame& g = ClientState.game;
    if (g.HoldUsed) {
        g.HoldToken = PieceToken(g.UpcomingPieces, 1);
        g.UpcomingPieces = DropFirstToken(g.UpcomingPieces);
    }
    if (!PendingHistory.empty() && HaveOwnField())
        LoadOwnState(PendingHistory.front()->snapshot);
}

void RunEntry(TQueueEntryRec& e) {
    switch (e.kind) {
        case qkSpecial:
            RollBackToAcknowledged();
            GameFx().RunSpecialEvent(*e.sb);
            break;
        case qkClearLines:
            clearlines();
            break;
        case qkAcknowledge:
            acknowledgepiece(*e.pa);
            break;
        case qkStartPiece:
            NextPieceOrDelay();
            break;
        case qkEndPiece:
            endpiece();
            break;
        case qkNewSpecials:
            ApplyNewSpecials(*e.asb);
            break;
        case qkHoldPiece:
            holdpiece();
            break;
        default:
            // An unknown kind cannot be produced here; drop it rather than stall the queue.
            FinishQueueEntry();
            break;
    }
}

}  // namespace

void InitEventQueue() {
    ClearEventQueue();
}

TQueueEntryRec& QueueEntryNew(uint8_t kind, bool urgent) {
    std::unique_ptr<TQueueEntryRec> e = FreshEntry();
    e->kind = kind;
    TQueueEntryRec& ref = *e;
    // An empty queue takes an urgent entry at its back, which is its front as well: a deque
    // pushed at the front of its first block takes a new block, and frees it again when the
    // entry goes, once per game start.
    if (!urgent || EventQueue.empty()) {
        EventQueue.push_back(std::move(e));
    } else if (!EventQueue.empty() && EventQueue.front()->running) {
        EventQueue.insert(EventQueue.begin() + 1, std::move(e));
    } else {
        EventQueue.push_front(std::move(e));
    }
    return ref;
}

void QueueSpecialEvent(bool urgent, uint8_t subkind, const std::string& letters,
                       const std::string& eventtext, int32_t fromslot, int32_t toslot) {
    auto sb = std::make_unique<tqsb>();
    sb->subkind = subkind;
    sb->letters = letters;
    sb->fromslot = fromslot;
    sb->toslot = toslot;
    sb->checksum = ParseInt(TokenAt(1, eventtext, TokenSep)).value_or(0);
    sb->data = RestFromToken(2, eventtext, TokenSep);
    QueueEntryNew(qkSpecial, urgent).sb = std::move(sb);
    StartIfIdle();
}

void QueueServerSpecial(uint8_t msgtype, const std::string& letters, int32_t slot,
                        const std::string& eventtext) {
    const int32_t own = ClientState.game.OwnSlot;
    if (msgtype == MsgSpecialAtOwnField) {
        QueueSpecialEvent(false, seAtOwnField, letters, eventtext, slot, own);
    } else {
        QueueSpecialEvent(false, seOwnSpecialEcho, letters, eventtext, own, slot);
    }
}

void QueueStartPiece(bool urgent) {
    QueueEntryNew(qkStartPiece, urgent);
    StartIfIdle();
}

void QueueEndPiece(bool urgent) {
    QueueEntryNew(qkEndPiece, urgent);
    StartIfIdle();
}

void QueueAcknowledgement(bool urgent, const tqpa& a) {
    QueueEntryNew(qkAcknowledge, urgent).pa = std::make_unique<tqpa>(a);
    StartIfIdle();
}

void QueueGetSpecials(bool urgent, const std::string& inventory, const std::string& placed) {
    auto asb = std::make_unique<tqasb>();
    asb->inventory = inventory;
    asb->placed = placed;
    QueueEntryNew(qkNewSpecials, urgent).asb = std::move(asb);
    StartIfIdle();
}

void QueueHoldPiece(bool urgent) {
    QueueEntryNew(qkHoldPiece, urgent);
    StartIfIdle();
}

void QueueClearLines(bool urgent) {
    QueueEntryNew(qkClearLines, urgent);
    StartIfIdle();
}

// Entries that end at once start the next one from inside their own routine. Run nested, a
// long queue (a server flooding acknowledgements while an effect holds the queue) would nest
// one call chain per entry and overflow the stack; so a start asked for while an entry is being
// dispatched is only noted, and the outermost dispatch loop starts it once the routine returned.
namespace {
bool Dispatching = false;
bool AdvanceAsked = false;
}  // namespace

void advancequeue() {
    if (Dispatching) {
        AdvanceAsked = true;
        return;
    }
    struct DispatchGuard {
        DispatchGuard() { Dispatching = true; }
        ~DispatchGuard() {
            Dispatching = false;
            AdvanceAsked = false;
        }
    } guard;
    do {
        AdvanceAsked = false;
        if (EventQueue.empty()) {
            ClientState.game.QueueBusy = 0;
            return;
        }
        LogErrorsWith([] { return "advancequeue " + std::to_string(EventQueue.size()); },
                      [] {
                          TQueueEntryRec& e = *EventQueue.front();
                          e.running = 1;
                          RunEntry(e);
                      });
    } while (AdvanceAsked);
}

void FinishQueueEntry() {
    tmegame& g = ClientState.game;
    if (EventQueue.empty()) {
        g.QueueBusy = 0;
        return;
    }
    // Taken out first: the entry is given up on every path, also when the check below throws.
    struct Taken {
        std::unique_ptr<TQueueEntryRec> entry;
        ~Taken() { Recycle(std::move(entry)); }
    } taken{std::move(EventQueue.front())};
    EventQueue.pop_front();
    TQueueEntryRec* e = taken.entry.get();
    // Without an own field (watching, or the own player already gone) a special event cannot
    // have touched it: there is nothing to check or replay.
    if (e->kind == qkSpecial && e->sb && HaveOwnField()) {
        const tqsb& sb = *e->sb;
        TFieldString& own = OwnField();
        if (FieldChecksum(own) != (sb.checksum & 0xFFFF)) {
            AddLogLine("BUG: unsynchronized after \"" + sb.letters + "\" " + own);
            // The queue stalls here (QueueBusy stays set) until it is cleared.
            throw std::runtime_error("Unsynchronized special block \"" + sb.letters + "\"");
        }
        if (!PendingHistory.empty()) {
            StoreOwnState(PendingHistory.front()->snapshot);
        } else if (g.HoldUsed) {
            g.UpcomingPieces = g.HoldToken + TokenSep + g.UpcomingPieces;
            g.HoldToken.clear();
        }
        catchuphistory();
    }
    Recycle(std::move(taken.entry));
    if (!EventQueue.empty()) {
        advancequeue();
    } else {
        g.QueueBusy = 0;
    }
}

void ClearEventQueue() {
    for (auto& e : EventQueue) Recycle(std::move(e));
    EventQueue.clear();
    ClientState.game.QueueBusy = 0;
}

void FreeEventQueue() {
    ClearEventQueue();
    spareEntries.Clear();
}

}  // namespace pk
