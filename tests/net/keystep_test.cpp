// The key step's quotient must equal plain signed division, truncating toward zero, for every
// 32-bit state and every divisor 1 to 256: the edge states for each divisor, then random ones.
#include "net/keystep.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "core/zrconst.h"

namespace pk {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// What the step computed before: a hardware signed division.
std::int32_t PlainQuotient(std::int32_t state, int divisor) {
    return state / divisor;
}

std::uint32_t PlainStep(std::uint32_t state, std::uint8_t plain, std::uint32_t mul,
                        std::uint32_t add) {
    return static_cast<std::uint32_t>(PlainQuotient(static_cast<std::int32_t>(state), plain + 1)) *
               mul +
           add;
}

// The states where a division goes wrong first: the ends of the range, around zero, and the
// multiples of the divisor with their neighbours, near zero and near both ends.
std::vector<std::int32_t> EdgeStates(int divisor) {
    std::vector<std::int32_t> states = {kMin, kMin + 1, kMin + 2, kMax, kMax - 1, kMax - 2,
                                        -2,   -1,       0,        1,    2};
    const auto around = [&](std::int64_t center) {
        for (std::int64_t delta = -1; delta <= 1; ++delta) {
            const std::int64_t v = center + delta;
            if (v >= kMin && v <= kMax) {
                states.push_back(static_cast<std::int32_t>(v));
            }
        }
    };
    for (std::int64_t k = 0; k <= 300; ++k) {
        around(k * divisor);
        around(-k * divisor);
        around(std::int64_t{kMax} / divisor * divisor - k * divisor);
        around(std::int64_t{kMin} / divisor * divisor + k * divisor);
    }
    return states;
}

TEST(KeyStep, QuotientEqualsSignedDivisionAtTheEdgesForEveryDivisor) {
    for (int divisor = 1; divisor <= 256; ++divisor) {
        const auto plain = static_cast<std::uint8_t>(divisor - 1);
        for (const std::int32_t state : EdgeStates(divisor)) {
            ASSERT_EQ(KeyStepQuotient(static_cast<std::uint32_t>(state), plain),
                      PlainQuotient(state, divisor))
                << state << " / " << divisor;
        }
    }
}

TEST(KeyStep, QuotientEqualsSignedDivisionForRandomStates) {
    // Fewer under the sanitizers, whose checks make every call many times slower.
    const std::uint32_t count = kSanitized ? (1u << 19) : (1u << 22);
    std::mt19937 random(20240611u);
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto state = static_cast<std::int32_t>(random());
        const int divisor = static_cast<int>(i % 256) + 1;
        const auto plain = static_cast<std::uint8_t>(divisor - 1);
        if (KeyStepQuotient(static_cast<std::uint32_t>(state), plain) !=
            PlainQuotient(state, divisor)) {
            FAIL() << state << " / " << divisor;
        }
    }
}

TEST(KeyStep, StepEqualsTheDivisionStepForBothKeyPairs) {
    std::mt19937 random(7u);
    const std::uint32_t pairs[][2] = {{ScrambleMulA, ScrambleAddA},
                                      {ScrambleMulB, ScrambleAddB},
                                      {214013u, 2531011u},
                                      {0xFFFFFFFFu, 0u}};
    for (const auto& [mul, add] : pairs) {
        for (int i = 0; i < 100000; ++i) {
            const std::uint32_t state = i < 4 ? std::uint32_t{0x80000000u} + i : random();
            const auto plain = static_cast<std::uint8_t>(random());
            ASSERT_EQ(StepKey(state, plain, mul, add), PlainStep(state, plain, mul, add))
                << state << " " << int{plain};
        }
    }
}

}  // namespace
}  // namespace pk
