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
#include <unordered_map>
#include <vector>

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

    std::size_t Count() const { return order_.size() - gone_; }
    // The same pairs in the same order: the sets save the same bytes.
    bool operator==(const TGameSet& other) const;
    // The pairs in order, as the serial form holds them.
    std::vector<KeyValueList::Pair> Pairs() const;

private:
    static constexpr std::size_t kSchemaKeys = 65;
    // Where an entry stands in `order_` while it is absent; in `order_`, a
    // place an entry has left.
    static constexpr std::uint32_t kNowhere = UINT32_MAX;

    // SetValue for a value the caller gives up, which is normalised in place.
    void SetOwned(std::string_view key, std::string value);
    // The entry of a key outside the schema, made when `add` and absent; or
    // kNowhere.
    std::uint32_t ExtraEntry(std::string_view key, bool add);
    std::uint32_t& PlaceOf(std::uint32_t entry);
    std::string_view KeyOf(std::uint32_t entry) const;
    std::string_view ValueOf(std::uint32_t entry) const;
    // Puts the entry last in the order, adding it when absent.
    void MoveLast(std::uint32_t entry);
    void Drop(std::uint32_t entry);
    // Closes the places entries have left.
    void Compact();

    // The set as entries: the schema's keys are entries 0 to 64 (their values
    // here, by schema row), other keys the entries after them (always with
    // an empty value). The order of the pairs is the order of the entries in
    // `order_`; an entry set again moves to the end, leaving its old place
    // empty until the places are closed up.
    std::array<std::string, kSchemaKeys> values_;
    std::array<std::uint32_t, kSchemaKeys> schemaPlace_{};
    std::vector<std::string> extraKeys_;  // lower-cased
    std::vector<std::uint32_t> extraPlace_;
    std::unordered_map<std::string, std::uint32_t> extraEntries_;
    std::vector<std::uint32_t> order_;
    std::size_t gone_ = 0;  // left places in `order_`
    // Unchanged since the last reset.
    bool pristine_ = false;
};

}  // namespace pk
