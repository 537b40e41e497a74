#pragma once
// Chat and in-game lines carry their colours and fonts inline: the byte 0x05
// followed by two digits starts a style, the byte alone ends the style started
// last. Every line we build spells the byte through here.
#include <string>
#include <string_view>

namespace pk {

inline constexpr char kStyleByte = '\x05';

// Ends the style started last.
inline const std::string kStyleEnd(1, kStyleByte);

// Starts the style with the two-digit code, "01" to "99".
inline std::string StyleCode(std::string_view digits) {
    return kStyleEnd + std::string(digits);
}

// The same byte for tables of string literals, where a function cannot go:
// PK_STYLE "01" starts style 01. The digits stay a separate literal so that
// they are not read as part of the hexadecimal escape.
#define PK_STYLE "\x05"

}  // namespace pk
