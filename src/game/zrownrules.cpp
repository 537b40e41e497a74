// The random-driven rules of the own game (inventory insertion, new specials, the sacrifice
// shuffle) and the decoders of the acknowledgement messages. The game server runs the same
// rules with the same generator; any difference shows as an acknowledgement mismatch.
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "game/zrowngame.h"
#include "game/zrsbfield.h"

namespace pk {

void AddToInventory(const tgamerules& r, int32_t seed, int n, const std::string& letters,
                    std::string& inventory) {
    TRandomGen gen = TRandomGen::FromSeed(seed);
    const int reps = r.multcolsb ? n : 1;
    for (char letter : letters) {
        for (int k = 0; k < reps; ++k) {
            if (static_cast<int>(inventory.size()) >= r.invcap)
                continue;  // full: dropped
            const int len = static_cast<int>(inventory.size());
            const int p = gen.draw(len + 1) + 1;
            if (p > len || r.sbsinorder) {
                inventory += letter;
            } else {
                inventory.insert(static_cast<size_t>(p - 1), 1, letter);
            }
        }
    }
}

namespace {

// Awards of a clear: one per clear, or one per linesforsb milestone passed when multfieldsb.
int SpecialCount(const tgamerules& r, int total, int n) {
    if (!r.multfieldsb)
        return r.sbinc;
    // A game set keeps linesforsb at 1 or more; a zero must not divide.
    const int every = r.linesforsb < 1 ? 1 : r.linesforsb;
    int milestones = 0;
    for (int m = total - n + 1; m <= total; ++m) milestones += (m % every == 0);
    return r.sbinc * milestones;
}

// The lowest row with at least two empty cells, 0 when none.
int LowestRoomyRow(const std::string& field) {
    for (int row = FieldHeight; row >= 1; --row) {
        int empty = 0;
        for (int c = 1; c <= FieldWidth; ++c) {
            const size_t at = static_cast<size_t>(row - 1) * FieldWidth + (c - 1);
            if (at < field.size() && field[at] == '0')
                ++empty;
        }
        if (empty >= 2)
            return row;
    }
    return 0;
}

}  // namespace

void AddSpecials(const tgamerules& rules, int32_t& seedA, int32_t& seedB, int total,
                 std::string& placed, std::string& field, int n) {
    if (total <= 0 || n <= 0)
        return;
    const std::string& pool = rules.sbchance[static_cast<size_t>(n < 4 ? n : 4)];
    if (pool.empty())
        return;
    const int awards = SpecialCount(rules, total, n);

    // 0-based cell indices, rows top to bottom. A field of the usual sizes lists them on the
    // stack: this runs on every line clear.
    std::array<int, 1024> onStack;
    std::vector<int> onHeap;
    int* candidates = onStack.data();
    if (field.size() > onStack.size()) {
        onHeap.resize(field.size());
        candidates = onHeap.data();
    }
    size_t count = 0;
    const char* cells = field.data();
    for (size_t i = 0; i < field.size(); ++i) {
        if (cells[i] != '0' && !IsSpecialLetter(cells[i]))
            candidates[count++] = static_cast<int>(i);
    }
    for (int k = 0; k < awards; ++k) {
        TRandomGen genB = TRandomGen::FromSeed(seedB);
        const char letter = pool[static_cast<size_t>(genB.draw(static_cast<int>(pool.size())))];
        seedB = genB.seed();

        TRandomGen genA = TRandomGen::FromSeed(seedA);
        int cell = -1;
        if (count > 0) {
            const int pick = genA.draw(static_cast<int>(count));
            cell = candidates[pick];
            std::copy(candidates + pick + 1, candidates + count, candidates + pick);
            --count;
        } else if (const int row = LowestRoomyRow(field); row > 0) {
            // The row holds two empty cells, so the full-period generator reaches one; the
            // bound only guards against a field string that is not what it claims.
            for (int tries = 0; tries < (1 << 20); ++tries) {
                const int col = genA.draw(FieldWidth) + 1;
                const int at = (row - 1) * FieldWidth + (col - 1);
                if (static_cast<size_t>(at) < field.size() &&
                    field[static_cast<size_t>(at)] == '0') {
                    cell = at;
                    break;
                }
            }
        }
        if (cell >= 0) {
            field[static_cast<size_t>(cell)] = letter;
            placed += static_cast<char>(cell % FieldWidth + 1);
            placed += static_cast<char>(cell / FieldWidth + 1);
            placed += letter;
        }
        seedA = genA.seed();
    }
}

void ShuffleInventory(int32_t seed, std::string& inventory) {
    if (inventory.empty())
        return;
    uint32_t state = static_cast<uint32_t>(seed);
    for (size_t i = 0; i < inventory.size(); ++i) {
        const uint32_t code = static_cast<unsigned char>(inventory[i]);
        state = (i % 2 == 0) ? state + code : state - code;
    }
    TRandomGen gen(state);
    std::string rest = inventory;
    rest.erase(static_cast<size_t>(gen.draw(static_cast<int>(rest.size()))), 1);
    std::string out;
    while (!rest.empty()) {
        const size_t k = static_cast<size_t>(gen.draw(static_cast<int>(rest.size())));
        out += rest[k];
        rest.erase(k, 1);
    }
    inventory = out;
}

namespace {

char Digit(uint32_t v) {
    return static_cast<char>('0' + v);
}

std::string ReadInventory(SbBitReader& in) {
    const uint32_t k = in.Read(5);
    std::string inv;
    for (uint32_t i = 0; i < k; ++i) {
        const uint32_t idx = in.Read(5);
        if (idx >= 1 && idx <= SpecialAlphabet.size()) {
            inv += SpecialAlphabet[idx - 1];
        } else {
            // Five bits: at most two digits. A payload full of bad indexes logs a line for
            // each, built in place.
            constexpr std::string_view head = "Bad special letter index ", tail = " in inventory";
            char line[head.size() + 2 + tail.size()];
            size_t n = head.copy(line, head.size());
            if (idx >= 10)
                line[n++] = Digit(idx / 10);
            line[n++] = Digit(idx % 10);
            n += tail.copy(line + n, tail.size());
            AddLogLine(std::string_view(line, n));
        }
    }
    return inv;
}

}  // namespace

std::optional<tqpa> DecodeAcknowledgement(std::string_view bits) {
    SbBitReader in(bits);
    tqpa a;
    a.level = static_cast<int32_t>(in.Read(8));
    const uint32_t t = in.Read(5);
    for (uint32_t i = 0; i < t; ++i) {
        const uint32_t kind = in.Read(3);
        const uint32_t w = in.Read(4);
        const uint32_t h = in.Read(5);
        if (i > 0)
            a.tokens += TokenSep;
        // The kind and the two-digit sizes (at most 7, 15 and 31).
        const char head[5] = {Digit(kind), Digit(w / 10), Digit(w % 10), Digit(h / 10),
                              Digit(h % 10)};
        a.tokens.append(head, sizeof head);
        // Up to 465 cells a token, written in place. Past the end of the payload every cell
        // reads as 0.
        const uint32_t cells = w * h;
        const size_t at = a.tokens.size();
        a.tokens.resize(at + cells, '0');
        in.ReadOctalDigits(a.tokens.data() + at, cells);
        // Reads past the end stay there, so the payload is already too short; the rest of it
        // would read as zeros and log nothing.
        if (in.PastEnd())
            return std::nullopt;
    }
    a.inventory = ReadInventory(in);
    a.checksum = static_cast<int32_t>(in.Read(16));
    a.seedA = static_cast<int32_t>(in.Read(16));
    a.seedB = static_cast<int32_t>(in.Read(16));
    if (in.PastEnd())
        return std::nullopt;
    return a;
}

std::optional<tusageconfirm> DecodeUsageConfirmation(std::string_view bits) {
    SbBitReader in(bits);
    tusageconfirm c;
    c.flag = static_cast<uint8_t>(in.Read(1));
    c.id = static_cast<uint8_t>(in.Read(8));
    c.inventory = ReadInventory(in);
    if (in.PastEnd())
        return std::nullopt;
    return c;
}

}  // namespace pk
