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

}  // namespace

bool TGameSet::LoadFromCoded(std::string_view coded) {
    Reset();
    const int fields = TokenCount(coded, '\xFA');
    std::size_t start = 0;
    for (int f = 0; f < fields; ++f) {
        std::size_t end = std::min(coded.find('\xFA', start), coded.size());
        std::string_view field = coded.substr(start, end - start);
        start = end + 1;
        if (field.empty()) {
            continue;
        }
        auto code = static_cast<unsigned char>(field[0]);
        std::string_view value = field.substr(1);
        if (code >= std::size(kCodes)) {
            continue;
        }
        const Code& entry = kCodes[code];
        switch (entry.field) {
            case Field::Skip:
                break;
            case Field::Number:
            case Field::Bool: {
                auto number = ParseInt(value);
                if (!number) {
                    return false;
                }
                if (entry.field == Field::Bool) {
                    SetBool(entry.key, *number);
                } else {
                    SetInt(entry.key, *number);
                }
                break;
            }
            case Field::Text:
                SetValue(entry.key, value);
                break;
            case Field::List: {
                std::string list(value);
                std::replace(list.begin(), list.end(), '\xF9', '\x02');
                SetOwned(entry.key, std::move(list));
                break;
            }
            case Field::SbChances:
                for (int set = 1; set <= 4; ++set) {
                    SetOwned(
                        "sbchance" + std::to_string(set),
                        Weighted(value, static_cast<std::size_t>(set - 1) * 14, "acnrsbgqovidfm"));
                }
                break;
            case Field::PieceChance:
                SetOwned(entry.key, Weighted(value, 0, "1234567"));
                break;
        }
    }
    return true;
}

}  // namespace pk
