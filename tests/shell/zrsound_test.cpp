// Theme sound effects: a known WAV reaches the output, effects overlap, a stop
// silences the rest, and a WAV that is broken in any way plays nothing and
// raises nothing.
#include "shell/zrsound.h"

#include <gtest/gtest.h>

#include "klb/zrtheme.h"
#include "platform/audio/audiodevice.h"
#include "support/audio_fixture.h"
#include "support/bytes.h"
#include "support/media.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

using test::LE;
using test::WaitFor;

constexpr int k200ms = 8820;  // frames at 44100 Hz

TEST(SoundList, AKnownEffectReachesTheOutput) {
    test::DiskAudio device;
    ASSERT_TRUE(device.IsOpen());
    TZRSoundList list;
    list.SoundPlay(test::ConstantWav(k200ms, 1234), true);
    ASSERT_EQ(list.Count(), 1);
    ASSERT_TRUE(WaitFor([&] { return list.PlayingCount() == 0; }));
    // Mono at the device's rate: both output channels carry it unchanged.
    EXPECT_TRUE(test::HasRun(device.Finish(), 1234, 2 * 8000));
}

TEST(SoundList, EffectsOverlapAndStopOthersSilencesThem) {
    test::DiskAudio device;
    ASSERT_TRUE(device.IsOpen());
    TZRSoundList list;
    list.SoundPlay(test::ConstantWav(k200ms, 1000), false);
    list.SoundPlay(test::ConstantWav(k200ms, 1000), false);  // the same effect twice
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.PlayingCount(), 2);
    ASSERT_TRUE(WaitFor([&] { return list.PlayingCount() == 0; }));
    // A long effect, then one that stops the others.
    list.SoundPlay(test::ConstantWav(44100 * 5, 300), false);
    EXPECT_EQ(list.Count(), 1);  // the two finished ones were reaped
    list.SoundPlay(test::ConstantWav(k200ms, 555), true);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(audio::PlayingVoices(), 1);
    ASSERT_TRUE(WaitFor([&] { return list.PlayingCount() == 0; }));
    auto out = device.Finish();
    EXPECT_TRUE(test::HasRun(out, 2000, 2 * 6000));
    EXPECT_TRUE(test::HasRun(out, 555, 2 * 6000));
    EXPECT_FALSE(test::HasRun(out, 855, 2 * 100));  // never both at once
}

TEST(SoundList, StopAllSoundsAndReap) {
    test::DummyAudio device;
    TZRSoundList list;
    list.SoundPlay(test::ConstantWav(44100, 10), false);
    list.SoundPlay(test::MakePcmWav(2, 8000, 8, std::vector<int>(400, 0x90)), false);
    EXPECT_EQ(list.Count(), 2);
    list.StopAllSounds();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(audio::PlayingVoices(), 0);
    list.SoundPlay(test::ConstantWav(441, 10), false);
    ASSERT_TRUE(WaitFor([&] { return list.PlayingCount() == 0; }));
    EXPECT_EQ(list.Count(), 1);  // finished, not yet reaped
    list.ReapSounds();
    EXPECT_EQ(list.Count(), 0);
}

std::string Fmt(int tag, int channels, int rate, int block, int bits, uint32_t size = 16) {
    std::string b = "fmt " + LE(size) + LE(tag, 2) + LE(channels, 2) + LE(rate) +
                    LE(static_cast<uint32_t>(rate * block)) + LE(block, 2) + LE(bits, 2);
    b.append(size - 16, '\0');
    return b;
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + LE(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

TEST(SoundList, BrokenWavsPlayNothingAndRaiseNothing) {
    test::DummyAudio device;
    const std::string pcm = Fmt(1, 1, 22050, 1, 8);
    const std::string data = "data" + LE(400) + std::string(400, '\x90');
    const std::string good = Riff(pcm + data);
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"empty", ""},
        {"not RIFF", "garbage that is no wave"},
        {"RIFF but not WAVE", "RIFF" + LE(4) + "AVI "},
        {"cut in the header", good.substr(0, 30)},
        {"cut in the samples", good.substr(0, good.size() - 100)},
        {"no data chunk", Riff(pcm)},
        {"no fmt chunk", Riff(data)},
        {"fmt too short", Riff("fmt " + LE(14) + std::string(14, '\0') + data)},
        {"odd chunk without its pad byte", Riff("LIST" + LE(3) + "abc" + pcm + data)},
        {"chunk size past the end", Riff("junk" + LE(0xFFFFFFF0) + pcm + data)},
        {"data size past the end", Riff(pcm + "data" + LE(0x7FFFFFFF) + std::string(40, 1))},
        {"ADPCM", Riff(Fmt(2, 1, 22050, 256, 4, 20) + data)},
        {"float", Riff(Fmt(3, 1, 22050, 4, 32) + data)},
        {"24-bit", Riff(Fmt(1, 1, 22050, 3, 24) + data)},
        {"four channels", Riff(Fmt(1, 4, 22050, 4, 8) + data)},
        {"no channels", Riff(Fmt(1, 0, 22050, 0, 8) + data)},
        {"rate 0", Riff(Fmt(1, 1, 0, 1, 8) + data)},
        {"block size that does not fit", Riff(Fmt(1, 2, 22050, 1, 16) + data)},
    };
    TZRSoundList list;
    for (const auto& [what, image] : bad) {
        test::AudioLogCatcher log;
        EXPECT_NO_THROW(list.SoundPlay(image, false)) << what;
        EXPECT_EQ(list.Count(), 0) << what;
        EXPECT_EQ(audio::PlayingVoices(), 0) << what;
        EXPECT_TRUE(log.Has("effect not played")) << what;
    }
    // The reader's checks above are what refused them: the good image plays.
    list.SoundPlay(good, false);
    EXPECT_EQ(list.Count(), 1);
}

TEST(SoundList, WholeFramesOfAnOddSizedDataChunkPlay) {
    test::DummyAudio device;
    TZRSoundList list;
    // 16-bit samples with one byte too many: the partial frame is dropped.
    list.SoundPlay(Riff(Fmt(1, 1, 44100, 2, 16) + "data" + LE(201) + std::string(201, 1) +
                        std::string(1, '\0')),
                   false);
    EXPECT_EQ(list.Count(), 1);
}

TEST(SoundList, WithoutADeviceEveryPlayIsSilent) {
    audio::CloseDevice();
    TZRSoundList list;
    list.SoundPlay(test::ConstantWav(100, 5), true);
    list.SoundPlay(test::ConstantWav(100, 5), false);
    EXPECT_EQ(list.Count(), 0);
    list.StopAllSounds();
    list.ReapSounds();
}

TEST(SoundList, PlaysAThemeSoundByName) {
    test::DummyAudio device;
    test::TempDir dir;
    auto file = test::SaveLibrary(
        dir.Path() / "t.klb",
        {test::MainEntry("Main", "*"), test::SoundEntry("Drop", "*", test::ConstantWav(4410, 9))});
    TZRTheme theme;
    ASSERT_TRUE(LoadTheme(file, "x", theme, {}, dir.Path()));
    TZRSoundList list;
    auto sink = [&](std::string wav, bool stopOthers) {
        list.SoundPlay(std::move(wav), stopOthers);
    };
    PlayLibrarySound("DROP", true, theme, sink);
    PlayLibrarySound("drop", true, theme, sink);
    EXPECT_EQ(list.Count(), 2);  // the flag set: the effects overlap
    PlayLibrarySound("drop", false, theme, sink);
    EXPECT_EQ(list.Count(), 1);  // cleared: the others stop
    PlayLibrarySound("missing", true, theme, sink);
    EXPECT_EQ(list.Count(), 1);
}

}  // namespace
}  // namespace pk
