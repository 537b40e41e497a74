// The game server's side of the piece acknowledgement, written apart from the client engine so
// that a test (or the scripted game server) can check the client against an independent model.
// It follows each placed or held piece reported by message 0x19 and answers with the 0x1a bit
// string: the level, new piece tokens, and the inventory, field checksum and seeds of the state
// before that piece.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace pk::testing {

struct AckRules {
    int width = 12;
    int height = 22;
    int invcap = 18;
    int sbinc = 1;
    int linesforsb = 1;
    bool multfieldsb = false;
    bool multcolsb = false;
    bool sbsinorder = false;
    std::array<std::string, 4> pools;  // clears of 1, 2, 3, 4+ lines
};

struct AckState {
    std::vector<std::string> rows;     // top first
    std::deque<std::string> upcoming;  // tokens, kind digit first
    std::string hold;
    std::string inventory;
    int lines = 0;
    uint32_t seedA = 0;
    uint32_t seedB = 0;
};

class AckComputer {
public:
    AckComputer(const AckRules& rules, const std::string& field,
                const std::vector<std::string>& tokens, uint32_t seedA, uint32_t seedB);

    // Handles one 0x19 payload ("holdused", x, y, rotation separated by 0x02); the tokens are
    // the new ones this acknowledgement hands out. Returns the 0x1a payload.
    std::string OnReport(const std::string& payload, const std::vector<std::string>& newTokens);

    const AckState& state() const { return st_; }
    // For a change the server makes between pieces (a special block on this field).
    AckState& state_for_change() { return st_; }
    std::string Field() const;
    int level() const { return 1 + st_.lines / 10; }

    // The 0x1a bit string for the given values.
    static std::string Encode(int level, const std::vector<std::string>& tokens,
                              const std::string& inventory, int checksum, uint32_t seedA,
                              uint32_t seedB);
    static int Checksum(const std::string& s);

private:
    void Place(const std::string& token, int x, int y, int rotation);

    AckRules rules_;
    AckState st_;
};

}  // namespace pk::testing
