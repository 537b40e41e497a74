// Feeds arbitrary bytes to the game-set readers: serial, compressed and the
// older coded form. Every loaded set must hold only normalised values, so
// saving and loading it again changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/zrgameset.h"

namespace {

void CheckStable(const pk::TGameSet& g) {
    if (g.Count() < 65) {
        std::abort();
    }
    // Sets that hold the same pairs in the same order save the same bytes.
    pk::TGameSet back;
    if (!back.LoadFromString(g.SaveToString()) || !(back == g)) {
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
