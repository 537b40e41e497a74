// The random generator shared with the game server: a 32-bit linear congruential state.
// Each draw steps state := state * 134775813 + 1 (mod 2^32) and yields (state * n) >> 32 as
// unsigned 64-bit arithmetic. Special placement and inventory order depend on it, so the
// engine loads a generator from a seed for each use and never shares it with other users of
// random numbers (colours of a lost field, confusion keys...), which use their own instance.
#pragma once

#include <cstdint>

namespace pk {

class TRandomGen {
public:
    TRandomGen() = default;
    explicit TRandomGen(uint32_t state) : state_(state) {}

    // From a signed seed as the game records keep it.
    static TRandomGen FromSeed(int32_t seed) { return TRandomGen(static_cast<uint32_t>(seed)); }
    // Seeded from the time of day in milliseconds, for draws that nobody needs to repeat.
    static TRandomGen FromTimeOfDay();

    uint32_t state() const { return state_; }
    int32_t seed() const { return static_cast<int32_t>(state_); }

    // A value in 0..n-1 (0 for n <= 0, still stepping the state).
    int draw(int n) {
        state_ = state_ * 134775813u + 1u;
        if (n <= 0)
            return 0;
        return static_cast<int>((static_cast<uint64_t>(state_) * static_cast<uint32_t>(n)) >> 32);
    }

private:
    uint32_t state_ = 0;
};

}  // namespace pk
