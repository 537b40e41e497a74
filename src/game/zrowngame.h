// The own-game cycle: a piece starts from UpcomingPieces, falls, locks, clears lines and
// collects specials, or is held; each placed piece is reported to the game server (message
// 0x19) and kept with a snapshot of the state before it in PendingHistory until the server's
// acknowledgement (message 0x1a) confirms that state. When an acknowledgement or a special
// event changes the acknowledged state, the pending pieces are replayed on top of it.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "game/zrfmqueue.h"
#include "game/zrrandom.h"

namespace pk {

struct tgamerules;

// The own state before an action.
struct thistoryclientstate {
    std::string field;
    std::string upcoming;
    std::string inventory;
    int32_t lines = 0;
    int32_t seedA = 0;
    int32_t seedB = 0;
    std::string hold;
};

enum HistoryKind : int32_t { hkPlaced = 0, hkHeld = 1 };

// One unacknowledged own action. Entries are reused once acknowledged: NewHistoryEntry sets
// every member back (a new member needs its line there).
struct thistoryevent {
    int32_t kind = hkPlaced;
    thistoryclientstate snapshot;
    int32_t x = 0;
    int32_t y = 0;
    int32_t rotation = 1;
    // HoldUsed of the placed piece. A hold into the empty slot carries 1, so that its
    // acknowledgement does not advance the piece-counted timed effects: only placed pieces
    // that did not come from the hold slot count.
    uint8_t holdused = 0;
    // Pairs of bytes (usage id, action letter 'u' use, 'd' discard, 's' sacrifice) for the
    // special usages made after this action and before the next one.
    std::string UsageLog;
};

using TPendingHistory = std::deque<std::unique_ptr<thistoryevent>>;
extern TPendingHistory PendingHistory;
// UsageLog of the last acknowledged entry, until the server has confirmed each usage.
extern std::string AckUsageLog;

// The log that a new special usage is recorded in: the last pending entry's, else AckUsageLog.
std::string& CurrentUsageLog();

// The game server's acknowledgement disagrees with the own record (seeds, inventory or field):
// the own game cannot go on.
class AcknowledgementMismatch : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---- the cycle (each ends its queue entry)
void startpiece();
void endpiece();
void holdpiece();
void clearlines();
void ApplyNewSpecials(const tqasb& s);
// Throws AcknowledgementMismatch when the server's record of the state before the piece
// disagrees with the own one; the entry then stays first in PendingHistory.
void acknowledgepiece(const tqpa& a);
void catchuphistory();
// The piece delay has run out (the game thread's check, on the main thread): starts the piece.
// Waits while another queue entry runs, so that it never ends an entry that is not its own;
// the game thread retries on its next loop because PieceDelayStart stays set.
void DelayedPieceStart();
// After a lock, a hold into the empty slot or a queued start: the piece delay, or the next
// piece at once.
void NextPieceOrDelay();

// ---- rules shared by the cycle, the replay, the special effects and the game server
// Each takes the rules it plays by: the client passes the room's rules in force
// (Settings.rules), a game server its own record of the room's game set.
// Inserts the letters into the inventory (seed not stored back). n is the cleared line count.
void AddToInventory(const tgamerules& rules, int32_t seed, int n, const std::string& letters,
                    std::string& inventory);
// Puts new specials into the field; seeds stored back. placed receives the byte triples
// (column, row, letter). Nothing happens for total <= 0 or n <= 0.
void AddSpecials(const tgamerules& rules, int32_t& seedA, int32_t& seedB, int total,
                 std::string& placed, std::string& field, int n);
// The sacrifice shuffle (seed not stored back).
void ShuffleInventory(int32_t seed, std::string& inventory);
// Copies the own field, pieces, inventory, lines and seeds into s, or back from s; the hold is
// left as it is.
void StoreOwnState(thistoryclientstate& s);
void LoadOwnState(const thistoryclientstate& s);
thistoryevent& NewHistoryEntry(int32_t kind);
void FreePendingHistory();

// ---- messages
// Decodes the bit string of message 0x1a. Letter indices outside the special alphabet decode
// to no letter and are logged; returns nullopt only for a payload too short for its counts.
std::optional<tqpa> DecodeAcknowledgement(std::string_view bits);
// Message 0x26: the server confirmed a special usage (flag 1 is ignored).
struct tusageconfirm {
    uint8_t flag = 0;
    uint8_t id = 0;
    std::string inventory;
};
std::optional<tusageconfirm> DecodeUsageConfirmation(std::string_view bits);
void UsageConfirmed(const tusageconfirm& c);
// Handlers of messages 0x1a (queues the acknowledgement, normal) and 0x26. A payload too
// short for its counts is logged and dropped.
void AcknowledgementMessage(const std::string& payload);
void UsageConfirmationMessage(const std::string& payload);
// Message 0x20: the room game set.
void SendRoomGameSet(const std::string& name, const std::string& stored);

// Message type bytes of this cycle.
inline constexpr uint8_t MsgPiecePlaced = 0x19;
inline constexpr uint8_t MsgAcknowledge = 0x1a;
inline constexpr uint8_t MsgRoomGameSet = 0x20;
inline constexpr uint8_t MsgUsageConfirm = 0x26;

}  // namespace pk
