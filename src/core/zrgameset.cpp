#include "core/zrgameset.h"

#include <random>
#include <unordered_map>

#include "core/zrmisc.h"
#include "core/zrzstream.h"

namespace pk {
namespace {

constexpr char kItemSep = '\x02';
constexpr std::string_view kSpecialLetters = "acnrsbgqovidfm";
constexpr std::string_view kPieceDigits = "1234567";

// Lines "2=1", "3=2", "4=4", then "n=n" for n = 5 to 20, joined by CR LF.
constexpr std::string_view kClassicRules =
    "2=1\r\n3=2\r\n4=4\r\n5=5\r\n6=6\r\n7=7\r\n8=8\r\n9=9\r\n10=10\r\n11=11\r\n12=12\r\n"
    "13=13\r\n14=14\r\n15=15\r\n16=16\r\n17=17\r\n18=18\r\n19=19\r\n20=20";

char RandomPieceDigit() {
    thread_local std::mt19937 engine{std::random_device{}()};
    return static_cast<char>('0' + std::uniform_int_distribution<int>(1, 5)(engine));
}

int Param(std::string_view kind, int word) {
    return ParseInt(WordAt(word, kind)).value_or(0);
}

// An item that does not read as an integer counts as lo - 1: refused.
bool InRange(std::string_view text, int lo, int hi) {
    auto n = ParseInt(text);
    return n && *n >= lo && *n <= hi;
}

std::string KeepOnly(std::string_view text, std::string_view allowed) {
    std::string out;
    for (char c : text) {
        if (allowed.find(c) != std::string_view::npos) {
            out.push_back(c);
        }
    }
    return out;
}

template <class Accept>
std::string NormaliseList(int count, std::string_view def, std::string_view value, Accept accept) {
    std::string out;
    for (int i = 1; i <= count; ++i) {
        if (i > 1) {
            out.push_back(kItemSep);
        }
        std::string item = TokenAt(i, value, kItemSep);
        out += accept(item) ? item : std::string(def);
    }
    return out;
}

}  // namespace

const std::array<GameSetRow, 65> GameSetSchema = {{
    {"default", "bool", "0"},
    {"classic", "bool", "0"},
    {"classicrules", "listmemotext 200", kClassicRules},
    {"maxp", "range 1 6", "6"},
    {"maxs", "range 0 500", "200"},
    {"lvlstart", "range 1 100", "1"},
    {"linesforlvl", "range 1 1000", "2"},
    {"lvlinc", "range 0 100", "1"},
    {"avglvl", "bool", "1"},
    {"deadsb", "bool", "1"},
    {"multfieldsb", "bool", "1"},
    {"multcolsb", "bool", "1"},
    {"linesforsb", "range 1 1000", "1"},
    {"sbinc", "range 0 100", "1"},
    {"invcap", "range 0 17", "17"},
    {"speedupmin", "range 0 120", "5"},
    {"speedupint", "range 1 600", "10"},
    {"stacks", "listrange 6 0 100", "0"},
    {"eteams", "bool", "0"},
    {"teams", "listvalidtext 6", ""},
    {"sbchance1", "sbchance", ""},
    {"sbchance2", "sbchance", ""},
    {"sbchance3", "sbchance", ""},
    {"sbchance4", "sbchance", ""},
    {"piecechance", "piecechance", ""},
    {"startvote", "bool", "1"},
    {"startvotesec", "range 1 1800", "45"},
    {"samesbs", "bool", "0"},
    {"samepieces", "bool", "1"},
    {"sbsinorder", "bool", "0"},
    {"pshadow", "bool", "1"},
    {"sacrifice", "bool", "1"},
    {"winbylines", "bool", "0"},
    {"winlines", "range 1 5000", "100"},
    {"holdpiece", "bool", "1"},
    {"sbagaps", "range 1 50", "3"},
    {"sbnlines", "range 0 100", "0"},
    {"sbrblocks", "range 1 100", "10"},
    {"sbsstack", "range 0 100", "16"},
    {"sbgcollect", "bool", "0"},
    {"sbglines", "bool", "0"},
    {"sbqshift", "qshiftarray", "32221111111111111111100000000000000"},
    {"sboline", "range 0 100", "16"},
    {"sbosize", "range 0 15", "1"},
    {"sbitimed", "bool", "1"},
    {"sbicount", "range 1 500", "30"},
    {"sbiself", "bool", "0"},
    {"sbdtimed", "bool", "1"},
    {"sbdcount", "range 1 500", "10"},
    {"sbftimed", "bool", "1"},
    {"sbfcount", "range 1 500", "10"},
    {"sbmpw", "range 1 30", "5"},
    {"sbmph", "range 1 30", "5"},
    {"sbmpb", "range 1 900", "7"},
    {"sbmtimed", "bool", "0"},
    {"sbmcount", "range 1 500", "3"},
    {"desc", "text 4000", ""},
    {"allowmove", "bool", "1"},
    {"alwaysmod", "bool", "1"},
    {"piecedelay", "range 0 10000", "0"},
    {"maxpieces", "range 5 20", "5"},
    {"sbistack", "bool", "0"},
    {"sbfstack", "bool", "0"},
    {"sbmstack", "bool", "0"},
    {"sbdstack", "bool", "0"},
}};

const GameSetRow* FindGameSetRow(std::string_view key) {
    static const std::unordered_map<std::string_view, const GameSetRow*> byKey = [] {
        std::unordered_map<std::string_view, const GameSetRow*> map;
        for (const GameSetRow& row : GameSetSchema) {
            map.emplace(row.key, &row);
        }
        return map;
    }();
    auto it = byKey.find(LowerCase(key));
    return it == byKey.end() ? nullptr : it->second;
}

std::string NormaliseGameSetValue(std::string_view kind, std::string_view def,
                                  std::string_view value) {
    const std::string name = WordAt(1, kind);
    if (name == "bool") {
        return std::string(value == "1" || value == "0" ? value : def);
    }
    if (name == "text") {
        auto n = static_cast<std::size_t>(MaxInt(Param(kind, 2), 0));
        return std::string(value.substr(0, n));
    }
    if (name == "validtext") {
        return std::string(IsValidText(value) ? value : def);
    }
    if (name == "range") {
        return std::string(InRange(value, Param(kind, 2), Param(kind, 3)) ? value : def);
    }
    if (name == "listrange") {
        int lo = Param(kind, 3);
        int hi = Param(kind, 4);
        return NormaliseList(Param(kind, 2), def, value,
                             [&](const std::string& item) { return InRange(item, lo, hi); });
    }
    if (name == "listvalidtext") {
        return NormaliseList(Param(kind, 2), def, value,
                             [](const std::string& item) { return IsValidText(item); });
    }
    if (name == "listvalidname") {
        return NormaliseList(Param(kind, 2), def, value,
                             [](const std::string& item) { return IsValidName(item); });
    }
    if (name == "listmemotext") {
        auto n = static_cast<std::size_t>(MaxInt(Param(kind, 2), 0));
        return std::string(!value.empty() && value.size() <= n ? value : def);
    }
    if (name == "sbchance") {
        return KeepOnly(LowerCase(value), kSpecialLetters);
    }
    if (name == "piecechance") {
        std::string out = KeepOnly(value, kPieceDigits);
        return out.empty() ? std::string(1, RandomPieceDigit()) : out;
    }
    if (name == "qshiftarray") {
        std::string out = KeepOnly(value, "0123456789");
        return out.empty() ? std::string(def) : out;
    }
    if (name == "userlist") {
        return RemoveChars(value, "\x01\x02").substr(0, 1000);
    }
    return std::string(value);
}

void TGameSet::Reset() {
    list_.Clear();
    for (const GameSetRow& row : GameSetSchema) {
        SetValue(row.key, "");
    }
}

void TGameSet::SetValue(std::string_view key, std::string_view value) {
    const GameSetRow* row = FindGameSetRow(key);
    list_.Set(key, row ? NormaliseGameSetValue(row->kind, row->def, value) : std::string());
}

void TGameSet::SetInt(std::string_view key, std::int32_t value) {
    SetValue(key, std::to_string(value));
}

void TGameSet::SetBool(std::string_view key, int value) {
    SetValue(key, std::to_string(value & 255));
}

void TGameSet::Delete(std::string_view key) {
    list_.Remove(key);
}

std::string TGameSet::GetValue(std::string_view key) const {
    const std::string* value = list_.Find(key);
    return value ? *value : std::string();
}

std::int32_t TGameSet::GetInt(std::string_view key) const {
    const std::string* value = list_.Find(key);
    return value ? ParseInt(*value).value_or(0) : 0;
}

std::string TGameSet::SaveToString() const {
    return list_.Serialize();
}

bool TGameSet::LoadFromString(std::string_view serial) {
    Reset();
    return ParseSerialForm(serial,
                           [this](std::string key, std::string value) { SetValue(key, value); });
}

std::string TGameSet::SaveToCompressed() const {
    return Compress(SaveToString(), CompressionLevel::Max);
}

bool TGameSet::LoadFromCompressed(std::string_view compressed) {
    auto serial = InflateSerialForm(compressed, MaxGameSetSize);
    return serial && LoadFromString(*serial);
}

}  // namespace pk
