// The pixel font the default theme's pictures are lettered with: 5 x 7 dots a glyph, one dot
// of space between glyphs, drawn at a whole scale. Our own, so the library's bytes depend on
// nothing installed on the build machine.
#pragma once

#include <string_view>

namespace pk::themebuild {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;

// Whether the dot (x, y) of the glyph of c is set; small letters draw as capitals.
bool PixelFontDot(char c, int x, int y);
// Whether the font draws c (the blank counts).
bool PixelFontHas(char c);
// Width in pixels of a line of text at a scale.
int PixelTextWidth(std::string_view text, int scale);

}  // namespace pk::themebuild
