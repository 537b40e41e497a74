#pragma once
// Key/value records as the master server sends them, built in the test.
#include <string>
#include <utility>
#include <vector>

#include "core/zrxsettings.h"

namespace pk::test {

using Pairs = std::vector<std::pair<std::string, std::string>>;

inline TXSettings Record(const Pairs& pairs) {
    TXSettings record;
    for (const auto& [key, value] : pairs) {
        record.SetValue(key, value);
    }
    return record;
}
// Serial form, and compressed as the server sends it.
inline std::string Serial(const Pairs& pairs) {
    return Record(pairs).SaveToString();
}
inline std::string Packed(const Pairs& pairs) {
    return Record(pairs).SaveToCompressed();
}

}  // namespace pk::test
