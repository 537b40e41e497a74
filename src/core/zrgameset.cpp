#include "core/zrgameset.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "core/zrmisc.h"
#include "core/zrzstream.h"

namespace pk {
namespace {

constexpr char kItemSep = '\x02';
constexpr char kSpecialLetters[] = "acnrsbgqovidfm";
constexpr char kPieceDigits[] = "1234567";

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

// What a filter makes of each byte: the byte to keep (`to`) and whether to
// keep it. Long values are filtered byte by byte, so the loop does two table
// lookups per byte over plain pointers, with no comparison or branch: in the
// fuzzing build every comparison, branch and library call costs a call.
struct ByteFilter {
    char to[256]{};
    std::uint8_t keep[256]{};
    // The bytes the filter keeps as they are (`reject` false), or the only
    // bytes besides zero it does not (`reject` true); see CleanPrefix.
    const char* same = "";
    bool reject = false;
};

// Keeps the bytes of `allowed`; with `lower`, ASCII capitals count as their
// small letters.
constexpr ByteFilter MakeFilter(const char* allowed, bool lower = false) {
    ByteFilter filter;
    filter.same = allowed;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const char mapped = lower ? LowerChar(c) : c;
        filter.to[b] = mapped;
        filter.keep[b] = std::string_view(allowed).find(mapped) != std::string_view::npos ? 1 : 0;
    }
    return filter;
}

constexpr ByteFilter kSpecialFilter = MakeFilter(kSpecialLetters, true);
constexpr ByteFilter kPieceFilter = MakeFilter(kPieceDigits);
constexpr ByteFilter kDigitFilter = MakeFilter("0123456789");
constexpr ByteFilter kUserListFilter = [] {
    ByteFilter filter;
    for (int b = 0; b < 256; ++b) {
        filter.to[b] = static_cast<char>(b);
        filter.keep[b] = b == 0x01 || b == 0x02 ? 0 : 1;
    }
    filter.same = "\x01\x02";
    filter.reject = true;
    return filter;
}();

// The length of the leading bytes the filter leaves as they are. Most values
// are clean already, often whole (a chance list holds thousands of letters):
// one library scan passes them, where the loop below costs a coverage call
// per byte in the fuzzing build. The scan stops at a zero byte, which the
// loop then takes.
std::size_t CleanPrefix(const std::string& text, const ByteFilter& filter) {
    return filter.reject ? std::strcspn(text.c_str(), filter.same)
                         : std::strspn(text.c_str(), filter.same);
}

// Filters in place.
std::string Filtered(std::string text, const ByteFilter& filter) {
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    char* out = text.data();
    const std::size_t clean = CleanPrefix(text, filter);
    std::size_t kept = clean;
    for (std::size_t i = clean, n = text.size(); i < n; ++i) {
        const unsigned char b = in[i];
        out[kept] = filter.to[b];
        kept += filter.keep[b];
    }
    text.resize(kept);
    return text;
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

namespace {

// The schema row of a key whose `KeyHash` is `hash`, or null.
const GameSetRow* FindRow(std::string_view key, std::uint32_t hash) {
    // The schema keys by their case-blind hash, in a table at most half full;
    // sets look up every key they load, so this allocates nothing.
    struct Entry {
        const GameSetRow* row = nullptr;
        std::uint32_t hash = 0;
    };
    constexpr std::size_t kSize = 256;
    static_assert(kSize >= 2 * GameSetSchema.size());
    static const std::array<Entry, kSize> table = [] {
        std::array<Entry, kSize> entries{};
        for (const GameSetRow& row : GameSetSchema) {
            const std::uint32_t rowHash = KeyHash(row.key);
            std::size_t i = rowHash & (kSize - 1);
            while (entries[i].row) {
                i = (i + 1) & (kSize - 1);
            }
            entries[i] = Entry{&row, rowHash};
        }
        return entries;
    }();
    for (std::size_t i = hash & (kSize - 1); table[i].row; i = (i + 1) & (kSize - 1)) {
        if (table[i].hash == hash && KeyMatches(table[i].row->key, key)) {
            return table[i].row;
        }
    }
    return nullptr;
}

}  // namespace

const GameSetRow* FindGameSetRow(std::string_view key) {
    return FindRow(key, KeyHash(key));
}

namespace {

enum class KindName {
    Bool,
    Text,
    ValidText,
    Range,
    ListRange,
    ListValidText,
    ListValidName,
    ListMemoText,
    SbChance,
    PieceChance,
    QShiftArray,
    UserList,
    Other,
};

// A kind read once: its name and integer parameters (words 2 to 4, 0 where
// absent or not a number).
struct ParsedKind {
    KindName name = KindName::Other;
    int p2 = 0;
    int p3 = 0;
    int p4 = 0;
};

ParsedKind ParseKind(std::string_view kind) {
    static constexpr std::pair<std::string_view, KindName> kNames[] = {
        {"bool", KindName::Bool},
        {"text", KindName::Text},
        {"validtext", KindName::ValidText},
        {"range", KindName::Range},
        {"listrange", KindName::ListRange},
        {"listvalidtext", KindName::ListValidText},
        {"listvalidname", KindName::ListValidName},
        {"listmemotext", KindName::ListMemoText},
        {"sbchance", KindName::SbChance},
        {"piecechance", KindName::PieceChance},
        {"qshiftarray", KindName::QShiftArray},
        {"userlist", KindName::UserList},
    };
    ParsedKind parsed;
    const std::string name = WordAt(1, kind);
    for (const auto& [text, id] : kNames) {
        if (name == text) {
            parsed.name = id;
        }
    }
    parsed.p2 = Param(kind, 2);
    parsed.p3 = Param(kind, 3);
    parsed.p4 = Param(kind, 4);
    return parsed;
}

// The value moves through: kinds that keep it, cut it or filter it do so in
// place, so a long value is not copied.
std::string Normalise(const ParsedKind& kind, std::string_view def, std::string value) {
    switch (kind.name) {
        case KindName::Bool:
            return value == "1" || value == "0" ? std::move(value) : std::string(def);
        case KindName::Text:
            value.resize(std::min(value.size(), static_cast<std::size_t>(MaxInt(kind.p2, 0))));
            return value;
        case KindName::ValidText:
            return IsValidText(value) ? std::move(value) : std::string(def);
        case KindName::Range:
            return InRange(value, kind.p2, kind.p3) ? std::move(value) : std::string(def);
        case KindName::ListRange:
            return NormaliseList(kind.p2, def, value, [&](const std::string& item) {
                return InRange(item, kind.p3, kind.p4);
            });
        case KindName::ListValidText:
            return NormaliseList(kind.p2, def, value,
                                 [](const std::string& item) { return IsValidText(item); });
        case KindName::ListValidName:
            return NormaliseList(kind.p2, def, value,
                                 [](const std::string& item) { return IsValidName(item); });
        case KindName::ListMemoText: {
            const auto n = static_cast<std::size_t>(MaxInt(kind.p2, 0));
            return !value.empty() && value.size() <= n ? std::move(value) : std::string(def);
        }
        case KindName::SbChance:
            return Filtered(std::move(value), kSpecialFilter);
        case KindName::PieceChance: {
            std::string out = Filtered(std::move(value), kPieceFilter);
            return out.empty() ? std::string(1, RandomPieceDigit()) : out;
        }
        case KindName::QShiftArray: {
            std::string out = Filtered(std::move(value), kDigitFilter);
            return out.empty() ? std::string(def) : out;
        }
        case KindName::UserList: {
            std::string out = Filtered(std::move(value), kUserListFilter);
            out.resize(std::min<std::size_t>(out.size(), 1000));
            return out;
        }
        case KindName::Other:
            break;
    }
    return value;
}

// The schema's kinds, read once.
const std::array<ParsedKind, GameSetSchema.size()>& SchemaKinds() {
    static const auto kinds = [] {
        std::array<ParsedKind, GameSetSchema.size()> parsed;
        for (std::size_t i = 0; i < GameSetSchema.size(); ++i) {
            parsed[i] = ParseKind(GameSetSchema[i].kind);
        }
        return parsed;
    }();
    return kinds;
}

const ParsedKind& KindOf(const GameSetRow& row) {
    return SchemaKinds()[static_cast<std::size_t>(&row - GameSetSchema.data())];
}

// Every schema key's normalised empty value, by schema row; built once, since
// a set is reset on every load. Rows whose empty value is drawn at random are
// drawn anew by each reset.
const std::array<std::string, GameSetSchema.size()>& EmptyValues() {
    static const auto values = [] {
        std::array<std::string, GameSetSchema.size()> empty;
        for (std::size_t i = 0; i < GameSetSchema.size(); ++i) {
            empty[i] = Normalise(KindOf(GameSetSchema[i]), GameSetSchema[i].def, std::string());
        }
        return empty;
    }();
    return values;
}

// 0, 1, 2, ...: the schema's entries in schema order, and their places.
const std::array<std::uint32_t, GameSetSchema.size()>& SchemaOrder() {
    static const auto order = [] {
        std::array<std::uint32_t, GameSetSchema.size()> entries{};
        for (std::size_t i = 0; i < entries.size(); ++i) {
            entries[i] = static_cast<std::uint32_t>(i);
        }
        return entries;
    }();
    return order;
}

std::uint32_t RowEntry(const GameSetRow& row) {
    return static_cast<std::uint32_t>(&row - GameSetSchema.data());
}

}  // namespace

std::string NormaliseGameSetValue(std::string_view kind, std::string_view def,
                                  std::string_view value) {
    return Normalise(ParseKind(kind), def, std::string(value));
}

void TGameSet::Reset() {
    if (pristine_) {
        return;  // nothing changed since the last reset
    }
    pristine_ = true;
    values_ = EmptyValues();
    for (const GameSetRow& row : GameSetSchema) {
        if (KindOf(row).name == KindName::PieceChance) {
            values_[RowEntry(row)] = Normalise(KindOf(row), row.def, std::string());
        }
    }
    schemaPlace_ = SchemaOrder();
    // Room for every key to be set once more before the order is closed up:
    // a load sets them all.
    order_.reserve(2 * kSchemaKeys);
    order_.assign(SchemaOrder().begin(), SchemaOrder().end());
    gone_ = 0;
    if (!extraKeys_.empty()) {
        extraKeys_.clear();
        extraPlace_.clear();
        extraEntries_.clear();
    }
}

std::uint32_t TGameSet::ExtraEntry(std::string_view key, bool add) {
    std::string lower = LowerCase(key);
    if (auto it = extraEntries_.find(lower); it != extraEntries_.end()) {
        return it->second;
    }
    if (!add) {
        return kNowhere;
    }
    const auto entry = static_cast<std::uint32_t>(kSchemaKeys + extraKeys_.size());
    extraKeys_.push_back(lower);
    extraPlace_.push_back(kNowhere);
    extraEntries_.emplace(std::move(lower), entry);
    return entry;
}

std::uint32_t& TGameSet::PlaceOf(std::uint32_t entry) {
    return entry < kSchemaKeys ? schemaPlace_[entry] : extraPlace_[entry - kSchemaKeys];
}

std::string_view TGameSet::KeyOf(std::uint32_t entry) const {
    return entry < kSchemaKeys ? GameSetSchema[entry].key : extraKeys_[entry - kSchemaKeys];
}

std::string_view TGameSet::ValueOf(std::uint32_t entry) const {
    return entry < kSchemaKeys ? std::string_view(values_[entry]) : std::string_view();
}

void TGameSet::MoveLast(std::uint32_t entry) {
    std::uint32_t& place = PlaceOf(entry);
    if (place != kNowhere) {
        if (place + 1 == order_.size()) {
            return;  // last already
        }
        order_[place] = kNowhere;
        ++gone_;
    }
    place = static_cast<std::uint32_t>(order_.size());
    order_.push_back(entry);
    // Closing up costs a pass over the order: do it once the left places
    // outnumber the pairs, so that it stays a small share of the sets.
    if (gone_ > kSchemaKeys && gone_ > order_.size() / 2) {
        Compact();
    }
}

void TGameSet::Drop(std::uint32_t entry) {
    std::uint32_t& place = PlaceOf(entry);
    if (place == kNowhere) {
        return;
    }
    order_[place] = kNowhere;
    ++gone_;
    place = kNowhere;
    if (entry < kSchemaKeys) {
        values_[entry].clear();
    }
}

void TGameSet::Compact() {
    std::size_t kept = 0;
    for (const std::uint32_t entry : order_) {
        if (entry != kNowhere) {
            PlaceOf(entry) = static_cast<std::uint32_t>(kept);
            order_[kept++] = entry;
        }
    }
    order_.resize(kept);
    gone_ = 0;
}

void TGameSet::SetValue(std::string_view key, std::string_view value) {
    SetOwned(key, std::string(value));
}

void TGameSet::SetOwned(std::string_view key, std::string value) {
    pristine_ = false;
    if (const GameSetRow* row = FindRow(key, KeyHash(key))) {
        const std::uint32_t entry = RowEntry(*row);
        values_[entry] = Normalise(KindOf(*row), row->def, std::move(value));
        MoveLast(entry);
    } else {
        MoveLast(ExtraEntry(key, true));  // kept, with an empty value
    }
}

void TGameSet::SetInt(std::string_view key, std::int32_t value) {
    SetValue(key, std::to_string(value));
}

void TGameSet::SetBool(std::string_view key, int value) {
    SetValue(key, std::to_string(value & 255));
}

void TGameSet::Delete(std::string_view key) {
    pristine_ = false;
    if (const GameSetRow* row = FindGameSetRow(key)) {
        Drop(RowEntry(*row));
    } else if (const std::uint32_t entry = ExtraEntry(key, false); entry != kNowhere) {
        Drop(entry);
    }
}

std::string TGameSet::GetValue(std::string_view key) const {
    const GameSetRow* row = FindGameSetRow(key);
    return row && schemaPlace_[RowEntry(*row)] != kNowhere ? values_[RowEntry(*row)]
                                                           : std::string();
}

std::int32_t TGameSet::GetInt(std::string_view key) const {
    return ParseInt(GetValue(key)).value_or(0);
}

bool TGameSet::operator==(const TGameSet& other) const {
    if (Count() != other.Count()) {
        return false;
    }
    auto theirs = other.order_.begin();
    for (const std::uint32_t entry : order_) {
        if (entry == kNowhere) {
            continue;
        }
        while (*theirs == kNowhere) {
            ++theirs;  // Count() says that a pair is still ahead
        }
        if (KeyOf(entry) != other.KeyOf(*theirs) || ValueOf(entry) != other.ValueOf(*theirs)) {
            return false;
        }
        ++theirs;
    }
    return true;
}

std::vector<KeyValueList::Pair> TGameSet::Pairs() const {
    std::vector<KeyValueList::Pair> pairs;
    pairs.reserve(Count());
    for (const std::uint32_t entry : order_) {
        if (entry != kNowhere) {
            pairs.push_back(
                {std::string(KeyOf(entry)), entry < kSchemaKeys ? values_[entry] : std::string()});
        }
    }
    return pairs;
}

std::string TGameSet::SaveToString() const {
    std::size_t size = 0;
    for (const std::uint32_t entry : order_) {
        if (entry != kNowhere) {
            size += SerialPairSize(KeyOf(entry), ValueOf(entry));
        }
    }
    std::string out(size, '\0');
    char* at = out.data();
    for (const std::uint32_t entry : order_) {
        if (entry != kNowhere) {
            at = PutSerialPair(at, KeyOf(entry), ValueOf(entry));
        }
    }
    return out;
}

bool TGameSet::LoadFromString(std::string_view serial) {
    Reset();
    return ParseSerialForm(serial, [this](std::string_view key, std::string value) {
        SetOwned(key, std::move(value));
    });
}

std::string TGameSet::SaveToCompressed() const {
    return Compress(SaveToString(), CompressionLevel::Max);
}

bool TGameSet::LoadFromCompressed(std::string_view compressed) {
    auto serial = InflateSerialForm(compressed, MaxGameSetSize);
    return serial && LoadFromString(*serial);
}

}  // namespace pk
