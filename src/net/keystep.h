#pragma once
// The scrambler's key step: state = (state as signed) / (plain byte + 1) * mul + add, the
// division truncating toward zero. A hardware division per byte held the receive path to a few
// tens of MB/s, so the quotient comes from a multiply by a table reciprocal instead, exact for
// every 32-bit state and every divisor 1 to 256.
//
// Why it is exact: with a = |state| <= 2^31, divisor d <= 256 and M = ceil(2^63 / d), that is
// M * d = 2^63 + e with 0 <= e < d, the product a * M / 2^63 = a / d + a * e / (d * 2^63). The
// excess stays below 1 / d because a * e < 2^31 * 2^8 < 2^63, and a / d lies at least 1 / d
// below the next integer, so floor(a * M / 2^63) = floor(a / d). The high 64 bits of
// (2 * a) * M are that floor.
#include <array>
#include <cstdint>

namespace pk {

namespace keystep {

// Reciprocals by plain byte: entry p serves the divisor p + 1.
inline constexpr std::array<std::uint64_t, 256> kReciprocals = [] {
    std::array<std::uint64_t, 256> table{};
    constexpr std::uint64_t two63 = std::uint64_t{1} << 63;
    for (std::uint64_t d = 1; d <= 256; ++d) {
        table[d - 1] = two63 / d + (two63 % d != 0 ? 1 : 0);
    }
    return table;
}();

// The high half of a 64 x 64-bit product.
inline std::uint64_t MulHigh(std::uint64_t a, std::uint64_t b) {
    __extension__ using U128 = unsigned __int128;
    return static_cast<std::uint64_t>((static_cast<U128>(a) * b) >> 64);
}

}  // namespace keystep

// `state` (as signed) divided by `plain` + 1, truncating toward zero.
inline std::int32_t KeyStepQuotient(std::uint32_t state, std::uint8_t plain) {
    const std::uint32_t sign = 0u - (state >> 31);  // all ones when negative
    const std::uint32_t magnitude = (state ^ sign) - sign;
    const auto quotient = static_cast<std::uint32_t>(
        keystep::MulHigh(std::uint64_t{magnitude} * 2, keystep::kReciprocals[plain]));
    return static_cast<std::int32_t>((quotient ^ sign) - sign);
}

// The state after `plain`. The sign is folded into the multiplier, which depends on the old
// state only, so that it stays off the chain from one byte to the next.
inline std::uint32_t StepKey(std::uint32_t state, std::uint8_t plain, std::uint32_t mul,
                             std::uint32_t add) {
    const std::uint32_t sign = 0u - (state >> 31);
    const std::uint32_t magnitude = (state ^ sign) - sign;
    const std::uint32_t signedMul = (mul ^ sign) - sign;
    const auto quotient = static_cast<std::uint32_t>(
        keystep::MulHigh(std::uint64_t{magnitude} * 2, keystep::kReciprocals[plain]));
    return quotient * signedMul + add;
}

}  // namespace pk
