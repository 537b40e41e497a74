// BMP files: golden bytes, every depth themes use, and damaged headers.
#include "gfx/dib.h"

#include <gtest/gtest.h>

#include "support/bytes.h"

namespace pk {
namespace {

using test::LE;

// A 2 x 2 image at 24 bits: red, green on the top row; blue, white below.
std::string Golden24() {
    std::string b;
    b += "BM";           // 0: signature
    b += LE(70);         // 2: file size
    b += LE(0);          // 6: reserved
    b += LE(54);         // 10: pixel offset
    b += LE(40);         // 14: info header size
    b += LE(2);          // 18: width
    b += LE(2);          // 22: height, positive: bottom-up
    b += LE(1, 2);       // 26: planes
    b += LE(24, 2);      // 28: bits per pixel
    b += LE(0);          // 30: no compression
    b += LE(16);         // 34: image size
    b += LE(0) + LE(0);  // 38: resolution
    b += LE(0) + LE(0);  // 46: colours used, important
    b += std::string(
        "\xFF\x00\x00"
        "\xFF\xFF\xFF"
        "\x00\x00",
        8);  // 54: bottom row, padded
    b += std::string(
        "\x00\x00\xFF"
        "\x00\xFF\x00"
        "\x00\x00",
        8);  // 62: top row, padded
    return b;
}

DibBitmap Sample(int w, int h) {
    DibBitmap img(w, h);
    const uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.at(x, y) = colours[(x + 2 * y) % 5];
    return img;
}

TEST(Dib, GoldenTwentyFourBitImage) {
    auto img = DecodeBmp(Golden24());
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 2);
    EXPECT_EQ(img->height, 2);
    EXPECT_EQ(img->at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(img->at(1, 0), 0xFF00FF00u);
    EXPECT_EQ(img->at(0, 1), 0xFF0000FFu);
    EXPECT_EQ(img->at(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(EncodeBmp(*img, 24), Golden24());
}

TEST(Dib, EveryWrittenDepthReadsBack) {
    for (int bpp : {8, 16, 24, 32}) {
        DibBitmap img = Sample(5, 3);  // odd width exercises row padding
        img.bitsPerPixel = bpp;
        auto bytes = EncodeBmp(img, bpp);
        ASSERT_TRUE(bytes) << bpp;
        auto back = DecodeBmp(*bytes);
        ASSERT_TRUE(back) << bpp;
        EXPECT_EQ(back->bitsPerPixel, bpp);
        EXPECT_EQ(back->pixels, img.pixels) << bpp;  // the sample colours survive 5:5:5
        EXPECT_EQ(EncodeBmp(*back), *bytes) << bpp;
    }
}

TEST(Dib, MonochromeMaskKeepsBlackAndWhite) {
    DibBitmap mask(9, 2, 0xFFFFFFFF, 1);
    mask.at(0, 0) = 0xFF000000;
    mask.at(8, 1) = 0xFF000000;
    auto bytes = EncodeBmp(mask, 1);
    ASSERT_TRUE(bytes);
    auto back = DecodeBmp(*bytes);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->monochrome());
    EXPECT_EQ(back->pixels, mask.pixels);
    EXPECT_FALSE(EncodeBmp(Sample(3, 1), 1));  // five colours do not fit two
}

TEST(Dib, BitFieldsAndTopDownRows) {
    // 2 x 1 at 16 bits, 5:6:5 masks after a 40-byte header, stored top-down.
    std::string b = "BM" + LE(70) + LE(0) + LE(66) + LE(40) + LE(2) +
                    LE(static_cast<uint32_t>(-1)) + LE(1, 2) + LE(16, 2) + LE(3) + LE(4) + LE(0) +
                    LE(0) + LE(0) + LE(0);
    b += LE(0xF800) + LE(0x07E0) + LE(0x001F);  // red, green, blue masks
    b += LE(0xF800, 2) + LE(0x07E0, 2);         // one red, one green pixel
    auto img = DecodeBmp(b);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(img->at(1, 0), 0xFF00FF00u);

    // 32 bits plain keeps the fourth byte: alpha maps hold opacity in blue.
    DibBitmap alpha(1, 1, 0x12345678, 32);
    auto back = DecodeBmp(EncodeBmp(alpha));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->at(0, 0), 0x12345678u);
}

TEST(Dib, DamagedFilesAreRefused) {
    std::string good = Golden24();
    EXPECT_FALSE(DecodeBmp(""));
    EXPECT_FALSE(DecodeBmp(good.substr(0, 60)));  // rows cut short
    std::string huge = good;
    huge.replace(18, 4, LE(0x7FFFFFFF));  // width far beyond the bytes
    EXPECT_FALSE(DecodeBmp(huge));
    std::string wide = good;
    wide.replace(18, 4, LE(60000));
    wide.replace(22, 4, LE(60000));  // within the side limit, still beyond the bytes
    EXPECT_FALSE(DecodeBmp(wide));
    std::string offset = good;
    offset.replace(10, 4, LE(0xFFFFFFF0));
    EXPECT_FALSE(DecodeBmp(offset));
    std::string rle = good;
    rle.replace(30, 4, LE(1));
    EXPECT_FALSE(DecodeBmp(rle));
    std::string depth = good;
    depth.replace(28, 2, LE(7, 2));
    EXPECT_FALSE(DecodeBmp(depth));
}

TEST(Dib, StoredBitmapKeepsOriginalBytesUntilChanged) {
    // A 16-bit top-down file with masks: not what our encoder would write.
    std::string b = "BM" + LE(70) + LE(0) + LE(66) + LE(40) + LE(2) +
                    LE(static_cast<uint32_t>(-1)) + LE(1, 2) + LE(16, 2) + LE(3) + LE(4) + LE(0) +
                    LE(0) + LE(0) + LE(0);
    b += LE(0xF800) + LE(0x07E0) + LE(0x001F) + LE(0xF800, 2) + LE(0x07E0, 2);
    StoredBitmap stored(b);
    ASSERT_NE(stored.image(), nullptr);
    EXPECT_EQ(stored.image()->at(1, 0), 0xFF00FF00u);
    EXPECT_EQ(stored.bytes(), b);

    DibBitmap& pixels = stored.edit();
    pixels.at(0, 0) = 0xFF0000FF;
    auto back = DecodeBmp(stored.bytes());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->at(0, 0), 0xFF0000FFu);
    pixels.at(1, 0) = 0xFF000000;  // later changes through the same reference count too
    EXPECT_EQ(DecodeBmp(stored.bytes())->at(1, 0), 0xFF000000u);

    StoredBitmap junk(std::string("not a bitmap"));
    EXPECT_EQ(junk.image(), nullptr);
    EXPECT_EQ(junk.bytes(), "not a bitmap");
}

TEST(Dib, PixelCountIsCapped) {
    // 8192 x 8192 at one bit is 8 MB of rows: within the bytes, beyond the cap.
    std::string b = "BM" + LE(0) + LE(0) + LE(62) + LE(40) + LE(8192) + LE(8192) + LE(1, 2) +
                    LE(1, 2) + LE(0) + LE(0) + LE(0) + LE(0) + LE(2) + LE(0) + LE(0) + LE(0xFFFFFF);
    b.resize(62 + 1024 * 8192, '\0');
    EXPECT_FALSE(DecodeBmp(b));
}

}  // namespace
}  // namespace pk
