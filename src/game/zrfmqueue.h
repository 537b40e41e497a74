// The game event queue: every change of the own field and piece sequence runs as one entry,
// one at a time. An entry runs when it becomes first; its routine ends it with
// FinishQueueEntry, at once or after on-screen phases, and the next entry starts.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace pk {

// Whose special a special-block event is (tqsb::subkind).
enum SpecialEventKind : uint8_t {
    seOwnSpecialEcho = 0,  // the own player's special on another player
    seAtOwnField = 1,      // a special aimed at the own field
};

// The game server's messages that queue a special-block event.
inline constexpr uint8_t MsgOwnSpecialEcho = 0x15;
inline constexpr uint8_t MsgSpecialAtOwnField = 0x16;

// A special-block event (kind 0).
struct tqsb {
    uint8_t subkind = seOwnSpecialEcho;  // SpecialEventKind
    std::string letters;                 // the special letter, or "aa"
    int32_t toslot = 0;
    int32_t fromslot = 0;
    std::string data;      // the event's data (from the second field of the event text on)
    int32_t checksum = 0;  // expected FieldChecksum of the own field after the event
};

// A piece acknowledgement (kind 2), as decoded from message 0x1a.
struct tqpa {
    std::string tokens;     // new piece tokens, 0x02-separated
    std::string inventory;  // the inventory before the acknowledged piece
    std::string text;       // always empty from message 0x1a
    int32_t level = 0;
    int32_t unused = 0;
    int32_t checksum = 0;  // FieldChecksum of the field before the piece (16 bits)
    int32_t seedA = 0;     // low 16 bits of the seeds before the piece
    int32_t seedB = 0;
    uint8_t flag1 = 0;
    uint8_t flag2 = 0;
};

// New specials of a line clear (kind 5).
struct tqasb {
    std::string inventory;  // the new inventory
    std::string placed;     // byte triples: column, row, letter
};

enum QueueKind : uint8_t {
    qkSpecial = 0,
    qkClearLines = 1,
    qkAcknowledge = 2,
    qkStartPiece = 3,
    qkEndPiece = 4,
    qkNewSpecials = 5,
    qkHoldPiece = 6,
};

struct TQueueEntryRec {
    uint8_t running = 0;
    uint8_t kind = 0;
    // Only the payload of the entry's kind is set.
    std::unique_ptr<tqsb> sb;
    std::unique_ptr<tqpa> pa;
    std::unique_ptr<tqasb> asb;
};

using TEventQueue = std::deque<std::unique_ptr<TQueueEntryRec>>;
extern TEventQueue EventQueue;

void InitEventQueue();
// Places a new entry: urgent goes second when the first is running, else first; normal last.
TQueueEntryRec& QueueEntryNew(uint8_t kind, bool urgent);

// Each queueing operation starts the queue when its first entry is not running.
// The event text's first 0x02 field is the expected checksum in decimal, the rest the data.
void QueueSpecialEvent(bool urgent, uint8_t subkind, const std::string& letters,
                       const std::string& eventtext, int32_t fromslot, int32_t toslot);
void QueueStartPiece(bool urgent);
void QueueEndPiece(bool urgent);
void QueueAcknowledgement(bool urgent, const tqpa& a);
void QueueGetSpecials(bool urgent, const std::string& inventory, const std::string& placed);
void QueueHoldPiece(bool urgent);
void QueueClearLines(bool urgent);

// MsgOwnSpecialEcho (seOwnSpecialEcho, from the own slot to `slot`) and MsgSpecialAtOwnField
// (seAtOwnField, from `slot` to the own slot), queued normal.
void QueueServerSpecial(uint8_t msgtype, const std::string& letters, int32_t slot,
                        const std::string& eventtext);

void advancequeue();
void FinishQueueEntry();
void ClearEventQueue();
void FreeEventQueue();

}  // namespace pk
