// The first frame of an MPEG audio stream: header fields by layer and
// version, a leading ID3v2 tag, and false syncs that are passed over.
#include "editor/zrmpegframe.h"

#include <gtest/gtest.h>

#include <string>

namespace pk {
namespace {

// Four header bytes (a literal may hold a zero).
std::string H(const char* bytes) {
    return std::string(bytes, 4);
}

std::string Frame(const std::string& header, int bytes) {
    return header + std::string(static_cast<size_t>(bytes) - header.size(), '\0');
}

TEST(MpegFrameTest, HeadersByVersionAndLayer) {
    // sync + MPEG 1 + layer III + no CRC, 128 kbit/s, 44100 Hz, no padding
    auto l3 = ParseMpegFrameHeader(H("\xFF\xFB\x90\x64"));
    ASSERT_TRUE(l3);
    EXPECT_EQ(l3->version, 1);
    EXPECT_EQ(l3->layer, 3);
    EXPECT_EQ(l3->bitrate, 128);
    EXPECT_EQ(l3->frequency, 44100);
    EXPECT_EQ(l3->frameBytes, 417);
    // MPEG 1 layer II, 192 kbit/s, 48000 Hz, padded
    auto l2 = ParseMpegFrameHeader(H("\xFF\xFD\xA6\x00"));
    ASSERT_TRUE(l2);
    EXPECT_EQ(l2->layer, 2);
    EXPECT_EQ(l2->bitrate, 192);
    EXPECT_EQ(l2->frequency, 48000);
    EXPECT_EQ(l2->frameBytes, 577);
    // MPEG 2 layer III, 64 kbit/s, 22050 Hz
    auto v2 = ParseMpegFrameHeader(H("\xFF\xF3\x80\x00"));
    ASSERT_TRUE(v2);
    EXPECT_EQ(v2->version, 2);
    EXPECT_EQ(v2->bitrate, 64);
    EXPECT_EQ(v2->frequency, 22050);
    EXPECT_EQ(v2->frameBytes, 208);
    // MPEG 2.5 layer I, 32 kbit/s, 8000 Hz
    auto l1 = ParseMpegFrameHeader(H("\xFF\xE7\x18\x00"));
    ASSERT_TRUE(l1);
    EXPECT_EQ(l1->version, 25);
    EXPECT_EQ(l1->layer, 1);
    EXPECT_EQ(l1->frequency, 8000);
    EXPECT_EQ(l1->frameBytes, 192);
    // Reserved version, reserved layer, free format, bad bitrate, reserved rate.
    for (const char* bad : {"\xFF\xEB\x90\x00", "\xFF\xF9\x90\x00", "\xFF\xFB\x00\x00",
                            "\xFF\xFB\xF0\x00", "\xFF\xFB\x9C\x00", "\xFF\x7B\x90\x00"})
        EXPECT_FALSE(ParseMpegFrameHeader(std::string(bad, 4))) << bad;
    EXPECT_FALSE(ParseMpegFrameHeader("\xFF\xFB"));
}

TEST(MpegFrameTest, TheFirstFrameAfterATagAndPastFalseSyncs) {
    const std::string frame = Frame(H("\xFF\xFB\x90\x64"), 417);
    // ID3v2.4, footer flag, size 0x81 in 7-bit bytes: 10 + 129 + 10 bytes.
    const std::string tag =
        std::string("ID3\x04\x00\x10\x00\x00\x01\x01", 10) + std::string(139, '\xFF');
    EXPECT_EQ(Id3v2TagSize(tag), 149u);
    EXPECT_EQ(Id3v2TagSize(std::string("ID3\x04\x00\x00\x80\x00\x00\x00", 10)), 0u);
    auto found = FindFirstMpegFrame(tag + frame + frame);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->bitrate, 128);
    // A sync-like pair whose next frame is not there is passed over.
    const std::string junk = std::string("\x00\xFF\xF3\x80\x00", 5) + std::string(300, '\x11');
    found = FindFirstMpegFrame(junk + frame + frame);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->frequency, 44100);
    EXPECT_FALSE(FindFirstMpegFrame(std::string(1000, '\x11')));
    // A frame that runs past the bytes counts.
    EXPECT_TRUE(FindFirstMpegFrame(frame.substr(0, 100)));
}

}  // namespace
}  // namespace pk
