// The editor's imaging: format conversion, the alpha blend's arithmetic and
// bounds, and an entry's picture drawn through its mask.
#include "editor/zrimaging.h"

#include <gtest/gtest.h>

#include <cmath>

#include "gfx/surfaceconv.h"
#include "gfx/tiling.h"
#include "platform/atomicfile.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

int Blend(int s, int d, int m) {
    const float a = m / 255.0f;
    const float b = 1.0f - a;
    return static_cast<int>(std::lrint(static_cast<double>(a) * s + static_cast<double>(b) * d));
}

TEST(Imaging, ConvertPixelFormatKeepsThePicture) {
    DibBitmap img(2, 1, 0xFF0A1B2C, 8);
    img.at(1, 0) = 0xFFFFFFFF;
    DibBitmap sixteen = ConvertPixelFormat(img, 16);
    EXPECT_EQ(sixteen.bitsPerPixel, 16);
    EXPECT_EQ(sixteen.at(0, 0), Argb(ArgbTo555(0xFF0A1B2C)));
    EXPECT_EQ(sixteen.at(1, 0), 0xFFFFFFFFu);
    // Encoded at 16 bits and read back, the picture stays the same.
    EXPECT_EQ(DecodeBmp(EncodeBmp(sixteen))->pixels, sixteen.pixels);
    DibBitmap wide = ConvertPixelFormat(img, 24);
    EXPECT_EQ(wide.bitsPerPixel, 24);
    EXPECT_EQ(wide.pixels, img.pixels);
    EXPECT_EQ(ConvertPixelFormat(img, 7).bitsPerPixel, 8);  // not a format we convert to
}

TEST(Imaging, ColourMasksAndTheirFileForms) {
    DibBitmap img(3, 1, 0xFF102030, 16);
    img.at(2, 0) = 0xFFFFFFFF;
    // 0x00BBGGRR with the same five bits per channel as 0x102030.
    const uint32_t near = 0x372617;
    EXPECT_TRUE(SameColor(img, img.at(0, 0), near));
    img.bitsPerPixel = 24;
    EXPECT_FALSE(SameColor(img, img.at(0, 0), near));
    EXPECT_TRUE(SameColor(img, img.at(0, 0), 0x302010));
    DibBitmap mask = MaskFromColor(img, 0x302010);
    EXPECT_EQ(mask.bitsPerPixel, 1);
    EXPECT_EQ(mask.pixels, (std::vector<uint32_t>{0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000}));
    ApplyColorMask(img, 0x302010);
    EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0xFF000000, 0xFF000000, 0xFFFFFFFF}));
    // Light pixels count as white when a mask changes form.
    DibBitmap odd(2, 1, 0xFFE0E0E0, 1);
    odd.at(1, 0) = 0xFF202020;
    EXPECT_EQ(InvertMonochrome(odd).pixels, (std::vector<uint32_t>{0xFF000000, 0xFFFFFFFF}));
    DibBitmap alpha(2, 1, 0x000000FF, 32);
    alpha.at(1, 0) = 0xAB123480;
    DibBitmap grey = AlphaMaskToGreyscale(alpha);
    EXPECT_EQ(grey.bitsPerPixel, 8);
    EXPECT_EQ(grey.pixels, (std::vector<uint32_t>{0xFFFFFFFF, 0xFF808080}));
}

TEST(Imaging, AlphaBlendMaskedArithmeticAndBounds) {
    const Pixel16 s = Rgb555(31, 0, 10), d = Rgb555(0, 31, 20);
    Surface16 src(3, 1, s);
    Mask alpha(3, 1, false);
    alpha.setValue(0, 0, 0);
    alpha.setValue(1, 0, 255);
    alpha.setValue(2, 0, 128);
    Surface16 dst(3, 1, d);
    EXPECT_TRUE(AlphaBlendMasked(dst, 0, 0, -1, -1, 0, 0, alpha, src, 1, 3));
    EXPECT_EQ(dst.pixel(0, 0), d);  // 0 leaves the destination
    EXPECT_EQ(dst.pixel(1, 0), s);  // 255 copies exactly
    EXPECT_EQ(dst.pixel(2, 0), Rgb555(Blend(31, 0, 128), Blend(0, 31, 128), Blend(10, 20, 128)));
    EXPECT_EQ(dst.pixel(2, 0) & 0x8000, 0);

    // Past the right or bottom edge, or at a negative place: nothing.
    Surface16 small(2, 1, d);
    EXPECT_FALSE(AlphaBlendMasked(small, 0, 0, -1, -1, 0, 0, alpha, src, 1, 3));
    EXPECT_FALSE(AlphaBlendMasked(small, -1, 0, -1, -1, 0, 0, alpha, src, 1, 2));
    EXPECT_FALSE(AlphaBlendMasked(small, 0, 0, -1, -1, 0, 0, alpha, src, 2, 1));
    EXPECT_EQ(small.pixel(0, 0), d);

    // The mask read at its own place; reads past the source or the mask are cut.
    Surface16 wide(4, 1, d);
    EXPECT_TRUE(AlphaBlendMasked(wide, 0, 0, 0, 1, 0, 0, alpha, src, 1, 4));
    EXPECT_EQ(wide.pixel(0, 0), s);  // mask column 1 (255) over source column 0
    EXPECT_EQ(wide.pixel(3, 0), d);  // no source there
}

TZRC MainWithMask(const DibBitmap& image, const DibBitmap& mask) {
    TZRC e;
    e.entry.kind = KlbKind::Main;
    e.entry.image = EncodeBmp(ConvertPixelFormat(image, 16));
    e.entry.mask = EncodeBmp(mask);
    return e;
}

TEST(Imaging, DrawEntryImageThroughEachKindOfMask) {
    const Pixel16 bg = Rgb555(1, 2, 3);
    DibBitmap image(2, 2, 0xFFF80000, 16);  // red
    DibBitmap mono(2, 2, 0xFF000000, 1);    // opaque ...
    mono.at(1, 0) = 0xFFFFFFFF;             // ... but one transparent pixel
    image.at(1, 0) = 0xFF000000;            // black under it, as held
    TZRC e = MainWithMask(image, mono);
    Surface16 target(3, 3, bg);
    EXPECT_TRUE(DrawEntryImage(target, 1, 1, EntryPart::Image, e));
    EXPECT_EQ(target.pixel(1, 1), Rgb555(31, 0, 0));
    EXPECT_EQ(target.pixel(2, 1), bg);
    EXPECT_EQ(target.pixel(0, 0), bg);
    // The mask alone as its file shows it: black where transparent.
    EXPECT_TRUE(DrawEntryImage(target, 0, 0, EntryPart::Mask, e));
    EXPECT_EQ(target.pixel(0, 0), kWhite555);
    EXPECT_EQ(target.pixel(1, 0), kBlack555);

    // An alpha mask at a negative place is cut to the target, not dropped.
    DibBitmap alpha(2, 2, 0xFF000000, 32);
    alpha.at(1, 1) = 0xFF0000FF;
    TZRC a = MainWithMask(image, alpha);
    Surface16 t2(2, 2, bg);
    EXPECT_TRUE(DrawEntryImage(t2, -1, -1, EntryPart::Image, a));
    EXPECT_EQ(t2.pixel(0, 0), Rgb555(31, 0, 0));  // the image's (1, 1) at full alpha
    EXPECT_EQ(t2.pixel(1, 0), bg);
    // Stretched to twice the size, and without any picture: false.
    Surface16 t3(4, 4, bg);
    EXPECT_TRUE(DrawEntryImage(t3, 0, 0, EntryPart::Image, e, 0, 0, 4, 4));
    EXPECT_EQ(t3.pixel(0, 3), Rgb555(31, 0, 0));
    EXPECT_EQ(t3.pixel(3, 0), bg);
    TZRC none;
    none.entry.kind = KlbKind::Skin;
    EXPECT_FALSE(DrawEntryImage(t3, 0, 0, EntryPart::Image, none));
}

TEST(Imaging, StoredSkinImagesComeFromTheSourceFile) {
    test::TempDir dir;
    const std::string bmp = EncodeBmp(DibBitmap(3, 2, 0xFF00FF00));
    const auto file = dir.Path() / "lib.bin";
    ASSERT_TRUE(WriteFileAtomic(file, "xxxx" + bmp));
    TZRC e;
    e.entry.kind = KlbKind::Skin;
    e.SourceFile = file;
    e.entry.imagePart = {4, static_cast<int32_t>(bmp.size())};
    auto image = EntryBitmap(e, false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_FALSE(EntryBitmap(e, true));
    // Parts outside the file, or of no size, give nothing.
    EXPECT_FALSE(LoadLibraryBitmap(4, 1 << 20, e));
    EXPECT_FALSE(LoadLibraryBitmap(0, 10, e));
}

TEST(Imaging, NineSliceSkipsEmptyPiecesAndClampsBands) {
    // Bands larger than the picture are clamped; a rectangle of no size
    // draws nothing; pieces cut to nothing are skipped without a fault.
    EXPECT_EQ(ClampBands({9, 9, 9, 9}, 4, 3), (SliceBands{4, 3, 0, 0}));
    EXPECT_EQ(ClampBands({-2, 1, 1, -5}, 4, 3), (SliceBands{0, 1, 1, 0}));
    Surface16 pic(4, 3, Rgb555(5, 5, 5));
    Surface16 dst(6, 6, kBlack555);
    DrawNineSlice(dst, {0, 0, 0, 5}, {&pic, nullptr}, {9, 9, 9, 9}, {});
    EXPECT_EQ(dst, Surface16(6, 6, kBlack555));
    DrawNineSlice(dst, {1, 1, 5, 5}, {&pic, nullptr}, {9, 9, 9, 9}, {});
    EXPECT_EQ(dst.pixel(1, 1), Rgb555(5, 5, 5));
    EXPECT_EQ(dst.pixel(0, 0), kBlack555);
}

}  // namespace
}  // namespace pk
