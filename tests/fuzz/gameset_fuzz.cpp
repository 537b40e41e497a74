// Feeds arbitrary bytes to the game-set readers: serial, compressed and the
// older coded form. Every loaded set must hold only normalised values, so
// saving and loading it again changes nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/zrgameset.h"

namespace {

bool SamePairs(const pk::TGameSet& a, const pk::TGameSet& b) {
    return std::equal(a.Pairs().begin(), a.Pairs().end(), b.Pairs().begin(), b.Pairs().end(),
                      [](const auto& x, const auto& y) { return x.key == y.key && x.value == y.value; });
}

// The serial form holds exactly the pairs in order, so the set loaded back
// saves the same bytes when it holds the same pairs; comparing the pairs
// spares saving it again.
void CheckStable(const pk::TGameSet& g) {
    if (g.Count() < 65) {
        std::abort();
    }
    pk::TGameSet back;
    if (!back.LoadFromString(g.SaveToString()) || !SamePairs(back, g)) {
        std::abort();
    }
}

}  // namespace

// The first byte picks the reader, the rest is its input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    pk::TGameSet g;
    switch (data[0] % 3) {
        case 0:
            g.LoadFromString(bytes);
            break;
        case 1:
            g.LoadFromCoded(bytes);
            break;
        default:
            g.LoadFromCompressed(bytes);
            break;
    }
    CheckStable(g);
    return 0;
}
