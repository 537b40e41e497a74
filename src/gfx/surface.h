// The pixel buffers every painter draws on: 16-bit 5:5:5 surfaces, laid out as a Windows DIB
// section holds them, and the masks that go with theme images.
//
// Surface16 layout: bits 10..14 red, 5..9 green, 0..4 blue, bit 15 zero; rows bottom-up (the
// last row of the picture first), each row padded to a multiple of 4 bytes, so a row holds
// width + width % 2 pixels. Coordinates in every call are top-down: (0, 0) is the top-left
// pixel. Every drawing call clips against the surface's clip rectangle, which is the whole
// surface unless a ClipGuard narrows it.
//
// Mask: one byte per pixel, rows top-down. One rule everywhere: a mask made from a 1-bit
// picture (`mono`) is a transparency mask, 0 where the image is opaque (black) and 255 where it
// is transparent (white); a mask of any other depth is an alpha map holding the opacity 0..255
// (the blue byte of its pixel).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pk {

using Pixel16 = uint16_t;

// 5-bit channels to a pixel.
constexpr Pixel16 Rgb555(int r, int g, int b) {
    return static_cast<Pixel16>(((r & 31) << 10) | ((g & 31) << 5) | (b & 31));
}
constexpr int Red555(Pixel16 p) {
    return (p >> 10) & 31;
}
constexpr int Green555(Pixel16 p) {
    return (p >> 5) & 31;
}
constexpr int Blue555(Pixel16 p) {
    return p & 31;
}

// A colour as 0x00BBGGRR (the form colours are given in: text, frames, team colours).
constexpr Pixel16 ColorRefTo555(uint32_t colorref) {
    return Rgb555((colorref & 0xFF) >> 3, ((colorref >> 8) & 0xFF) >> 3,
                  ((colorref >> 16) & 0xFF) >> 3);
}
// A colour as 0xAARRGGBB (DibBitmap's pixels); alpha is dropped.
constexpr Pixel16 ArgbTo555(uint32_t argb) {
    return Rgb555(((argb >> 16) & 0xFF) >> 3, ((argb >> 8) & 0xFF) >> 3, (argb & 0xFF) >> 3);
}
// Back to 0xFFRRGGBB, each channel widened to the full 0..255 range.
constexpr uint32_t Argb(Pixel16 p) {
    auto widen = [](int c) { return static_cast<uint32_t>((c << 3) | (c >> 2)); };
    return 0xFF000000u | (widen(Red555(p)) << 16) | (widen(Green555(p)) << 8) | widen(Blue555(p));
}

inline constexpr Pixel16 kBlack555 = 0x0000;
inline constexpr Pixel16 kWhite555 = 0x7FFF;

// left, top, width, height; empty when width or height is 0 or less.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int64_t right() const { return int64_t{left} + width; }
    int64_t bottom() const { return int64_t{top} + height; }
    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const PixelRect&) const = default;
};

// The common part of two rectangles (empty when they do not meet). Sums that would overflow
// are done in 64 bits.
PixelRect Intersect(const PixelRect& a, const PixelRect& b);
// The smallest rectangle holding both; an empty one adds nothing.
PixelRect Unite(const PixelRect& a, const PixelRect& b);

class Surface16 {
public:
    Surface16() = default;
    // Sizes of 0 or less give an empty surface; sizes above kMaxSide are cut to it.
    Surface16(int width, int height, Pixel16 fill = kBlack555);

    // Large enough for any field, skin or screen; bounds what a theme or a caller can ask.
    static constexpr int kMaxSide = 16384;

    int width() const { return width_; }
    int height() const { return height_; }
    // Pixels per stored row (width rounded up to even: 4-byte rows).
    int stride() const { return stride_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    PixelRect bounds() const { return {0, 0, width_, height_}; }

    // Row y from the top; unchecked.
    Pixel16* row(int y) { return &pixels_[RowIndex(y)]; }
    const Pixel16* row(int y) const { return &pixels_[RowIndex(y)]; }
    Pixel16 pixel(int x, int y) const { return row(y)[x]; }
    void setPixel(int x, int y, Pixel16 p) { row(y)[x] = p; }
    // The rows as stored: bottom-up, `stride` pixels each.
    const std::vector<Pixel16>& data() const { return pixels_; }

    // Where drawing may change pixels; always inside the bounds.
    const PixelRect& clip() const { return clip_; }
    void setClip(const PixelRect& r) { clip_ = Intersect(r, bounds()); }
    void resetClip() { clip_ = bounds(); }

    bool operator==(const Surface16& o) const {
        return width_ == o.width_ && height_ == o.height_ && pixels_ == o.pixels_;
    }

private:
    std::size_t RowIndex(int y) const {
        return static_cast<std::size_t>(height_ - 1 - y) * stride_;
    }

    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::vector<Pixel16> pixels_;
    PixelRect clip_;
};

// Narrows a surface's clip rectangle for a scope and restores it at the end.
class ClipGuard {
public:
    ClipGuard(Surface16& surface, const PixelRect& r) : surface_(surface), saved_(surface.clip()) {
        surface.setClip(Intersect(r, saved_));
    }
    ~ClipGuard() { surface_.setClip(saved_); }
    ClipGuard(const ClipGuard&) = delete;
    ClipGuard& operator=(const ClipGuard&) = delete;

private:
    Surface16& surface_;
    PixelRect saved_;
};

class Mask {
public:
    Mask() = default;
    Mask(int width, int height, bool mono, uint8_t fill = 0);

    int width() const { return width_; }
    int height() const { return height_; }
    bool mono() const { return mono_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    PixelRect bounds() const { return {0, 0, width_, height_}; }
    uint8_t* row(int y) { return &values_[static_cast<std::size_t>(y) * width_]; }
    const uint8_t* row(int y) const { return &values_[static_cast<std::size_t>(y) * width_]; }
    uint8_t value(int x, int y) const { return row(y)[x]; }
    void setValue(int x, int y, uint8_t v) { row(y)[x] = v; }

    bool operator==(const Mask&) const = default;

private:
    int width_ = 0;
    int height_ = 0;
    bool mono_ = false;
    std::vector<uint8_t> values_;
};

}  // namespace pk
