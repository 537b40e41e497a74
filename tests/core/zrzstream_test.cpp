#include "core/zrzstream.h"

#include <gtest/gtest.h>

#include "support/bytes.h"

namespace pk {
namespace {

using test::Bytes;

TEST(Zlib, LevelsMapToZlibNumbers) {
    EXPECT_EQ(ZlibLevel(CompressionLevel::None), 0);
    EXPECT_EQ(ZlibLevel(CompressionLevel::Fastest), 1);
    EXPECT_EQ(ZlibLevel(CompressionLevel::Default), -1);
    EXPECT_EQ(ZlibLevel(CompressionLevel::Max), 9);
}

TEST(Zlib, EmptyInputAtMaximumLevel) {
    EXPECT_EQ(Compress("", CompressionLevel::Max),
              Bytes({0x78, 0xDA,                 // CMF/FLG: deflate, 32K window, level 9
                     0x03, 0x00,                 // final fixed block holding only its end code
                     0x00, 0x00, 0x00, 0x01}));  // Adler-32 of nothing
}

TEST(Zlib, ReadsAStoredBlockWrittenByHand) {
    std::string stream = Bytes({0x78, 0x01,                // CMF/FLG: deflate, no compression
                                0x01,                      // final stored block
                                0x03, 0x00, 0xFC, 0xFF,    // LEN 3, NLEN
                                'a', 'b', 'c',             // the data
                                0x02, 0x4D, 0x01, 0x27});  // Adler-32 of "abc"
    EXPECT_EQ(Decompress(stream), "abc");
    // Bytes after the stream are ignored.
    EXPECT_EQ(Decompress(stream + "junk"), "abc");
}

TEST(Zlib, RoundTripsAtEveryLevelThroughManyBuffers) {
    std::string big;
    std::uint32_t seed = 1;
    for (int i = 0; i < 300000; ++i) {
        seed = seed * 1103515245u + 12345u;
        big.push_back(static_cast<char>((seed >> 16) % 13 + 'a'));
    }
    for (auto level : {CompressionLevel::None, CompressionLevel::Fastest, CompressionLevel::Default,
                       CompressionLevel::Max}) {
        CompressStream stream(level);
        stream.Write(std::string_view(big).substr(0, 100000));
        stream.Write(std::string_view(big).substr(100000));
        std::string packed = stream.Close();
        EXPECT_EQ(stream.Close(), packed);  // closing twice changes nothing
        EXPECT_EQ(Decompress(packed), big);
    }
}

TEST(Zlib, CorruptTruncatedAndOversizedDataFailCleanly) {
    std::string packed = Compress(std::string(5000, 'x') + "tail", CompressionLevel::Max);
    EXPECT_FALSE(Decompress("").has_value());
    EXPECT_FALSE(Decompress("not zlib at all").has_value());
    EXPECT_FALSE(Decompress(packed.substr(0, packed.size() - 1)).has_value());  // Adler cut
    EXPECT_FALSE(Decompress(packed.substr(0, packed.size() / 2)).has_value());
    std::string flipped = packed;
    flipped[flipped.size() - 1] ^= 0x01;  // wrong Adler-32
    EXPECT_FALSE(Decompress(flipped).has_value());
    // A small blob that inflates beyond the cap is refused.
    EXPECT_FALSE(Decompress(packed, 1000).has_value());
    EXPECT_TRUE(Decompress(packed, 5004).has_value());
    std::string bomb = Compress(std::string(50u << 20, '\0'), CompressionLevel::Max);
    EXPECT_LT(bomb.size(), 100000u);
    EXPECT_FALSE(Decompress(bomb).has_value());
}

TEST(Zlib, CapIsExactAndAFailedStreamLeavesNothingForTheNext) {
    // Output of every size around the first room and its doublings.
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{1023}, std::size_t{1024},
                             std::size_t{1025}, std::size_t{70000}, std::size_t{1u << 20}}) {
        std::string data(size, 'q');
        for (std::size_t i = 0; i < size; i += 7) {
            data[i] = static_cast<char>(i);
        }
        const std::string packed = Compress(data, CompressionLevel::Default);
        EXPECT_TRUE(Decompress(packed, size) == data) << size;
        if (size > 0) {
            EXPECT_FALSE(Decompress(packed, size - 1).has_value()) << size;
        }
    }
    // A stream cut short, then a good one: the second starts from a clean state.
    const std::string packed = Compress("first and second", CompressionLevel::Max);
    EXPECT_FALSE(Decompress(packed.substr(0, 6)).has_value());
    EXPECT_EQ(Decompress(packed), "first and second");
    EXPECT_FALSE(Decompress(packed, 3).has_value());
    EXPECT_EQ(Decompress(packed), "first and second");
}

}  // namespace
}  // namespace pk
