// RIFF WAVE images: chunk search, padding and the reader's messages.
#include "klb/wave.h"

#include <gtest/gtest.h>

#include "support/bytes.h"

namespace pk {
namespace {

using test::LE;

std::string Fmt(uint16_t tag = 1, uint32_t size = 16) {
    std::string b = "fmt " + LE(size);
    b += LE(tag, 2) + LE(1, 2) + LE(22050) + LE(22050) + LE(1, 2) + LE(8, 2);
    b.append(size - 16, '\0');
    return b;
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + LE(4 + chunks.size()) + "WAVE" + chunks;
}

std::string Error(const std::string& image) {
    std::string error;
    EXPECT_FALSE(ReadWaveMemory(image, &error));
    return error;
}

TEST(Wave, FindsDataPastAPaddedChunk) {
    // A chunk of odd size is followed by one pad byte.
    std::string image = Riff("LIST" + LE(3) + "abc" + std::string(1, '\0') + Fmt() + "data" +
                             LE(5) + "12345" + std::string(1, '\0'));
    std::string error;
    auto info = ReadWaveMemory(image, &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->format.formatTag, 1);
    EXPECT_EQ(info->format.samplesPerSec, 22050u);
    EXPECT_EQ(info->format.bitsPerSample, 8);
    EXPECT_EQ(info->dataSize, 5u);
    EXPECT_EQ(image.substr(info->dataOffset, info->dataSize), "12345");
}

TEST(Wave, DataSizeIsCutToTheImage) {
    std::string image = Riff(Fmt() + "data" + LE(1000) + "xy");
    auto info = ReadWaveMemory(image);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->dataSize, 2u);
    EXPECT_TRUE(info->dataCut);
    auto whole = ReadWaveMemory(Riff(Fmt() + "data" + LE(2) + "xy"));
    ASSERT_TRUE(whole);
    EXPECT_FALSE(whole->dataCut);
}

TEST(Wave, MessagesForEachFault) {
    EXPECT_EQ(Error(""), "Couldn't open wave file ");
    EXPECT_EQ(Error("RIFF"), "Invalid multimedia file!");
    // A RIFF chunk too short for its form type cannot be entered; another chunk can.
    EXPECT_EQ(Error("RIFF" + LE(4)), "Invalid multimedia file!");
    EXPECT_EQ(Error("RIFF" + LE(4) + "WAV"), "Invalid multimedia file!");
    EXPECT_EQ(Error("JUNK" + LE(0)), "Not a wave file!");
    EXPECT_EQ(Error("RIFF" + LE(4) + "AVI "), "Not a wave file!");
    EXPECT_EQ(Error(Riff("data" + LE(0))), "Couldn't find 'fmt' chunk!");
    EXPECT_EQ(Error(Riff("fmt " + LE(14) + std::string(14, '\0'))), "Abnormal 'fmt' size!");
    EXPECT_EQ(Error(Riff("fmt " + LE(16) + "short")), "Error reading 'fmt' chunk!");
    // The extra size of a format other than PCM is missing only where the image ends.
    EXPECT_EQ(Error(Riff(Fmt(2, 16))), "Error reading 'waveformatex' length!");
    EXPECT_EQ(Error(Riff(Fmt(2, 16) + "d")), "Error reading 'waveformatex' length!");
    EXPECT_EQ(Error(Riff(Fmt())), "Couldn't find 'data' chunk!");
    // A chunk size that runs past the image ends the search instead of looping.
    EXPECT_EQ(Error(Riff("junk" + LE(0xFFFFFFFF) + Fmt())), "Couldn't find 'fmt' chunk!");
}

TEST(Wave, NonPcmFormatWithExtraSizeReads) {
    auto info = ReadWaveMemory(Riff(Fmt(2, 18) + "data" + LE(1) + "z" + std::string(1, '\0')));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->format.formatTag, 2);
}

TEST(Wave, FloatFormatWithSixteenByteHeaderReads) {
    // IEEE float samples (tag 3) with no extra-size field: the chunk after it follows at once.
    const std::string image = Riff(Fmt(3, 16) + "data" + LE(4) + "abcd");
    std::string error;
    auto info = ReadWaveMemory(image, &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->format.formatTag, 3);
    EXPECT_EQ(info->dataSize, 4u);
    EXPECT_EQ(image.substr(info->dataOffset, info->dataSize), "abcd");
}

}  // namespace
}  // namespace pk
