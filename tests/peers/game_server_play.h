#pragma once
// The game server's side of the own-game cycle: it keeps each player's state
// as the server sees it, answers every reported piece with the state before
// it (message 0x1a) and then replays the piece with the engine's own routines
// under the room's rules, so seeds, inventories and checksums match a client
// that plays by them.
#include <cstdint>
#include <string>

#include "game/zrgame.h"

namespace pk::peers {

// Message 0x1a bits: level, new tokens, inventory, field checksum, the low 16
// bits of both seeds.
std::string EncodeAcknowledgement(int level, const std::string& tokens,
                                  const std::string& inventory, int checksum, std::int32_t seedA,
                                  std::int32_t seedB);

// Message 0x26 bits: flag 0, the usage id, the inventory after the usage.
std::string EncodeUsageConfirmation(int usageId, const std::string& inventory);

// Message 0x17: token count n, n tokens, seed A, seed B, stack data (PackStack). `tokens` are
// joined by 0x02. Every start of a game the test servers send is built here.
std::string StartGamePayload(const std::string& tokens, std::int32_t seedA, std::int32_t seedB,
                             const std::string& stackData = {});

// The rules of a room's game set in its stored (compressed) form; an empty or unreadable one
// gives the rules of a fresh game set, as a room without a set of its own plays by.
tgamerules RoomRules(const std::string& compressedSet);

class ServerOwnGame {
public:
    // tokens: 0x02-separated piece tokens; the field starts empty.
    void Start(const std::string& tokens, std::int32_t seedA, std::int32_t seedB);
    // Takes a 0x19 report and returns the 0x1a answer: the state before the
    // piece with `newTokens` for the client. The tokens join the list first,
    // then the piece is applied. False for a report that is not four numbers.
    bool Acknowledge(const std::string& report, const std::string& newTokens, int level,
                     std::string& answer);

    // The room's rules: never the client's rules in force, which a server in a process of its
    // own cannot see. A new game keeps them.
    tgamerules rules = RoomRules({});
    std::string field;
    std::string upcoming;
    std::string inventory;
    std::string hold;
    std::int32_t lines = 0;
    std::int32_t seedA = 0;
    std::int32_t seedB = 0;
    int reports = 0;
};

}  // namespace pk::peers
