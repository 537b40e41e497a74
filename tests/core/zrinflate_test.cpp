#include "core/zrinflate.h"

#include <gtest/gtest.h>

#include <string>

#include "core/zrzstream.h"

namespace pk {
namespace {

std::string ReadAll(ByteSource& source, std::size_t piece = 7) {
    std::string out;
    std::string buffer(piece, '\0');
    for (;;) {
        const std::size_t got = source.Read(buffer.data(), buffer.size());
        if (got == 0) {
            return out;
        }
        out.append(buffer.data(), got);
    }
}

std::string Sample(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(static_cast<char>((i * 7 + i / 13) & 0xFF));
    }
    return text;
}

TEST(InflateReader, DeliversTheWholeStreamInAnyPieceSize) {
    const std::string plain = Sample(200000);
    const std::string packed = Compress(plain, CompressionLevel::Default);
    for (std::size_t piece : {1u, 7u, 4096u, 300000u}) {
        InflateReader reader(packed, plain.size());
        EXPECT_EQ(ReadAll(reader, piece), plain) << piece;
        EXPECT_TRUE(reader.Finished());
        EXPECT_FALSE(reader.Failed());
        EXPECT_EQ(reader.Produced(), plain.size());
    }
}

TEST(InflateReader, StopsAtTheCapWithAFailure) {
    const std::string plain = Sample(10000);
    const std::string packed = Compress(plain, CompressionLevel::Default);
    InflateReader reader(packed, plain.size() - 1);
    ReadAll(reader);
    EXPECT_TRUE(reader.Failed());
    EXPECT_FALSE(reader.Finished());
    EXPECT_LE(reader.Produced(), plain.size() - 1);
}

TEST(InflateReader, TruncatedDamagedAndEmptyInputFail) {
    const std::string packed = Compress(Sample(5000), CompressionLevel::Default);
    InflateReader cut(std::string_view(packed).substr(0, packed.size() / 2), 1 << 20);
    ReadAll(cut);
    EXPECT_TRUE(cut.Failed());

    std::string damaged = packed;
    damaged[0] = 0x12;  // not a zlib header
    InflateReader bad(damaged, 1 << 20);
    EXPECT_EQ(ReadAll(bad), "");
    EXPECT_TRUE(bad.Failed());

    InflateReader empty("", 1 << 20);
    EXPECT_EQ(ReadAll(empty), "");
    EXPECT_TRUE(empty.Failed());
}

TEST(InflateReader, BytesAfterTheStreamAreIgnored) {
    const std::string packed = Compress("abc", CompressionLevel::Default) + "trailing";
    InflateReader reader(packed, 100);
    EXPECT_EQ(ReadAll(reader), "abc");
    EXPECT_TRUE(reader.Finished());
}

TEST(MemorySource, ReadFullStopsAtTheEnd) {
    MemorySource source("hello");
    char buffer[8] = {};
    EXPECT_EQ(ReadFull(source, buffer, 3), 3u);
    EXPECT_EQ(ReadFull(source, buffer, 8), 2u);
    EXPECT_EQ(std::string(buffer, 2), "lo");
    EXPECT_EQ(ReadFull(source, buffer, 8), 0u);
}

}  // namespace
}  // namespace pk
