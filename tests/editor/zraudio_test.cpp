// The previews on the real audio layer under SDL's dummy driver: the MP3
// player through its states on an MP3 the build encodes with lame, MIDI
// through the music preview, a WAV played to its end, and no device at all.
#include "editor/zraudio.h"

#include <gtest/gtest.h>

#include "platform/atomicfile.h"
#include "support/audio_fixture.h"
#include "support/media.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

TEST(EditorAudioTest, Mp3PlayerRunsThroughItsStatesToTheEnd) {
    test::DummyAudio device;
    ASSERT_TRUE(device.IsOpen());
    TMPEGPlayer player(AudioMpegLoader());
    player.LoadMpegLibrary();
    player.SetStreamName(test::MediaFile("tone.mp3").string());
    player.PlayStream();
    EXPECT_EQ(player.GetPlayerMode(), kModePlaying);
    EXPECT_GT(player.GetLength(), 0);
    EXPECT_EQ(player.PlayedXTimes(), 2);
    player.PauseStream(true);
    EXPECT_EQ(player.GetPlayerMode(), kModePaused);
    player.PlayStream();
    EXPECT_EQ(player.GetPlayerMode(), kModePlaying);
    ASSERT_TRUE(test::WaitFor([&] { return player.GetPlayerMode() == kModeStopped; }));
    EXPECT_TRUE(player.Ended());
    try {
        player.StopStream();
        FAIL() << "stopping an ended stream";
    } catch (const TMPEGError& e) {
        EXPECT_EQ(e.code(), kMpegIncorrectMode);
    }
    // Without the timer the player still counts itself as playing after the
    // end (the editor asks for the mode instead); a restart plays it again.
    EXPECT_TRUE(player.IsPlaying());
    player.RestartStream();
    EXPECT_EQ(player.PlayedXTimes(), 3);
    EXPECT_EQ(player.GetPlayerMode(), kModePlaying);
    player.StopStream();
    EXPECT_EQ(player.GetPlayerMode(), kModeStopped);
    player.CloseStream();
    EXPECT_EQ(player.GetPlayerMode(), kModeClosed);
    player.SetStreamName("/no/such.mp3");
    EXPECT_THROW(player.OpenStream(), TMPEGError);
    player.UnloadMpegLibrary();
}

TEST(EditorAudioTest, WithoutADeviceThereIsNoDecoderButNothingFails) {
    TMPEGPlayer player(AudioMpegLoader());
    EXPECT_THROW(player.LoadMpegLibrary(), TMPEGError);
    auto midi = MakeAudioMidiPlayer();
    MusicPreview preview(midi.get(), &player);
    test::TempDir dir;
    KledDoc doc(dir.Path());
    TZRC song;
    song.entry = test::MusicEntry("Song", "*", "bytes", "mp3");
    EXPECT_EQ(preview.Toggle(song, doc), MusicPreview::Outcome::NotPlayed);
    preview.Release();
    auto sound = MakeAudioSoundPlayer();
    EXPECT_FALSE(sound->PlaySync(test::MakeWav(100)));
}

TEST(EditorAudioTest, PreviewsPlayMidiAndSounds) {
    test::DummyAudio device;
    ASSERT_TRUE(device.IsOpen());
    test::TempDir dir;
    KledDoc doc(dir.Path());
    TMPEGPlayer mp3(AudioMpegLoader());
    mp3.LoadMpegLibrary();
    auto midi = MakeAudioMidiPlayer();
    MusicPreview preview(midi.get(), &mp3);
    TZRC tune;
    tune.entry = test::MusicEntry("Tune", "*", test::ShortMidi());
    ASSERT_EQ(preview.Toggle(tune, doc), MusicPreview::Outcome::Started);
    EXPECT_TRUE(midi->Playing());
    EXPECT_EQ(preview.Toggle(tune, doc), MusicPreview::Outcome::Stopped);
    EXPECT_FALSE(midi->IsOpen());

    TZRC song;
    song.entry =
        test::MusicEntry("Song", "*", *ReadFileBytes(test::MediaFile("tone.mp3"), 1 << 24), "mp3");
    ASSERT_EQ(preview.Toggle(song, doc), MusicPreview::Outcome::Started);
    EXPECT_TRUE(preview.Mp3Playing());
    EXPECT_EQ(preview.Toggle(song, doc), MusicPreview::Outcome::Stopped);
    EXPECT_FALSE(preview.Mp3Playing());

    auto sound = MakeAudioSoundPlayer();
    EXPECT_TRUE(sound->PlaySync(test::MakeWav(441)));  // 10 ms at 44.1 kHz, waited for
}

}  // namespace
}  // namespace pk
