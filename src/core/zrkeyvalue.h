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
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pk {

class KeyValueList {
public:
    struct Pair {
        std::string key;
        std::string value;
    };

    KeyValueList() = default;
    KeyValueList(const KeyValueList& other) { *this = other; }
    KeyValueList& operator=(const KeyValueList& other);
    KeyValueList(KeyValueList&&) = default;
    KeyValueList& operator=(KeyValueList&&) = default;

    void Set(std::string_view key, std::string value);
    // The value of the key, or null when absent.
    const std::string* Find(std::string_view key) const;
    bool Remove(std::string_view key);
    void Clear();
    std::size_t Count() const { return pairs_.size(); }
    const std::list<Pair>& Pairs() const { return pairs_; }

    std::string Serialize() const;

private:
    std::list<Pair> pairs_;
    std::unordered_map<std::string, std::list<Pair>::iterator> index_;
};

// Reads the serial form and hands every complete pair to `onPair` in order.
// Returns false when the data ends inside a pair (a length field cut short, or
// a length larger than what is left); that partial pair is not handed on.
bool ParseSerialForm(std::string_view data,
                     const std::function<void(std::string key, std::string value)>& onPair);

// The serial form inside a compressed record (a zlib stream of it). Nothing
// for empty input or data that does not inflate within `maxSize` bytes.
std::optional<std::string> InflateSerialForm(std::string_view compressed, std::size_t maxSize);

}  // namespace pk
