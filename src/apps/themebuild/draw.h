// The pictures of the default theme, drawn by code: block tiles, field backgrounds, buttons,
// panels, lettering and the icon sheet. A picture's pixels that nothing covered are its
// transparent part and give it a monochrome mask.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "gfx/dib.h"

namespace pk::themebuild {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
Rgb Mix(Rgb a, Rgb b, int towardB256);
Rgb Lighter(Rgb c, int amount256);
Rgb Darker(Rgb c, int amount256);
// 0x00BBGGRR, the colour value of theme records.
int32_t WindowsColour(Rgb c);

// An image being drawn, with the pixels covered so far.
class Canvas {
public:
    Canvas(int width, int height);
    int width() const { return image_.width; }
    int height() const { return image_.height; }

    void Put(int x, int y, Rgb c);
    void Fill(int x, int y, int w, int h, Rgb c);
    void VGradient(int x, int y, int w, int h, Rgb top, Rgb bottom);
    // A rectangle with corners cut round by `radius`, a vertical gradient inside and a one
    // pixel border.
    void RoundBox(int x, int y, int w, int h, int radius, Rgb top, Rgb bottom, Rgb border);
    // Text in the pixel font with its top-left corner at (x, y).
    void Text(int x, int y, std::string_view text, int scale, Rgb c);
    // Text placed in a box: align 'l', 'c' or 'r', centred vertically; with a shadow one
    // scale step down and right when `shadow` is given.
    void TextIn(int x, int y, int w, int h, std::string_view text, int scale, Rgb c, char align,
                std::optional<Rgb> shadow);

    // The picture at the depth that holds its colours; uncovered pixels are black.
    DibBitmap Image() const;
    // The monochrome mask (black where covered, white elsewhere), or nullopt when every pixel
    // is covered.
    std::optional<DibBitmap> Mask() const;

private:
    DibBitmap image_;
    std::vector<uint8_t> covered_;
};

// Block tile: a bevelled square; a special block also carries its letter.
void DrawBlockTile(Canvas& c, int x, int y, int size, Rgb base, char letter);
// Field background of w by h cells of `size` pixels with a faint guide down each column.
void DrawFieldBackground(Canvas& c, int x, int y, int cellsW, int cellsH, int size, Rgb fill,
                         Rgb grid);

}  // namespace pk::themebuild
