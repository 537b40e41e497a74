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
//   bit count u16, compression u32 (0 plain, 1 RLE8, 2 RLE4, 3 bit fields), image size u32,
//   x/y resolution i32, colours used u32, colours important u32.
constexpr uint32_t kPlain = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr int64_t kMaxSide = 1 << 20;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kAlphaMaskHeaderSize = 56;  // the first form with an alpha mask
constexpr uint32_t kLargestInfoHeaderSize = 124;

constexpr bool IsPaletteDepth(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8;
}

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

// What the headers say, checked: sizes within bounds, a depth and
// compression we read.
struct BmpHeader {
    uint32_t pixelOffset = 0;
    size_t infoPos = 0;  // where the info header starts
    uint32_t infoSize = 0;
    int64_t width = 0, height = 0;  // height made positive
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = kPlain;
    uint32_t coloursUsed = 0;
    int paletteEntrySize = 4;  // the old core header stores 3 bytes per colour
};

// How 16- and 32-bit pixels carry their colours.
struct Channels {
    Channel red, green, blue, alpha;
    bool useMasks = false;
};

std::optional<BmpHeader> ReadBmpHeader(ByteReader& r) {
    BmpHeader h;
    if (r.bytes(2) != "BM")
        return std::nullopt;
    r.u32();  // file size: often wrong in the wild, the real size bounds us
    r.u32();
    h.pixelOffset = r.u32();
    h.infoPos = r.pos();
    h.infoSize = r.u32();
    if (h.infoSize == kCoreHeaderSize) {
        h.width = r.u16();
        h.height = static_cast<int16_t>(r.u16());
        r.u16();
        h.bpp = r.u16();
        h.paletteEntrySize = 3;
    } else if (h.infoSize >= kInfoHeaderSize && h.infoSize <= kLargestInfoHeaderSize) {
        h.width = r.i32();
        h.height = r.i32();
        r.u16();
        h.bpp = r.u16();
        h.compression = r.u32();
        r.skip(12);
        h.coloursUsed = r.u32();
        r.u32();
    } else {
        return std::nullopt;
    }
    if (!r.ok())
        return std::nullopt;
    h.topDown = h.height < 0;
    if (h.topDown)
        h.height = -h.height;
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide)
        return std::nullopt;
    if (static_cast<uint64_t>(h.width) * static_cast<uint64_t>(h.height) > MaxBitmapPixels)
        return std::nullopt;
    if (h.compression != kPlain && h.compression != kBitFields && h.compression != kRle8 &&
        h.compression != kRle4)
        return std::nullopt;
    // Run-length rows are always stored bottom-up.
    if ((h.compression == kRle8 && (h.bpp != 8 || h.topDown)) ||
        (h.compression == kRle4 && (h.bpp != 4 || h.topDown)))
        return std::nullopt;
    if (h.compression == kBitFields && h.bpp != 16 && h.bpp != 32)
        return std::nullopt;
    if (!IsPaletteDepth(h.bpp) && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
        return std::nullopt;
    return h;
}

// The colour masks of bit-field images, 5:5:5 for plain 16-bit ones. Masks
// cut off by the end of the bytes read as zero: those channels stay dark.
Channels ReadChannels(ByteReader& r, const BmpHeader& h) {
    Channels c;
    if (h.compression == kBitFields) {
        // The masks follow the 40-byte header, inside or after it.
        r.seek(h.infoPos + kInfoHeaderSize);
        c.red = MakeChannel(r.u32());
        c.green = MakeChannel(r.u32());
        c.blue = MakeChannel(r.u32());
        if (h.infoSize >= kAlphaMaskHeaderSize)
            c.alpha = MakeChannel(r.u32());
        c.useMasks = true;
    } else if (h.bpp == 16) {
        c.red = MakeChannel(0x7C00);
        c.green = MakeChannel(0x03E0);
        c.blue = MakeChannel(0x001F);
        c.useMasks = true;
    }
    return c;
}

// The colour table of 1-, 4- and 8-bit images, filled up with black to the
// full size of the depth so that any index in the rows is valid.
std::optional<std::vector<uint32_t>> ReadPalette(ByteReader& r, const BmpHeader& h) {
    std::vector<uint32_t> palette;
    if (!IsPaletteDepth(h.bpp))
        return palette;
    const size_t maxColours = size_t{1} << h.bpp;
    const size_t count =
        h.coloursUsed == 0 ? maxColours : std::min<size_t>(h.coloursUsed, maxColours);
    r.seek(h.infoPos + h.infoSize + (h.compression == kBitFields ? 12 : 0));
    for (size_t i = 0; i < count && r.ok(); ++i) {
        std::string_view e = r.bytes(h.paletteEntrySize);
        if (e.size() != static_cast<size_t>(h.paletteEntrySize))
            break;
        palette.push_back(0xFF000000u | static_cast<uint8_t>(e[2]) << 16 |
                          static_cast<uint8_t>(e[1]) << 8 | static_cast<uint8_t>(e[0]));
    }
    if (!r.ok())
        return std::nullopt;
    palette.resize(maxColours, 0xFF000000u);
    return palette;
}

uint32_t FromChannels(uint32_t raw, const Channels& c, uint32_t alphaWithoutMask) {
    const uint32_t a = c.alpha.bits ? Extract(raw, c.alpha) : alphaWithoutMask;
    return a << 24 | Extract(raw, c.red) << 16 | Extract(raw, c.green) << 8 | Extract(raw, c.blue);
}

// One row of stored pixels to 0xAARRGGBB.
void DecodeRow(const uint8_t* p, int bpp, const std::vector<uint32_t>& palette,
               const Channels& channels, uint32_t* out, int64_t width) {
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
            case 16:
                v = FromChannels(p[2 * x] | p[2 * x + 1] << 8, channels, 0xFF);
                break;
            case 24:
                v = 0xFF000000u | p[3 * x + 2] << 16 | p[3 * x + 1] << 8 | p[3 * x];
                break;
            case 32: {
                uint32_t raw = p[4 * x] | p[4 * x + 1] << 8 | p[4 * x + 2] << 16 |
                               static_cast<uint32_t>(p[4 * x + 3]) << 24;
                v = channels.useMasks ? FromChannels(raw, channels, raw >> 24) : raw;
                break;
            }
        }
        out[x] = v;
    }
}

size_t RowStride(int64_t width, int bpp) {
    return ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
}

// The colours of a 1- or 8-bit image in ascending order, each with its index;
// nullopt when there are more than the depth holds.
struct Palette {
    std::vector<uint32_t> colours;
    std::map<uint32_t, uint8_t> index;
};

std::optional<Palette> BuildPalette(const DibBitmap& image, int bpp) {
    Palette pal;
    if (!IsPaletteDepth(bpp))
        return pal;
    const size_t maxColours = size_t{1} << bpp;
    for (uint32_t px : image.pixels) {
        uint32_t rgb = px & 0xFFFFFF;
        if (pal.index.count(rgb))
            continue;
        if (pal.index.size() == maxColours)
            return std::nullopt;
        pal.index.emplace(rgb, 0);
    }
    // A monochrome mask keeps black first so bit 0 is black, as masks expect.
    if (bpp == 1 && pal.index.size() < 2) {
        pal.index.emplace(0x000000, 0);
        if (pal.index.size() < 2)
            pal.index.emplace(0xFFFFFF, 0);
    }
    uint8_t i = 0;
    for (auto& [rgb, idx] : pal.index) {
        idx = i++;
        pal.colours.push_back(rgb);
    }
    return pal;
}

// File header, 40-byte info header and colour table of a bottom-up image.
void WriteBmpHeaders(ByteWriter& w, const DibBitmap& image, int bpp, const Palette& pal) {
    const uint32_t paletteBytes = static_cast<uint32_t>(pal.colours.size() * 4);
    const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;
    const size_t imageBytes = RowStride(image.width, bpp) * image.height;
    w.bytes("BM");
    w.u32(static_cast<uint32_t>(pixelOffset + imageBytes));
    w.u32(0);
    w.u32(pixelOffset);
    w.u32(kInfoHeaderSize);
    w.i32(image.width);
    w.i32(image.height);
    w.u16(1);
    w.u16(static_cast<uint16_t>(bpp));
    w.u32(kPlain);
    w.u32(static_cast<uint32_t>(imageBytes));
    w.i32(0);
    w.i32(0);
    w.u32(static_cast<uint32_t>(pal.colours.size()));
    w.u32(0);
    for (uint32_t rgb : pal.colours) w.u32(rgb);
}

// One row of the image in its stored form into `p`, the padded row, zeroed.
void EncodeRow(const DibBitmap& image, int y, int bpp, const Palette& pal, uint8_t* p) {
    for (int x = 0; x < image.width; ++x) {
        uint32_t v = image.at(x, y);
        uint8_t rr = v >> 16 & 0xFF, gg = v >> 8 & 0xFF, bb = v & 0xFF;
        switch (bpp) {
            case 1:
                p[x >> 3] |= pal.index.at(v & 0xFFFFFF) << (7 - (x & 7));
                break;
            case 8:
                p[x] = pal.index.at(v & 0xFFFFFF);
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
}

// Run-length rows (RLE8 and RLE4), bottom-up. A pair (n, v) gives n pixels of
// v (RLE4: its two nibbles in turn); 0 escapes: 0 ends the row, 1 the
// picture, 2 moves by the next two bytes (right, up), n >= 3 gives n literal
// indexes padded to a 16-bit boundary. Pixels the codes never reach keep
// colour 0, as the platform's loader left them; codes that point outside the
// picture are cut off there, and data that ends early ends the picture.
void DecodeRle(std::string_view data, bool four, const std::vector<uint32_t>& palette,
               DibBitmap& img) {
    std::fill(img.pixels.begin(), img.pixels.end(), palette[0]);
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    const size_t n = data.size();
    size_t i = 0;
    int64_t x = 0, row = 0;  // row counts from the bottom
    auto put = [&](uint32_t index) {
        if (x < img.width && row < img.height)
            img.at(static_cast<int>(x), static_cast<int>(img.height - 1 - row)) = palette[index];
        ++x;
    };
    while (i + 2 <= n && row < img.height) {
        const uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < img.width; ++k)
                put(four ? ((k & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 2 > n)
                break;
            x += p[i];
            row += p[i + 1];
            i += 2;
        } else {
            const size_t bytes = four ? (value + 1u) / 2 : value;
            if (i + bytes > n)
                break;
            for (int k = 0; k < value; ++k)
                put(four ? ((k & 1) ? p[i + k / 2] & 15 : p[i + k / 2] >> 4) : p[i + k]);
            i += bytes + (bytes & 1);
        }
    }
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
    std::optional<BmpHeader> h = ReadBmpHeader(r);
    if (!h)
        return std::nullopt;
    const Channels channels = ReadChannels(r, *h);
    std::optional<std::vector<uint32_t>> palette = ReadPalette(r, *h);
    if (!palette)
        return std::nullopt;
    if (h->compression == kRle8 || h->compression == kRle4) {
        if (h->pixelOffset > bmp.size())
            return std::nullopt;
        DibBitmap img(static_cast<int>(h->width), static_cast<int>(h->height), 0, h->bpp);
        DecodeRle(bmp.substr(h->pixelOffset), h->compression == kRle4, *palette, img);
        return img;
    }
    const size_t stride = RowStride(h->width, h->bpp);
    if (h->pixelOffset > bmp.size() || stride * h->height > bmp.size() - h->pixelOffset)
        return std::nullopt;

    DibBitmap img;
    img.width = static_cast<int>(h->width);
    img.height = static_cast<int>(h->height);
    img.bitsPerPixel = h->bpp;
    img.pixels.resize(static_cast<size_t>(h->width) * h->height);
    const auto* rows = reinterpret_cast<const uint8_t*>(bmp.data()) + h->pixelOffset;
    for (int64_t row = 0; row < h->height; ++row) {
        const int64_t y = h->topDown ? row : h->height - 1 - row;
        DecodeRow(rows + stride * row, h->bpp, *palette, channels,
                  &img.pixels[static_cast<size_t>(y) * h->width], h->width);
    }
    return img;
}

std::optional<std::string> EncodeBmp(const DibBitmap& image, int bpp) {
    if (image.empty() || image.pixels.size() != static_cast<size_t>(image.width) * image.height)
        return std::nullopt;
    if (bpp != 1 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return std::nullopt;
    std::optional<Palette> pal = BuildPalette(image, bpp);
    if (!pal)
        return std::nullopt;
    ByteWriter w;
    WriteBmpHeaders(w, image, bpp, *pal);
    std::string row(RowStride(image.width, bpp), '\0');
    for (int y = image.height - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), '\0');
        EncodeRow(image, y, bpp, *pal, reinterpret_cast<uint8_t*>(row.data()));
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
