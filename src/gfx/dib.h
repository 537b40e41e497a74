// Device-independent bitmaps: our pixel type and the BMP file codec that
// theme libraries store their images in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pk {

// Pixels as 0xAARRGGBB, rows from the top. For images read from 32-bit files
// the top byte is the file's fourth byte (alpha maps keep their opacity in the
// blue byte, so it is often zero); every other depth reads as 0xFF.
struct DibBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;  // depth the image was stored with; 1 is a monochrome mask
    std::vector<uint32_t> pixels;

    DibBitmap() = default;
    DibBitmap(int w, int h, uint32_t fill = 0xFF000000, int bpp = 24)
        : width(w), height(h), bitsPerPixel(bpp), pixels(static_cast<size_t>(w) * h, fill) {}

    bool empty() const { return width <= 0 || height <= 0; }
    bool monochrome() const { return bitsPerPixel == 1; }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    void fillRect(int x, int y, int w, int h, uint32_t colour);
    bool operator==(const DibBitmap&) const = default;
};

// Decodes a BMP file (file header, info header, palette, rows). Uncompressed
// 1, 4, 8, 16, 24 and 32 bits per pixel, 16 and 32 also with bit-field masks,
// bottom-up or top-down; 4 and 8 bits also run-length compressed (bottom-up). nullopt for anything
// else or for any size that the bytes do not hold.
std::optional<DibBitmap> DecodeBmp(std::string_view bmp);

// Encodes as a BMP file at the given depth (1, 8, 16, 24 or 32), bottom-up,
// rows padded to 4 bytes. 16 bits is 5:5:5. Depths 1 and 8 use a palette of
// the colours present; nullopt when there are more than fit.
std::optional<std::string> EncodeBmp(const DibBitmap& image, int bitsPerPixel);
// Encodes at the depth the image carries, falling back to 24 bits when its
// colours do not fit a palette of that depth.
std::string EncodeBmp(const DibBitmap& image);

// A bitmap as a library entry holds it: the BMP bytes as read, decoded on
// first use. An image nobody changed keeps its original bytes; once edit() was
// called, bytes() encodes the pixels at the image's depth.
class StoredBitmap {
public:
    StoredBitmap() = default;
    explicit StoredBitmap(std::string bmp) : bytes_(std::move(bmp)) {}
    explicit StoredBitmap(DibBitmap image);

    bool empty() const { return bytes_.empty() && !decoded_; }
    bool changed() const { return changed_; }
    // The pixels; nullptr when the bytes are not a bitmap we read.
    const DibBitmap* image() const;
    // The pixels for changing them (an empty bitmap when they did not decode).
    DibBitmap& edit();
    const std::string& bytes() const;

private:
    mutable std::string bytes_;
    mutable std::optional<DibBitmap> decoded_;
    mutable bool tried_ = false;
    bool changed_ = false;
};

}  // namespace pk
