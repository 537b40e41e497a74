#include "gfx/dib.h"

#include <algorithm>
#include <map>

#include "core/bytestream.h"
#include "core/zrconst.h"

namespace pk {

namespace {

// File header (14 bytes): "BM", file size u32, two reserved u16, pixel offset u32.
// Info header (40 bytes, or 12 for the old core form, or 52..124 for the later
// forms that add colour masks and colour-space fields we ignore):
//   size u32, width i32, height i32 (negative = top-down), planes u16,
//   bit count u16, compression u32 (0 plain, 3 bit fields), image size u32,
//   x/y resolution i32, colours used u32, colours important u32.
constexpr uint32_t kPlain = 0;
constexpr uint32_t kBitFields = 3;
constexpr int64_t kMaxSide = 1 << 20;

struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

Channel MakeChannel(uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0)
        return c;
    while (((mask >> c.shift) & 1) == 0) ++c.shift;
    while (c.shift + c.bits < 32 && ((mask >> (c.shift + c.bits)) & 1)) ++c.bits;
    return c;
}

uint32_t Extract(uint32_t v, const Channel& c) {
    if (c.bits == 0)
        return 0;
    uint32_t x = (v & c.mask) >> c.shift;
    if (c.bits >= 8)
        return x >> (c.bits - 8);
    // Widen by repeating the top bits so full scale maps to 255.
    uint32_t out = 0;
    int have = 0;
    while (have < 8) {
        out = (out << c.bits) | x;
        have += c.bits;
    }
    return out >> (have - 8);
}

}  // namespace

void DibBitmap::fillRect(int x, int y, int w, int h, uint32_t colour) {
    int x0 = std::max(0, x), y0 = std::max(0, y);
    int x1 = std::min(width, x + w), y1 = std::min(height, y + h);
    for (int yy = y0; yy < y1; ++yy)
        for (int xx = x0; xx < x1; ++xx) at(xx, yy) = colour;
}

std::optional<DibBitmap> DecodeBmp(std::string_view bmp) {
    ByteReader r(bmp);
    if (r.bytes(2) != "BM")
        return std::nullopt;
    r.u32();  // file size: often wrong in the wild, the real size bounds us
    r.u32();
    uint32_t pixelOffset = r.u32();
    size_t headerPos = r.pos();
    uint32_t headerSize = r.u32();
    int64_t width = 0, height = 0;
    int bpp = 0;
    uint32_t compression = kPlain, coloursUsed = 0;
    int paletteEntrySize = 4;
    if (headerSize == 12) {
        width = r.u16();
        height = static_cast<int16_t>(r.u16());
        r.u16();
        bpp = r.u16();
        paletteEntrySize = 3;
    } else if (headerSize >= 40 && headerSize <= 124) {
        width = r.i32();
        height = r.i32();
        r.u16();
        bpp = r.u16();
        compression = r.u32();
        r.skip(12);
        coloursUsed = r.u32();
        r.u32();
    } else {
        return std::nullopt;
    }
    if (!r.ok())
        return std::nullopt;
    bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return std::nullopt;
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > MaxBitmapPixels)
        return std::nullopt;

    Channel red, green, blue, alpha;
    bool useMasks = false;
    if (compression == kBitFields) {
        if (bpp != 16 && bpp != 32)
            return std::nullopt;
        r.seek(headerPos + 40);  // masks follow the 40-byte header, inside or after it
        red = MakeChannel(r.u32());
        green = MakeChannel(r.u32());
        blue = MakeChannel(r.u32());
        if (headerSize >= 56)
            alpha = MakeChannel(r.u32());
        useMasks = true;
    } else if (compression != kPlain) {
        return std::nullopt;
    }
    if (bpp == 16 && !useMasks) {
        red = MakeChannel(0x7C00);
        green = MakeChannel(0x03E0);
        blue = MakeChannel(0x001F);
        useMasks = true;
    }

    std::vector<uint32_t> palette;
    if (bpp == 1 || bpp == 4 || bpp == 8) {
        size_t maxColours = size_t{1} << bpp;
        size_t count = coloursUsed == 0 ? maxColours : std::min<size_t>(coloursUsed, maxColours);
        size_t palettePos = headerPos + headerSize + (compression == kBitFields ? 12 : 0);
        r.seek(palettePos);
        for (size_t i = 0; i < count && r.ok(); ++i) {
            std::string_view e = r.bytes(paletteEntrySize);
            if (e.size() != static_cast<size_t>(paletteEntrySize))
                break;
            palette.push_back(0xFF000000u | static_cast<uint8_t>(e[2]) << 16 |
                              static_cast<uint8_t>(e[1]) << 8 | static_cast<uint8_t>(e[0]));
        }
        if (!r.ok())
            return std::nullopt;
        palette.resize(maxColours, 0xFF000000u);
    } else if (bpp != 16 && bpp != 24 && bpp != 32) {
        return std::nullopt;
    }

    const size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    if (pixelOffset > bmp.size() || stride * height > bmp.size() - pixelOffset)
        return std::nullopt;

    DibBitmap img;
    img.width = static_cast<int>(width);
    img.height = static_cast<int>(height);
    img.bitsPerPixel = bpp;
    img.pixels.resize(static_cast<size_t>(width) * height);
    for (int64_t row = 0; row < height; ++row) {
        const auto* p = reinterpret_cast<const uint8_t*>(bmp.data()) + pixelOffset + stride * row;
        int y = static_cast<int>(topDown ? row : height - 1 - row);
        uint32_t* out = &img.pixels[static_cast<size_t>(y) * width];
        for (int64_t x = 0; x < width; ++x) {
            uint32_t v = 0;
            switch (bpp) {
                case 1:
                    v = palette[(p[x >> 3] >> (7 - (x & 7))) & 1];
                    break;
                case 4:
                    v = palette[(p[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
                    break;
                case 8:
                    v = palette[p[x]];
                    break;
                case 16: {
                    uint32_t raw = p[2 * x] | p[2 * x + 1] << 8;
                    uint32_t a = alpha.bits ? Extract(raw, alpha) : 0xFF;
                    v = a << 24 | Extract(raw, red) << 16 | Extract(raw, green) << 8 |
                        Extract(raw, blue);
                    break;
                }
                case 24:
                    v = 0xFF000000u | p[3 * x + 2] << 16 | p[3 * x + 1] << 8 | p[3 * x];
                    break;
                case 32: {
                    uint32_t raw = p[4 * x] | p[4 * x + 1] << 8 | p[4 * x + 2] << 16 |
                                   static_cast<uint32_t>(p[4 * x + 3]) << 24;
                    if (useMasks) {
                        uint32_t a = alpha.bits ? Extract(raw, alpha) : (raw >> 24);
                        v = a << 24 | Extract(raw, red) << 16 | Extract(raw, green) << 8 |
                            Extract(raw, blue);
                    } else {
                        v = raw;
                    }
                    break;
                }
            }
            out[x] = v;
        }
    }
    return img;
}

std::optional<std::string> EncodeBmp(const DibBitmap& image, int bpp) {
    if (image.empty() || image.pixels.size() != static_cast<size_t>(image.width) * image.height)
        return std::nullopt;
    if (bpp != 1 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return std::nullopt;

    std::vector<uint32_t> palette;
    std::map<uint32_t, uint8_t> index;
    if (bpp <= 8) {
        size_t maxColours = size_t{1} << bpp;
        for (uint32_t px : image.pixels) {
            uint32_t rgb = px & 0xFFFFFF;
            if (index.count(rgb))
                continue;
            if (index.size() == maxColours)
                return std::nullopt;
            index.emplace(rgb, 0);
        }
        // A monochrome mask keeps black first so bit 0 is black, as masks expect.
        if (bpp == 1 && index.size() < 2) {
            index.emplace(0x000000, 0);
            if (index.size() < 2)
                index.emplace(0xFFFFFF, 0);
        }
        uint8_t i = 0;
        for (auto& [rgb, idx] : index) {
            idx = i++;
            palette.push_back(rgb);
        }
    }

    const size_t stride = ((static_cast<size_t>(image.width) * bpp + 31) / 32) * 4;
    const uint32_t paletteBytes = static_cast<uint32_t>(palette.size() * 4);
    const uint32_t pixelOffset = 14 + 40 + paletteBytes;
    const size_t imageBytes = stride * image.height;
    ByteWriter w;
    w.bytes("BM");
    w.u32(static_cast<uint32_t>(pixelOffset + imageBytes));
    w.u32(0);
    w.u32(pixelOffset);
    w.u32(40);
    w.i32(image.width);
    w.i32(image.height);
    w.u16(1);
    w.u16(static_cast<uint16_t>(bpp));
    w.u32(kPlain);
    w.u32(static_cast<uint32_t>(imageBytes));
    w.i32(0);
    w.i32(0);
    w.u32(static_cast<uint32_t>(palette.size()));
    w.u32(0);
    for (uint32_t rgb : palette) w.u32(rgb);
    std::string row(stride, '\0');
    for (int y = image.height - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), '\0');
        auto* p = reinterpret_cast<uint8_t*>(row.data());
        for (int x = 0; x < image.width; ++x) {
            uint32_t v = image.at(x, y);
            uint8_t rr = v >> 16 & 0xFF, gg = v >> 8 & 0xFF, bb = v & 0xFF;
            switch (bpp) {
                case 1:
                    p[x >> 3] |= index[v & 0xFFFFFF] << (7 - (x & 7));
                    break;
                case 8:
                    p[x] = index[v & 0xFFFFFF];
                    break;
                case 16: {
                    uint16_t c = static_cast<uint16_t>((rr >> 3) << 10 | (gg >> 3) << 5 | bb >> 3);
                    p[2 * x] = c & 0xFF;
                    p[2 * x + 1] = c >> 8;
                    break;
                }
                case 24:
                    p[3 * x] = bb;
                    p[3 * x + 1] = gg;
                    p[3 * x + 2] = rr;
                    break;
                case 32:
                    p[4 * x] = bb;
                    p[4 * x + 1] = gg;
                    p[4 * x + 2] = rr;
                    p[4 * x + 3] = v >> 24;
                    break;
            }
        }
        w.bytes(row);
    }
    return std::move(w.out());
}

std::string EncodeBmp(const DibBitmap& image) {
    int bpp = image.bitsPerPixel;
    if (bpp == 4)
        bpp = 8;
    if (auto out = EncodeBmp(image, bpp))
        return *out;
    return EncodeBmp(image, 24).value_or(std::string());
}

StoredBitmap::StoredBitmap(DibBitmap image)
    : decoded_(std::move(image)), tried_(true), changed_(true) {}

const DibBitmap* StoredBitmap::image() const {
    if (!tried_) {
        tried_ = true;
        decoded_ = DecodeBmp(bytes_);
    }
    return decoded_ ? &*decoded_ : nullptr;
}

DibBitmap& StoredBitmap::edit() {
    if (!image())
        decoded_.emplace();
    changed_ = true;
    return *decoded_;
}

const std::string& StoredBitmap::bytes() const {
    // Re-encoded on every call once changed: the caller may still hold the
    // reference edit() gave and change more pixels through it.
    if (changed_)
        bytes_ = decoded_ && !decoded_->empty() ? EncodeBmp(*decoded_) : std::string();
    return bytes_;
}

}  // namespace pk
