// Run-length compressed BMP files (4 and 8 bits): golden bytes with every
// code, and codes that reach outside the picture or end early.
#include <gtest/gtest.h>

#include "gfx/dib.h"
#include "support/bytes.h"

namespace pk {
namespace {

using test::LE;

constexpr uint32_t kPal[] = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};

// Headers of a bottom-up (or, with a negative height, top-down) RLE picture
// with a four-colour palette: black, red, green, blue.
std::string RleFile(int width, int height, int bpp, int compression, const std::string& data) {
    std::string b;
    b += "BM";                                    // 0: signature
    b += LE(static_cast<int>(70 + data.size()));  // 2: file size
    b += LE(0);                                   // 6: reserved
    b += LE(70);                                  // 10: pixel offset (14 + 40 + 16)
    b += LE(40);                                  // 14: info header size
    b += LE(width);                               // 18: width
    b += LE(height);                              // 22: height
    b += LE(1, 2);                                // 26: planes
    b += LE(bpp, 2);                              // 28: bits per pixel
    b += LE(compression);                         // 30: 1 RLE8, 2 RLE4
    b += LE(static_cast<int>(data.size()));       // 34: image size
    b += LE(0) + LE(0);                           // 38: resolution
    b += LE(4) + LE(0);                           // 46: colours used, important
    b += std::string("\x00\x00\x00\x00", 4);      // 54: black
    b += std::string("\x00\x00\xFF\x00", 4);      // 58: red
    b += std::string("\x00\xFF\x00\x00", 4);      // 62: green
    b += std::string("\xFF\x00\x00\x00", 4);      // 66: blue
    return b + data;
}

std::string Bytes(std::initializer_list<int> v) {
    std::string s;
    for (int c : v) s += static_cast<char>(c);
    return s;
}

TEST(DibRle, EightBitRunsLiteralsDeltaAndEnds) {
    // 4 x 3, rows from the bottom.
    const std::string data = Bytes({
        0x02, 0x01,              // bottom row: two red
        0x00, 0x03, 2, 3, 1, 0,  // three literals green, blue, red + pad; the red is cut off
        0x00, 0x00,              // end of row
        0x00, 0x02, 2, 0,        // delta: right 2, up 0
        0x01, 0x03,              // one blue at x = 2 of the middle row
        0x00, 0x00,              // end of row
        0x04, 0x02,              // top row: four green
        0x00, 0x01,              // end of picture
    });
    auto img = DecodeBmp(RleFile(4, 3, 8, 1, data));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->bitsPerPixel, 8);
    // Bottom row (y = 2).
    EXPECT_EQ(img->at(0, 2), kPal[1]);
    EXPECT_EQ(img->at(1, 2), kPal[1]);
    EXPECT_EQ(img->at(2, 2), kPal[2]);
    EXPECT_EQ(img->at(3, 2), kPal[3]);
    // The delta passed over the middle row's first pixels: they keep colour 0.
    EXPECT_EQ(img->at(0, 1), kPal[0]);
    EXPECT_EQ(img->at(1, 1), kPal[0]);
    EXPECT_EQ(img->at(2, 1), kPal[3]);
    EXPECT_EQ(img->at(3, 1), kPal[0]);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img->at(x, 0), kPal[2]) << x;
}

TEST(DibRle, FourBitRunsAlternateNibblesAndLiteralsPadToWords) {
    // 5 x 2.
    const std::string data = Bytes({
        0x05, 0x12,              // bottom row: red, green, red, green, red
        0x00, 0x00,              // end of row
        0x00, 0x03, 0x31, 0x20,  // literal blue, red, green (two bytes, even: no pad)
        0x02, 0x33,              // two blue
        0x00, 0x01,              // end of picture
    });
    auto img = DecodeBmp(RleFile(5, 2, 4, 2, data));
    ASSERT_TRUE(img);
    const uint32_t bottom[] = {kPal[1], kPal[2], kPal[1], kPal[2], kPal[1]};
    const uint32_t top[] = {kPal[3], kPal[1], kPal[2], kPal[3], kPal[3]};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(img->at(x, 1), bottom[x]) << x;
        EXPECT_EQ(img->at(x, 0), top[x]) << x;
    }
}

TEST(DibRle, OddLiteralIsPaddedToAWord) {
    const std::string data = Bytes({
        0x00,
        0x03,
        1,
        2,
        3,
        0x00,  // three literals and a pad byte
        0x01,
        0x01,  // one red
        0x00,
        0x01,
    });
    auto img = DecodeBmp(RleFile(4, 1, 8, 1, data));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->at(3, 0), kPal[1]);
}

TEST(DibRle, CodesOutsideThePictureAndEarlyEndsAreCut) {
    // A run longer than the row, a delta far up, and no end code at all.
    auto img = DecodeBmp(RleFile(2, 2, 8, 1, Bytes({0xFF, 0x01, 0x00, 0x02, 200, 200, 0x01})));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->at(0, 1), kPal[1]);
    EXPECT_EQ(img->at(1, 1), kPal[1]);
    EXPECT_EQ(img->at(0, 0), kPal[0]);
    // A literal that claims more bytes than there are.
    img = DecodeBmp(RleFile(4, 1, 8, 1, Bytes({0x00, 0x10, 1, 2})));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->at(0, 0), kPal[0]);
    // Indexes past the palette read as black (the table is filled up).
    img = DecodeBmp(RleFile(1, 1, 8, 1, Bytes({0x01, 0xFE, 0x00, 0x01})));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->at(0, 0), kPal[0]);
}

TEST(DibRle, WrongDepthOrTopDownIsRefused) {
    const std::string data = Bytes({0x01, 0x01, 0x00, 0x01});
    EXPECT_FALSE(DecodeBmp(RleFile(1, 1, 4, 1, data)));   // RLE8 needs 8 bits
    EXPECT_FALSE(DecodeBmp(RleFile(1, 1, 8, 2, data)));   // RLE4 needs 4 bits
    EXPECT_FALSE(DecodeBmp(RleFile(1, -1, 8, 1, data)));  // always bottom-up
    EXPECT_TRUE(DecodeBmp(RleFile(1, 1, 8, 1, data)));
}

}  // namespace
}  // namespace pk
