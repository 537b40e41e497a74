#pragma once
// Colours as themes and skins keep them: 0x00BBGGRR, red in the low byte (a TColor). The
// arithmetic the windows' palettes and readable texts are made with, free of any widget, so
// that one rule serves every window and is tested without a display: the WCAG 2 relative
// luminance and contrast ratio, mixing two colours, and moving a text colour toward black or
// white until it reads on its ground.
#include <cstdint>

namespace pk {

constexpr int ColourRed(int32_t colour) {
    return static_cast<int>(static_cast<uint32_t>(colour) & 0xFF);
}
constexpr int ColourGreen(int32_t colour) {
    return static_cast<int>((static_cast<uint32_t>(colour) >> 8) & 0xFF);
}
constexpr int ColourBlue(int32_t colour) {
    return static_cast<int>((static_cast<uint32_t>(colour) >> 16) & 0xFF);
}
constexpr int32_t RgbColour(int red, int green, int blue) {
    return static_cast<int32_t>((static_cast<uint32_t>(blue & 0xFF) << 16) |
                                (static_cast<uint32_t>(green & 0xFF) << 8) |
                                static_cast<uint32_t>(red & 0xFF));
}

// sRGB channels made linear and weighted by the eye's response: 0 (black) to 1 (white).
double ColourLuminance(int32_t colour);
// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
double ColourContrast(int32_t a, int32_t b);
// `percent` (0 to 100) of the way from `from` to `to`, channel by channel.
int32_t MixColours(int32_t from, int32_t to, int percent);
// Black or white, whichever stands out more from the ground.
int32_t ContrastingColour(int32_t ground);
// A text colour that reads on its ground: `ink` itself when it stands out by MinTextContrast
// (zrconst.h), else moved toward black on a light ground (white on a dark one) just far enough.
int32_t ReadableColour(int32_t ink, int32_t ground);

}  // namespace pk
