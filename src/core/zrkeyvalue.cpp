#include "core/zrkeyvalue.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "core/bytestream.h"
#include "core/zrmisc.h"
#include "core/zrzstream.h"

namespace pk {

namespace {

// ASCII letters to lower case, as a table: keys are hashed and compared byte
// by byte, and in the fuzzing build every comparison and branch is a call.
constexpr std::array<unsigned char, 256> kLowerBytes = [] {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        table[static_cast<std::size_t>(b)] =
            static_cast<unsigned char>(LowerChar(static_cast<char>(b)));
    }
    return table;
}();

constexpr std::size_t kFirstTableSize = 16;
// At most this many spare nodes per thread; they hold no heap memory of their own.
constexpr std::size_t kMaxSpareNodes = 4096;
constexpr std::size_t kMaxSpareTables = 4;
// The index holds at most three keys for every four slots.
bool Roomy(std::size_t keys, std::size_t tableSize) {
    return 4 * keys <= 3 * tableSize;
}

// What a string holds without heap memory.
const std::size_t kInPlaceChars = std::string().capacity();

// Set while the thread's spares are being destroyed or gone: a record
// destroyed after them (a static one at exit) frees its nodes itself.
thread_local bool sparesGone = false;

}  // namespace

// A key hashes alike in any case: every byte is hashed with its 0x20 bit set,
// which makes capitals small letters (and merges a few other pairs of bytes,
// which the comparison then tells apart). Eight bytes at a time, since every
// record is indexed anew on each copy.
std::uint32_t KeyHash(std::string_view key) {
    constexpr std::uint64_t kCaseBits = 0x2020202020202020ull;
    const auto mix = [](std::uint64_t h) {
        h *= 0x9E3779B97F4A7C15ull;
        return h ^ (h >> 29);
    };
    std::uint64_t h = 0x243F6A8885A308D3ull ^ key.size();
    const char* p = key.data();
    std::size_t n = key.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, 8);
        h = mix(h ^ (word | kCaseBits));
    }
    if (n > 0) {
        // The last bytes in a word of zeros: one copy, not a loop per byte.
        std::uint64_t word = 0;
        std::memcpy(&word, p, n);
        h = mix(h ^ (word | kCaseBits));
    }
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

bool KeyMatches(std::string_view stored, std::string_view asked) {
    if (stored.size() != asked.size()) {
        return false;
    }
    // Keys are mostly asked as they are stored: one library compare settles
    // those; only a key that differs is compared again byte by byte.
    if (stored.empty() || std::memcmp(stored.data(), asked.data(), stored.size()) == 0) {
        return true;
    }
    const auto* a = reinterpret_cast<const unsigned char*>(stored.data());
    const auto* b = reinterpret_cast<const unsigned char*>(asked.data());
    const unsigned char* lower = kLowerBytes.data();
    unsigned differ = 0;
    for (std::size_t i = 0, n = stored.size(); i < n; ++i) {
        differ |= static_cast<unsigned>(a[i] ^ lower[b[i]]);
    }
    return differ == 0;
}

struct KeyValueList::Spares {
    std::list<Pair> nodes;
    // Index tables, by capacity, the largest last.
    std::vector<std::vector<Slot>> tables;

    void GiveTable(std::vector<Slot>&& table) {
        if (table.capacity() == 0) {
            return;
        }
        if (tables.size() == kMaxSpareTables) {
            if (tables.front().capacity() >= table.capacity()) {
                return;
            }
            tables.erase(tables.begin());
        }
        const auto at = std::find_if(tables.begin(), tables.end(), [&](const auto& t) {
            return t.capacity() >= table.capacity();
        });
        tables.insert(at, std::move(table));
    }

    // A table of at least `size` slots, or none (empty).
    std::vector<Slot> TakeTable(std::size_t size) {
        std::vector<Slot> table;
        if (!tables.empty() && tables.back().capacity() >= size) {
            table = std::move(tables.back());
            tables.pop_back();
        }
        return table;
    }
};

KeyValueList::Spares* KeyValueList::ThreadSpares() {
    struct Holder {
        Spares spares;
        ~Holder() { sparesGone = true; }
    };
    if (sparesGone) {
        return nullptr;
    }
    thread_local Holder holder;
    return &holder.spares;
}

KeyValueList::~KeyValueList() {
    Release(pairs_.begin());
    if (Spares* spares = ThreadSpares()) {
        spares->GiveTable(std::move(slots_));
    }
}

void KeyValueList::Append(std::string key, std::string value) {
    Spares* spares = ThreadSpares();
    if (spares && !spares->nodes.empty()) {
        pairs_.splice(pairs_.end(), spares->nodes, spares->nodes.begin());
        Pair& pair = pairs_.back();
        pair.key = std::move(key);
        pair.value = std::move(value);
        return;
    }
    pairs_.push_back({std::move(key), std::move(value)});
}

void KeyValueList::AppendCopy(const Pair& pair) {
    Spares* spares = ThreadSpares();
    if (spares && !spares->nodes.empty()) {
        pairs_.splice(pairs_.end(), spares->nodes, spares->nodes.begin());
        Pair& copy = pairs_.back();
        copy.key = pair.key;
        copy.value = pair.value;
        return;
    }
    pairs_.push_back(pair);
}

void KeyValueList::Release(PairIt first) {
    Spares* spares = ThreadSpares();
    std::size_t room = spares ? kMaxSpareNodes - std::min(kMaxSpareNodes, spares->nodes.size()) : 0;
    auto keep = first;
    for (; keep != pairs_.end() && room > 0; ++keep, --room) {
        // A spare keeps no heap memory: swapping with an empty string frees
        // it. Most keys and values fit in the string itself.
        for (std::string* text : {&keep->key, &keep->value}) {
            if (text->capacity() > kInPlaceChars) {
                std::string().swap(*text);
            }
        }
    }
    if (spares) {
        spares->nodes.splice(spares->nodes.end(), pairs_, first, keep);
    }
    pairs_.erase(keep, pairs_.end());
}

KeyValueList& KeyValueList::operator=(const KeyValueList& other) {
    // The copied keys are lower-cased and unique already: only the index,
    // which points into the list, has to be built anew. The pairs are
    // assigned over the nodes held, so their strings keep their room.
    if (this != &other) {
        auto dst = pairs_.begin();
        for (const Pair& src : other.pairs_) {
            if (dst == pairs_.end()) {
                AppendCopy(src);
            } else {
                dst->key = src.key;
                dst->value = src.value;
                ++dst;
            }
        }
        Release(dst);
        RebuildIndex();
    }
    return *this;
}

std::size_t KeyValueList::Probe(std::string_view key, std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (!slot.used || (slot.hash == hash && KeyMatches(slot.pair->key, key))) {
            return i;
        }
    }
}

void KeyValueList::Reindex(std::size_t tableSize) {
    if (slots_.capacity() < tableSize) {
        if (Spares* spares = ThreadSpares()) {
            if (auto table = spares->TakeTable(tableSize); table.capacity() > 0) {
                spares->GiveTable(std::move(slots_));
                slots_ = std::move(table);
            }
        }
    }
    slots_.assign(tableSize, Slot{});
    // The keys are unique: each goes to the first free slot of its run.
    const std::size_t mask = tableSize - 1;
    for (auto it = pairs_.begin(); it != pairs_.end(); ++it) {
        const std::uint32_t hash = KeyHash(it->key);
        std::size_t i = hash & mask;
        while (slots_[i].used) {
            i = (i + 1) & mask;
        }
        slots_[i] = Slot{it, hash, true};
    }
}

void KeyValueList::RebuildIndex() {
    std::size_t size = std::max(slots_.size(), kFirstTableSize);
    while (!Roomy(pairs_.size(), size)) {
        size *= 2;
    }
    Reindex(size);
}

void KeyValueList::EraseSlot(std::size_t slot) {
    // Backward-shift deletion: later entries of the same run move up, so that
    // no probe ever stops early at the freed slot.
    const std::size_t mask = slots_.size() - 1;
    std::size_t hole = slot;
    for (std::size_t i = (hole + 1) & mask; slots_[i].used; i = (i + 1) & mask) {
        const std::size_t home = slots_[i].hash & mask;
        // The entry may fill the hole when its home lies cyclically outside (hole, i].
        if (((i - home) & mask) >= ((i - hole) & mask)) {
            slots_[hole] = slots_[i];
            hole = i;
        }
    }
    slots_[hole] = Slot{};
}

void KeyValueList::Set(std::string_view key, std::string value) {
    Set(key, KeyHash(key), std::move(value));
}

void KeyValueList::Set(std::string_view key, std::uint32_t hash, std::string value) {
    if (!Roomy(pairs_.size() + 1, slots_.size())) {
        Reindex(std::max(kFirstTableSize, slots_.size() * 2));
    }
    const std::size_t slot = Probe(key, hash);
    if (slots_[slot].used) {
        // Re-set: the pair moves to the end; its node, and so the index entry, stay.
        const PairIt it = slots_[slot].pair;
        pairs_.splice(pairs_.end(), pairs_, it);
        it->value = std::move(value);
        return;
    }
    Append(LowerCase(key), std::move(value));
    slots_[slot] = Slot{std::prev(pairs_.end()), hash, true};
}

bool KeyValueList::Replace(std::string_view key, std::string value) {
    if (slots_.empty()) {
        return false;
    }
    const std::size_t slot = Probe(key, KeyHash(key));
    if (!slots_[slot].used) {
        return false;
    }
    slots_[slot].pair->value = std::move(value);
    return true;
}

const std::string* KeyValueList::Find(std::string_view key) const {
    if (slots_.empty()) {
        return nullptr;
    }
    const Slot& slot = slots_[Probe(key, KeyHash(key))];
    return slot.used ? &slot.pair->value : nullptr;
}

bool KeyValueList::Remove(std::string_view key) {
    if (slots_.empty()) {
        return false;
    }
    const std::size_t slot = Probe(key, KeyHash(key));
    if (!slots_[slot].used) {
        return false;
    }
    const PairIt it = slots_[slot].pair;
    EraseSlot(slot);
    // The pair goes last, so that it alone is released.
    pairs_.splice(pairs_.end(), pairs_, it);
    Release(it);
    return true;
}

void KeyValueList::Clear() {
    Release(pairs_.begin());
    std::fill(slots_.begin(), slots_.end(), Slot{});
}

std::string KeyValueList::Serialize() const {
    std::size_t size = 0;
    for (const Pair& p : pairs_) {
        size += SerialPairSize(p.key, p.value);
    }
    // Sized once and filled through a pointer: a record is saved on every
    // change, and appending field by field costs several string operations
    // per field.
    std::string out(size, '\0');
    char* at = out.data();
    for (const Pair& p : pairs_) {
        at = PutSerialPair(at, p.key, p.value);
    }
    return out;
}

std::size_t SerialPairSize(std::string_view key, std::string_view value) {
    return 8 + key.size() + value.size();
}

char* PutSerialPair(char* at, std::string_view key, std::string_view value) {
    for (std::string_view text : {key, value}) {
        const auto n = static_cast<std::uint32_t>(text.size());
        const unsigned char length[4] = {
            static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
            static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
        std::memcpy(at, length, 4);
        if (n > 0) {  // an empty view may have no bytes at all
            std::memcpy(at + 4, text.data(), n);
        }
        at += 4 + text.size();
    }
    return at;
}

bool ParseSerialForm(std::string_view data,
                     const std::function<void(std::string_view key, std::string value)>& onPair) {
    // A length field, then that many bytes; a length of zero or less is empty.
    std::size_t at = 0;
    const auto field = [&](std::string_view& out) {
        if (data.size() - at < 4) {
            return false;
        }
        const std::int32_t n = GetI32(data, at);
        at += 4;
        if (n <= 0) {
            out = {};
            return true;
        }
        if (static_cast<std::uint32_t>(n) > data.size() - at) {
            return false;
        }
        out = data.substr(at, static_cast<std::uint32_t>(n));
        at += static_cast<std::uint32_t>(n);
        return true;
    };
    while (at < data.size()) {
        std::string_view key;
        std::string_view value;
        if (!field(key) || !field(value)) {
            return false;
        }
        onPair(key, std::string(value));
    }
    return true;
}

std::optional<std::string> InflateSerialForm(std::string_view compressed, std::size_t maxSize) {
    if (compressed.empty()) {
        return std::nullopt;
    }
    return Decompress(compressed, maxSize);
}

}  // namespace pk
