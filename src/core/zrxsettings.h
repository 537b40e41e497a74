#pragma once
// `TXSettings`: the program's record of named string values. The
// configuration file is one in compressed form; lobby replies and the
// last-game statistics carry records in serial form (see zrkeyvalue.h for
// the layout). The compressed form is that serial form as a zlib stream
// (RFC 1950) at level 9.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/zrkeyvalue.h"

namespace pk {

class TXSettings {
public:
    // Removes an existing record of the key, then appends it lower-cased.
    void SetValue(std::string_view key, std::string value);
    void SetInt(std::string_view key, std::int32_t value);
    // Stores the decimal text of (value AND 255); booleans give "1" and "0".
    void SetByte(std::string_view key, int value);
    void Delete(std::string_view key);
    void Clear();

    // The value, or the empty text when the key is absent.
    std::string GetValue(std::string_view key) const;
    bool Has(std::string_view key) const;
    // The value as a decimal integer; `def` when absent or not an integer.
    std::int32_t GetInt(std::string_view key, std::int32_t def) const;
    // As GetInt, as a byte, with the default taken modulo 256.
    std::uint8_t GetByte(std::string_view key, int def) const;

    std::string SaveToString() const;
    // Applies every pair of a serial form on top of what is held (a repeated
    // key replaces its record and moves to the end). Returns false when the
    // data ends inside a pair: the complete pairs before it are applied, the
    // broken one is dropped.
    bool LoadFromString(std::string_view serial);

    std::string SaveToCompressed() const;
    // False, with nothing changed, for empty input or data that does not
    // inflate (corrupt, truncated, or larger than the inflate cap); otherwise
    // as LoadFromString on the inflated bytes.
    bool LoadFromCompressed(std::string_view compressed);

    std::size_t Count() const { return list_.Count(); }
    const std::list<KeyValueList::Pair>& Pairs() const { return list_.Pairs(); }

private:
    KeyValueList list_;
};

}  // namespace pk
