#pragma once
// The ordered key/value list under the key/value record (`TXSettings`) and
// the game sets (`TGameSet`): keys are stored lower-cased and compared after
// lower-casing the asked key; setting a key again removes it and appends it
// anew, so the order is the order in which keys were last set.
//
// Serial form, shared by both records: for every pair in list order
//
//   u32 little-endian   key length
//   bytes               the lower-cased key
//   u32 little-endian   value length (0 allowed)
//   bytes               the value
//
// with nothing before the first pair or after the last; an empty list is the
// empty string.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pk {

class KeyValueList {
public:
    struct Pair {
        std::string key;
        std::string value;
    };

    KeyValueList() = default;
    ~KeyValueList();
    KeyValueList(const KeyValueList& other) { *this = other; }
    KeyValueList& operator=(const KeyValueList& other);
    KeyValueList(KeyValueList&&) = default;
    KeyValueList& operator=(KeyValueList&&) = default;

    void Set(std::string_view key, std::string value);
    // As Set, for a caller that has the key's hash already (`KeyHash(key)`).
    void Set(std::string_view key, std::uint32_t hash, std::string value);
    // Gives a present key a new value where it stands; false when absent.
    bool Replace(std::string_view key, std::string value);
    // The value of the key, or null when absent.
    const std::string* Find(std::string_view key) const;
    bool Remove(std::string_view key);
    void Clear();
    std::size_t Count() const { return pairs_.size(); }
    const std::list<Pair>& Pairs() const { return pairs_; }

    std::string Serialize() const;

private:
    using PairIt = std::list<Pair>::iterator;
    // The index: open addressing with linear probing over a power-of-two table
    // at most three quarters full. Lookups lower-case the asked key as they go, so they
    // allocate nothing.
    struct Slot {
        PairIt pair{};
        std::uint32_t hash = 0;
        bool used = false;
    };
    // List nodes and an index table that this thread's records gave back.
    // Game sets and records are built, reset and dropped for every message; a
    // new one takes its nodes from here by splicing instead of allocating.
    struct Spares;
    // Null once the thread's spares are gone (while it ends).
    static Spares* ThreadSpares();

    // The slot holding the key, or the empty slot where it would go.
    std::size_t Probe(std::string_view key, std::uint32_t hash) const;
    // Builds the index anew in a table of `tableSize` (a power of two) slots.
    void Reindex(std::size_t tableSize);
    void RebuildIndex();
    void EraseSlot(std::size_t slot);
    // Appends a pair, on a spare node when there is one.
    void Append(std::string key, std::string value);
    void AppendCopy(const Pair& pair);
    // Takes the pairs from `first` to the end off the list, giving their nodes
    // to the spares.
    void Release(PairIt first);

    std::list<Pair> pairs_;
    std::vector<Slot> slots_;
};

// A hash of a key that ignores ASCII case, and the comparison that goes with
// it: `lowered` is a key stored lower-cased, `asked` a key in any case.
std::uint32_t KeyHash(std::string_view key);
bool KeyMatches(std::string_view lowered, std::string_view asked);

// Writing the serial form into room sized beforehand: the bytes one pair
// takes, and writing them at `at` (returning the end).
std::size_t SerialPairSize(std::string_view key, std::string_view value);
char* PutSerialPair(char* at, std::string_view key, std::string_view value);

// Reads the serial form and hands every complete pair to `onPair` in order.
// Returns false when the data ends inside a pair (a length field cut short, or
// a length larger than what is left); that partial pair is not handed on. A
// negative length reads as empty. The key views `data`.
bool ParseSerialForm(std::string_view data,
                     const std::function<void(std::string_view key, std::string value)>& onPair);

// The serial form inside a compressed record (a zlib stream of it). Nothing
// for empty input or data that does not inflate within `maxSize` bytes.
std::optional<std::string> InflateSerialForm(std::string_view compressed, std::size_t maxSize);

}  // namespace pk
