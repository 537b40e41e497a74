// The option pages' rules apart from their widgets: how a number box's text becomes the
// option's value.
#pragma once

#include <cstdint>
#include <string_view>

namespace pk {

// The decimal number the text holds (blanks around it allowed), else `notANumber`.
int32_t OptionNumber(std::string_view text, int32_t notANumber);

// What a box without a number gives.
inline constexpr int32_t NoNumberConcurrentPings = 3;
inline constexpr int32_t NoNumberPingTries = 1;
inline constexpr int32_t NoNumberIdle = 0;

}  // namespace pk
