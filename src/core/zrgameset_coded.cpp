// The older coded form of a game set, still found in old "gamesets.cfg"
// files: one string of fields separated by the byte 0xFA. Each field is a
// code byte followed by its value:
//
//   1 classic  2 maxp  3 maxs  4 aplr  5 lvlstart  6 linesforlvl  7 lvlinc
//   9 deadsb  10 multfieldsb  11 multcolsb  12 linesforsb  13 sbinc
//   14 invcap  15 speedupmin  16 speedupint  17 stacks  18 eteams  19 teams
//   20 sbchance1-4  21 piecechance  22 startvote  23 startvotesec
//   24 samesbs  25 samepieces  26 sbsinorder  27 pshadow  28 sacrifice
//   29 winbylines  30 winlines  31 holdpiece
//
// Numbers are decimal text. The lists (17, 19) separate items with 0xF9.
// Chances (20, 21) are weight bytes, each the weight plus 10: code 20 holds
// 14 bytes per set for the letters "acnrsbgqovidfm", four sets in a row;
// code 21 seven bytes for the pieces 1 to 7. A byte past the end of the value
// counts as weight 20. Other codes (0, 8, above 31) are skipped.
#include <algorithm>
#include <array>

#include "core/zrgameset.h"
#include "core/zrmisc.h"

namespace pk {
namespace {

enum class Field { Skip, Number, Bool, Text, List, SbChances, PieceChance };

struct Code {
    std::string_view key;
    Field field;
};

constexpr Code kCodes[32] = {
    {"", Field::Skip},                    // 0
    {"classic", Field::Bool},             // 1
    {"maxp", Field::Number},              // 2
    {"maxs", Field::Number},              // 3
    {"aplr", Field::Text},                // 4
    {"lvlstart", Field::Number},          // 5
    {"linesforlvl", Field::Number},       // 6
    {"lvlinc", Field::Number},            // 7
    {"", Field::Skip},                    // 8
    {"deadsb", Field::Bool},              // 9
    {"multfieldsb", Field::Bool},         // 10
    {"multcolsb", Field::Bool},           // 11
    {"linesforsb", Field::Number},        // 12
    {"sbinc", Field::Number},             // 13
    {"invcap", Field::Number},            // 14
    {"speedupmin", Field::Number},        // 15
    {"speedupint", Field::Number},        // 16
    {"stacks", Field::List},              // 17
    {"eteams", Field::Bool},              // 18
    {"teams", Field::List},               // 19
    {"", Field::SbChances},               // 20
    {"piecechance", Field::PieceChance},  // 21
    {"startvote", Field::Bool},           // 22
    {"startvotesec", Field::Number},      // 23
    {"samesbs", Field::Bool},             // 24
    {"samepieces", Field::Bool},          // 25
    {"sbsinorder", Field::Bool},          // 26
    {"pshadow", Field::Bool},             // 27
    {"sacrifice", Field::Bool},           // 28
    {"winbylines", Field::Bool},          // 29
    {"winlines", Field::Number},          // 30
    {"holdpiece", Field::Bool},           // 31
};

constexpr int kMissingWeight = 20;

// The symbols repeated by their weights, read from `count` bytes of `value`
// starting at `offset`.
std::string Weighted(std::string_view value, std::size_t offset, std::string_view symbols) {
    const auto weightAt = [&](std::size_t j) {
        const std::size_t at = offset + j;
        return at < value.size() ? static_cast<unsigned char>(value[at]) - 10 : kMissingWeight;
    };
    std::size_t total = 0;
    for (std::size_t j = 0; j < symbols.size(); ++j) {
        total += static_cast<std::size_t>(std::max(weightAt(j), 0));
    }
    std::string out;
    out.reserve(total);
    for (std::size_t j = 0; j < symbols.size(); ++j) {
        if (const int weight = weightAt(j); weight > 0) {
            out.append(static_cast<std::size_t>(weight), symbols[j]);
        }
    }
    return out;
}

// Calls `onField(start, code, value)` for every field that is not empty, in
// order, while it returns true.
template <class OnField>
void ForEachField(std::string_view coded, OnField onField) {
    for (std::size_t start = 0; start < coded.size();) {
        const std::size_t end = std::min(coded.find('\xFA', start), coded.size());
        if (end > start && !onField(start, static_cast<unsigned char>(coded[start]),
                                    coded.substr(start + 1, end - start - 1))) {
            return;
        }
        start = end + 1;
    }
}

bool IsBadNumber(const Code& entry, std::string_view value) {
    return (entry.field == Field::Number || entry.field == Field::Bool) && !ParseInt(value);
}

}  // namespace

bool TGameSet::LoadFromCoded(std::string_view coded) {
    Reset();
    // Every field of a code sets the same keys, and setting a key again moves
    // it to the end: so only the last field of each code before the first bad
    // number decides the set, and the others are passed over. Old files may
    // repeat a code many times, and each chance field spells out thousands
    // of letters.
    constexpr std::size_t kNone = std::string_view::npos;
    std::array<std::size_t, std::size(kCodes)> last;
    last.fill(kNone);
    std::size_t stop = kNone;
    ForEachField(coded, [&](std::size_t start, unsigned code, std::string_view value) {
        if (code >= std::size(kCodes)) {
            return true;
        }
        if (IsBadNumber(kCodes[code], value)) {
            stop = start;
            return false;
        }
        last[code] = start;
        return true;
    });
    ForEachField(coded, [&](std::size_t start, unsigned code, std::string_view value) {
        if (start == stop) {
            return false;
        }
        if (code >= std::size(kCodes) || last[code] != start) {
            return true;
        }
        const Code& entry = kCodes[code];
        switch (entry.field) {
            case Field::Skip:
                break;
            case Field::Number:
                SetInt(entry.key, ParseInt(value).value_or(0));
                break;
            case Field::Bool:
                SetBool(entry.key, ParseInt(value).value_or(0));
                break;
            case Field::Text:
                SetValue(entry.key, value);
                break;
            case Field::List: {
                std::string list(value);
                std::replace(list.begin(), list.end(), '\xF9', '\x02');
                SetOwned(entry.key, std::move(list));
                break;
            }
            case Field::SbChances: {
                static constexpr std::string_view kKeys[] = {"sbchance1", "sbchance2", "sbchance3",
                                                             "sbchance4"};
                for (std::size_t set = 0; set < std::size(kKeys); ++set) {
                    SetOwned(kKeys[set], Weighted(value, set * 14, "acnrsbgqovidfm"));
                }
                break;
            }
            case Field::PieceChance:
                SetOwned(entry.key, Weighted(value, 0, "1234567"));
                break;
        }
        return true;
    });
    return stop == kNone;
}

}  // namespace pk
