#include "apps/themebuild/draw.h"

#include <algorithm>
#include <set>

#include "apps/themebuild/pixelfont.h"

namespace pk::themebuild {

namespace {

int Clamp8(int v) {
    return std::clamp(v, 0, 255);
}

uint32_t Argb(Rgb c) {
    return 0xFF000000u | (static_cast<uint32_t>(Clamp8(c.r)) << 16) |
           (static_cast<uint32_t>(Clamp8(c.g)) << 8) | static_cast<uint32_t>(Clamp8(c.b));
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, int t) {
    return {a.r + (b.r - a.r) * t / 256, a.g + (b.g - a.g) * t / 256, a.b + (b.b - a.b) * t / 256};
}
Rgb Lighter(Rgb c, int amount) {
    return Mix(c, {255, 255, 255}, amount);
}
Rgb Darker(Rgb c, int amount) {
    return Mix(c, {0, 0, 0}, amount);
}
int32_t WindowsColour(Rgb c) {
    return static_cast<int32_t>((Clamp8(c.b) << 16) | (Clamp8(c.g) << 8) | Clamp8(c.r));
}

Canvas::Canvas(int width, int height)
    : image_(width, height, 0xFF000000u), covered_(static_cast<size_t>(width) * height, 0) {}

void Canvas::Put(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= image_.width || y >= image_.height)
        return;
    image_.at(x, y) = Argb(c);
    covered_[static_cast<size_t>(y) * image_.width + x] = 1;
}

void Canvas::Fill(int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Put(i, j, c);
}

void Canvas::VGradient(int x, int y, int w, int h, Rgb top, Rgb bottom) {
    for (int j = 0; j < h; ++j) {
        const Rgb c = Mix(top, bottom, h > 1 ? j * 256 / (h - 1) : 0);
        for (int i = 0; i < w; ++i) Put(x + i, y + j, c);
    }
}

void Canvas::RoundBox(int x, int y, int w, int h, int radius, Rgb top, Rgb bottom, Rgb border) {
    // Inside test of a corner: the distance from the corner circle's centre, in whole pixels.
    auto inside = [&](int i, int j, int r) {
        int dx = 0, dy = 0;
        if (i < r)
            dx = r - i;
        else if (i >= w - r)
            dx = i - (w - r - 1);
        if (j < r)
            dy = r - j;
        else if (j >= h - r)
            dy = j - (h - r - 1);
        return dx * dx + dy * dy <= r * r;
    };
    for (int j = 0; j < h; ++j) {
        const Rgb fill = Mix(top, bottom, h > 1 ? j * 256 / (h - 1) : 0);
        for (int i = 0; i < w; ++i) {
            if (!inside(i, j, radius))
                continue;
            const bool edge = i == 0 || j == 0 || i == w - 1 || j == h - 1 ||
                              !inside(i - 1, j, radius) || !inside(i + 1, j, radius) ||
                              !inside(i, j - 1, radius) || !inside(i, j + 1, radius);
            Put(x + i, y + j, edge ? border : fill);
        }
    }
}

void Canvas::Text(int x, int y, std::string_view text, int scale, Rgb c) {
    int pen = x;
    for (char ch : text) {
        for (int gy = 0; gy < kGlyphHeight; ++gy)
            for (int gx = 0; gx < kGlyphWidth; ++gx)
                if (PixelFontDot(ch, gx, gy))
                    Fill(pen + gx * scale, y + gy * scale, scale, scale, c);
        pen += (kGlyphWidth + 1) * scale;
    }
}

void Canvas::TextIn(int x, int y, int w, int h, std::string_view text, int scale, Rgb c, char align,
                    std::optional<Rgb> shadow) {
    const int tw = PixelTextWidth(text, scale);
    const int th = kGlyphHeight * scale;
    int tx = x;
    if (align == 'c')
        tx = x + (w - tw) / 2;
    else if (align == 'r')
        tx = x + w - tw;
    const int ty = y + (h - th) / 2;
    if (shadow)
        Text(tx + std::max(1, scale / 2), ty + std::max(1, scale / 2), text, scale, *shadow);
    Text(tx, ty, text, scale, c);
}

DibBitmap Canvas::Image() const {
    DibBitmap out = image_;
    std::set<uint32_t> colours(out.pixels.begin(), out.pixels.end());
    out.bitsPerPixel = colours.size() <= 256 ? 8 : 24;
    return out;
}

std::optional<DibBitmap> Canvas::Mask() const {
    if (std::all_of(covered_.begin(), covered_.end(), [](uint8_t v) { return v != 0; }))
        return std::nullopt;
    DibBitmap mask(image_.width, image_.height, 0xFF000000u, 1);
    for (size_t i = 0; i < covered_.size(); ++i)
        mask.pixels[i] = covered_[i] ? 0xFF000000u : 0xFFFFFFFFu;
    return mask;
}

void DrawBlockTile(Canvas& c, int x, int y, int size, Rgb base, char letter) {
    const int bevel = std::max(1, size / 8);
    c.VGradient(x, y, size, size, Lighter(base, 40), Darker(base, 30));
    for (int k = 0; k < bevel; ++k) {
        c.Fill(x + k, y + k, size - 2 * k, 1, Lighter(base, 110));            // top
        c.Fill(x + k, y + k, 1, size - 2 * k, Lighter(base, 80));             // left
        c.Fill(x + k, y + size - 1 - k, size - 2 * k, 1, Darker(base, 110));  // bottom
        c.Fill(x + size - 1 - k, y + k, 1, size - 2 * k, Darker(base, 80));   // right
    }
    if (letter == 0)
        return;
    const int scale = size >= 2 * kGlyphHeight + 4 ? 2 : 1;
    if (size < kGlyphHeight + 2)
        return;
    const char text[2] = {letter, 0};
    c.TextIn(x, y, size, size, text, scale, {255, 255, 255}, 'c', Rgb{0, 0, 0});
}

void DrawFieldBackground(Canvas& c, int x, int y, int cellsW, int cellsH, int size, Rgb fill,
                         Rgb grid) {
    c.Fill(x, y, cellsW * size, cellsH * size, fill);
    // Only columns are marked, never rows: the game cuts each cell's background just below the
    // tile strips, the theme page's preview a strip's height higher, and a background alike on
    // every row lines up with the blocks in both.
    for (int i = 0; i < cellsW; ++i) c.Fill(x + i * size, y, 1, cellsH * size, Mix(fill, grid, 80));
}

}  // namespace pk::themebuild
