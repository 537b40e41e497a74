// A whole piece decoded to samples in the device's format: from a file and
// from memory, refused without a device, past the size cap, or when no
// decoder reads it.
#include "platform/audio/decodepcm.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/audio/audiodevice.h"
#include "support/audio_fixture.h"
#include "support/media.h"

namespace pk::audio {
namespace {

constexpr size_t kCap = 16u << 20;

std::string Tone() {
    std::ifstream in(test::MediaFile("tone.wav"), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(DecodePcm, FileAndBytesGiveTheSameSamplesInTheDeviceFormat) {
    std::string error;
    EXPECT_FALSE(DecodeFile(test::MediaFile("tone.mp3"), kCap, &error));
    EXPECT_EQ(error, "no audio device");
    test::DummyAudio device;
    ASSERT_TRUE(device.IsOpen());
    // The WAV source: 0.4 s of 16-bit mono at 44100 Hz, converted to the
    // device's rate and channels.
    const DeviceFormat format = OpenFormat();
    auto fromFile = DecodeFile(test::MediaFile("tone.wav"), kCap, &error);
    ASSERT_TRUE(fromFile) << error;
    EXPECT_EQ(fromFile->rate, format.rate);
    EXPECT_EQ(fromFile->channels, format.channels);
    EXPECT_NEAR(static_cast<double>(fromFile->samples.size()),
                0.4 * format.rate * format.channels * 2, 64.0 * format.channels);
    auto fromBytes = DecodeBytes(Tone(), kCap, &error);
    ASSERT_TRUE(fromBytes) << error;
    EXPECT_EQ(fromBytes->samples, fromFile->samples);
    auto mp3 = DecodeFile(test::MediaFile("tone.mp3"), kCap, &error);
    ASSERT_TRUE(mp3) << error;
    EXPECT_NEAR(static_cast<double>(mp3->samples.size()),
                static_cast<double>(fromFile->samples.size()), 0.03 * fromFile->samples.size());
}

TEST(DecodePcm, RefusesTooMuchOrUndecodableInput) {
    test::DummyAudio device;
    ASSERT_TRUE(device.IsOpen());
    std::string error;
    EXPECT_FALSE(DecodeFile(test::MediaFile("tone.wav"), 1000, &error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_FALSE(DecodeBytes(std::string(4000, 'x'), kCap, &error));
    EXPECT_NE(error.find("cannot decode"), std::string::npos) << error;
    EXPECT_FALSE(DecodeBytes("", kCap, &error));
    EXPECT_FALSE(DecodeFile("/no/such/file.mp3", kCap, &error));
}

}  // namespace
}  // namespace pk::audio
