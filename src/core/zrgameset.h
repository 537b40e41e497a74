#pragma once
// `TGameSet`: the rule set of a game room as key/value pairs that are always
// valid against `GameSetSchema`. Every value that enters is normalised by the
// kind of its key, so a stored or received set never holds a value outside
// its schema. Serial and compressed forms are those of `TXSettings`; an older
// coded form (fields cut at the byte 0xFA) is still read.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/zrkeyvalue.h"

namespace pk {

struct GameSetRow {
    std::string_view key;
    // First word the kind, further words its integer parameters.
    std::string_view kind;
    std::string_view def;
};

extern const std::array<GameSetRow, 65> GameSetSchema;

// The schema row of a key (looked up ignoring case), or null.
const GameSetRow* FindGameSetRow(std::string_view key);

// The value a key of `kind` with default `def` holds after `value` is set.
std::string NormaliseGameSetValue(std::string_view kind, std::string_view def,
                                  std::string_view value);

class TGameSet {
public:
    TGameSet() { Reset(); }

    // Every schema key at its normalised empty value, in schema order. A set
    // that has not changed since its last reset is left as it is (its random
    // piece chance included), since loads reset first.
    void Reset();
    // Removes the key, then appends it with its normalised value; a key the
    // schema does not know is kept with an empty value.
    void SetValue(std::string_view key, std::string_view value);
    void SetInt(std::string_view key, std::int32_t value);
    void SetBool(std::string_view key, int value);
    void Delete(std::string_view key);

    std::string GetValue(std::string_view key) const;
    // The value as an integer; 0 when absent or not a number.
    std::int32_t GetInt(std::string_view key) const;
    std::int32_t GetBool(std::string_view key) const { return GetInt(key); }

    std::string SaveToString() const;
    // Reset, then every pair of the serial form. Returns false when the data
    // ends inside a pair; the complete pairs before it stay applied.
    bool LoadFromString(std::string_view serial);
    std::string SaveToCompressed() const;
    // False, with the set unchanged, for empty input or data that does not
    // inflate within MaxGameSetSize; otherwise as LoadFromString on the
    // inflated bytes.
    bool LoadFromCompressed(std::string_view compressed);
    // Reset, then the fields of the older coded form. Returns false at a
    // numeric field that is not a decimal integer; the fields before it stay
    // applied.
    bool LoadFromCoded(std::string_view coded);

    std::size_t Count() const { return list_.Count(); }
    const std::list<KeyValueList::Pair>& Pairs() const { return list_.Pairs(); }

private:
    // SetValue for a value the caller gives up, which is normalised in place.
    void SetOwned(std::string_view key, std::string value);

    KeyValueList list_;
    // Unchanged since the last reset.
    bool pristine_ = false;
};

}  // namespace pk
