// The shared device and its voices: what an effect plays reaches the output,
// effects overlap, and without a device everything is silent and harmless.
#include "platform/audio/audiodevice.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/audio_fixture.h"

namespace pk::audio {
namespace {

using test::AudioLogCatcher;
using test::DiskAudio;
using test::DummyAudio;
using test::HasRun;
using test::WaitFor;

std::string Mono16(int frames, int16_t value) {
    std::string s;
    for (int i = 0; i < frames; ++i) {
        s.push_back(static_cast<char>(value & 0xFF));
        s.push_back(static_cast<char>((value >> 8) & 0xFF));
    }
    return s;
}

TEST(AudioDevice, WithoutADeviceEverythingIsSilent) {
    AudioLogCatcher log;
    EXPECT_FALSE(OpenDevice({.driver = "no-such-driver"}));
    EXPECT_FALSE(DeviceOpen());
    EXPECT_TRUE(log.Has("no audio device")) << testing::PrintToString(log.Lines());
    EXPECT_EQ(PlayPcm({1, 44100, 16}, Mono16(100, 1000)), nullptr);
    EXPECT_EQ(PlayingVoices(), 0);
    CloseDevice();  // harmless when nothing is open
}

TEST(AudioDevice, AVoicePlaysOnceAndEnds) {
    DummyAudio device;
    ASSERT_TRUE(device.IsOpen());
    auto voice = PlayPcm({1, 22050, 8}, std::string(1102, '\x90'));  // 50 ms
    ASSERT_NE(voice, nullptr);
    EXPECT_TRUE(voice->Playing());
    EXPECT_TRUE(WaitFor([&] { return !voice->Playing(); }));
    EXPECT_EQ(PlayingVoices(), 0);
}

TEST(AudioDevice, DestroyingAVoiceStopsIt) {
    DummyAudio device;
    auto voice = PlayPcm({2, 44100, 16}, Mono16(44100 * 2, 300));  // 1 s stereo
    ASSERT_NE(voice, nullptr);
    EXPECT_EQ(PlayingVoices(), 1);
    voice.reset();
    EXPECT_EQ(PlayingVoices(), 0);
}

TEST(AudioDevice, SamplesReachTheOutputAndEffectsOverlap) {
    DiskAudio device;
    ASSERT_TRUE(device.IsOpen());
    ASSERT_EQ(device.Channels(), 2);
    // 16-bit at the device's own rate passes unchanged; 8-bit unsigned 0x90 is
    // 0x10 above silence, 4096 in 16 bits.
    auto a = PlayPcm({1, 44100, 16}, Mono16(8820, 1000));  // 200 ms
    auto b = PlayPcm({1, 44100, 8}, std::string(8820, '\x90'));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !a->Playing() && !b->Playing(); }));
    auto a2 = PlayPcm({1, 44100, 16}, Mono16(8820, 1000));
    ASSERT_NE(a2, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !a2->Playing(); }));
    auto out = device.Finish();
    // Both at once sum; the second play of the first alone comes through as it is.
    EXPECT_TRUE(HasRun(out, 1000 + 4096, 2000));
    EXPECT_TRUE(HasRun(out, 1000, 2000));
}

TEST(AudioDevice, OtherRatesAndStereoAreConverted) {
    DiskAudio device;
    ASSERT_TRUE(device.IsOpen());
    std::string stereo;
    for (int i = 0; i < 4410; ++i) stereo += Mono16(1, 700) + Mono16(1, -700);  // 200 ms at 22050
    auto voice = PlayPcm({2, 22050, 16}, stereo);
    ASSERT_NE(voice, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !voice->Playing(); }));
    auto out = device.Finish();
    size_t frames = 0;
    for (size_t i = 0; i + 1 < out.size(); i += 2)
        if (std::abs(out[i] - 700) <= 2 && std::abs(out[i + 1] + 700) <= 2)
            ++frames;
    // 8820 frames at the device's rate, less the resampler's ramps at both ends.
    EXPECT_GT(frames, 7500u);
    EXPECT_LE(frames, 8820u);
}

TEST(AudioDevice, AConvertedEffectPlaysToItsLastFrame) {
    // 50 ms of an effect are about 2,204 frames at the device's 44,100 Hz, whatever its own
    // rate. A rate change holds back the effect's last frames until more input comes; none of
    // them may be lost (the theme's effects are 22,050 Hz).
    struct Case {
        int rate;
        int frames;
        size_t expected;
    };
    for (const Case c :
         {Case{22050, 1102, 2204}, Case{11025, 551, 2204}, Case{48000, 2400, 2205}}) {
        SCOPED_TRACE(c.rate);
        DiskAudio device;
        ASSERT_TRUE(device.IsOpen());
        ASSERT_EQ(device.Channels(), 2);
        auto voice = PlayPcm({1, c.rate, 16}, Mono16(c.frames, 8000));
        ASSERT_NE(voice, nullptr);
        ASSERT_TRUE(WaitFor([&] { return !voice->Playing(); }));
        auto out = device.Finish();
        // Frames at least half as loud as the effect: the ramps at both ends count half each.
        size_t frames = 0;
        for (size_t i = 0; i + 1 < out.size(); i += 2)
            if (out[i] > 4000 && out[i + 1] > 4000)
                ++frames;
        EXPECT_GE(frames, c.expected - 8);
        EXPECT_LE(frames, c.expected + 8);
    }
}

TEST(AudioDevice, RefusesWhatItCannotPlay) {
    DummyAudio device;
    AudioLogCatcher log;
    EXPECT_EQ(PlayPcm({1, 44100, 24}, std::string(300, '\0')), nullptr);
    EXPECT_EQ(PlayPcm({3, 44100, 16}, std::string(300, '\0')), nullptr);
    EXPECT_EQ(PlayPcm({1, 0, 16}, std::string(300, '\0')), nullptr);
    // One second of samples at 1 Hz would become hours at the device's rate.
    EXPECT_EQ(PlayPcm({1, 1, 8}, std::string(100000, '\x90')), nullptr);
    EXPECT_TRUE(log.Has("too long")) << testing::PrintToString(log.Lines());
    // Nothing to play: no voice, no failure.
    EXPECT_EQ(PlayPcm({2, 44100, 16}, std::string(3, '\0')), nullptr);
}

TEST(AudioDevice, VoicesOutliveTheDeviceHarmlessly) {
    std::unique_ptr<Voice> voice;
    {
        DummyAudio device;
        voice = PlayPcm({1, 44100, 16}, Mono16(44100, 100));
        ASSERT_NE(voice, nullptr);
    }
    EXPECT_FALSE(voice->Playing());
    voice.reset();
    // A new opening starts afresh.
    DummyAudio again;
    EXPECT_TRUE(again.IsOpen());
    EXPECT_EQ(PlayingVoices(), 0);
}

TEST(AudioDevice, ManyVoicesAtOnce) {
    // More effects than the mixer starts with channels for: it gets more.
    DummyAudio device;
    std::vector<std::unique_ptr<Voice>> voices;
    for (int i = 0; i < 40; ++i) {
        voices.push_back(PlayPcm({1, 11025, 8}, std::string(3 * 11025, '\x81')));  // 3 s
        ASSERT_NE(voices.back(), nullptr) << i;
        EXPECT_TRUE(voices.back()->Playing()) << i;
    }
}

}  // namespace
}  // namespace pk::audio
