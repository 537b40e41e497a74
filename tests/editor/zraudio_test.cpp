// The previews on the real audio layer under SDL's dummy driver: the MP3
// player through its states on an MP3 the build encodes with lame, MIDI
// through the music preview, a WAV played to its end, and no device at all.
#include "editor/zraudio.h"

#include <gtest/gtest.h>

#include <cmath>

#include "klb/wave.h"
#include "platform/atomicfile.h"
#include "platform/audio/audiodevice.h"
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

std::string ToneBytes() {
    return *ReadFileBytes(test::MediaFile("tone.mp3"), 1 << 24);
}

TEST(EditorAudioTest, AStreamServedThroughTheEventsPlaysAndRestarts) {
    test::DummyAudio device;
    ASSERT_TRUE(device.IsOpen());
    TMPEGPlayer player(AudioMpegLoader());
    player.LoadMpegLibrary();
    player.FromStream = true;
    // Without handlers the stream cannot open.
    try {
        player.OpenStream();
        FAIL() << "a stream without handlers";
    } catch (const TMPEGError& e) {
        EXPECT_EQ(e.code(), kMpegInputStream);
    }
    EXPECT_FALSE(player.IsOpen());

    const std::string tone = ToneBytes();
    size_t at = 0;
    int opens = 0, closes = 0, restarts = 0, reads = 0;
    player.OnOpenStream = [&](TMPEGPlayer&) {
        ++opens;
        at = 0;
        return true;
    };
    player.OnCloseStream = [&](TMPEGPlayer&) { ++closes; };
    player.OnRestartStream = [&](TMPEGPlayer&) {
        ++restarts;
        at = 0;
        return true;
    };
    player.OnGetStreamSize = [&](TMPEGPlayer&) { return static_cast<int64_t>(tone.size()); };
    // Small pieces, as a network or archive stream would hand them.
    player.OnReadStream = [&](TMPEGPlayer&, char* out, int size, int& read) {
        ++reads;
        read =
            static_cast<int>(std::min<size_t>({static_cast<size_t>(size), 1000, tone.size() - at}));
        std::copy_n(tone.data() + at, read, out);
        at += static_cast<size_t>(read);
        return true;
    };
    player.PlayStream();
    EXPECT_EQ(opens, 1);
    EXPECT_GT(reads, static_cast<int>(tone.size() / 1000));
    EXPECT_EQ(player.GetPlayerMode(), kModePlaying);
    EXPECT_NEAR(player.GetLength(), 400, 60);
    ASSERT_TRUE(test::WaitFor([&] { return player.GetPlayerMode() == kModeStopped; }));
    EXPECT_TRUE(player.Ended());
    const int readsBefore = reads;
    // Without the timer the player learns of the end only when asked; a
    // restart rewinds through the owner, so the stream is read again.
    player.RestartStream();
    EXPECT_EQ(restarts, 1);
    EXPECT_GT(reads, readsBefore);
    EXPECT_EQ(player.GetPlayerMode(), kModePlaying);
    player.CloseStream();
    EXPECT_EQ(closes, 1);

    // A stream that fails halfway is an input error, and is closed again.
    player.OnReadStream = [&](TMPEGPlayer&, char*, int, int&) { return false; };
    EXPECT_THROW(player.OpenStream(), TMPEGError);
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(closes, 2);
    player.UnloadMpegLibrary();
}

TEST(EditorAudioTest, TheDecoderReportsTheFirstFrameSeeksAndResets) {
    test::DummyAudio device;
    ASSERT_TRUE(device.IsOpen());
    std::unique_ptr<MpegLibrary> lib = AudioMpegLoader()("");
    ASSERT_TRUE(lib && lib->init());
    lib->GetFrequency();
    EXPECT_EQ(lib->LastError(), kMpegIncorrectMode);  // nothing open
    lib->Open(test::MediaFile("tone.mp3").string(), false, nullptr, nullptr);
    ASSERT_EQ(lib->LastError(), 0);
    // The tone is MPEG 1 layer III at 64 kbit/s, 44100 Hz.
    EXPECT_EQ(lib->GetFrequency(), 44100);
    EXPECT_EQ(lib->GetBitrate(), 64);
    EXPECT_EQ(lib->GetLayer(), 3);
    lib->Seek(100);
    EXPECT_EQ(lib->LastError(), kMpegIncorrectMode);  // not playing
    std::atomic<bool> ended{false};
    lib->SetOutputDevice(0, "");
    ASSERT_EQ(lib->Play(0, 0, &ended), 0);
    lib->Seek(200);
    EXPECT_EQ(lib->LastError(), 0);
    EXPECT_GE(lib->GetCurrentPos(), 150);
    lib->ResetPlayerMode();
    EXPECT_EQ(lib->GetPlayerMode(), kModeStopped);
    EXPECT_FALSE(ended);
    lib->deinit();
}

TEST(EditorAudioTest, ANonSeekableStreamRefusesToSeek) {
    test::DummyAudio device;
    ASSERT_TRUE(device.IsOpen());
    TMPEGPlayer player(AudioMpegLoader());
    std::unique_ptr<MpegLibrary> lib = AudioMpegLoader()("");
    ASSERT_TRUE(lib && lib->init());
    const std::string tone = ToneBytes();
    bool served = false;
    player.OnOpenStream = [](TMPEGPlayer&) { return true; };
    player.OnReadStream = [&](TMPEGPlayer&, char* out, int size, int& read) {
        read = served ? 0 : static_cast<int>(tone.size());
        if (!served && read <= size)
            std::copy_n(tone.data(), read, out);
        served = true;
        return read <= size;
    };
    lib->Open({}, true, &TMPEGPlayer::StreamCallbacks(), &player);
    ASSERT_EQ(lib->LastError(), 0);
    EXPECT_EQ(lib->GetBitrate(), 64);
    std::atomic<bool> ended{false};
    ASSERT_EQ(lib->Play(0, 0, &ended), 0);
    lib->Seek(100);
    EXPECT_EQ(lib->LastError(), kMpegNonSeekable);
    int64_t asked = -1;
    player.OnSeekStream = [&](TMPEGPlayer&, int64_t pos) { return asked = pos; };
    lib->Seek(200);
    EXPECT_EQ(lib->LastError(), 0);
    EXPECT_GT(asked, 0);
    EXPECT_LT(asked, static_cast<int64_t>(tone.size()));
    lib->deinit();
}

TEST(EditorAudioTest, PcmFileOutputWritesTheDecodedToneAsWave) {
    test::DummyAudio device;
    ASSERT_TRUE(device.IsOpen());
    test::TempDir dir;
    TMPEGPlayer player(AudioMpegLoader());
    player.LoadMpegLibrary();
    player.SetStreamName(test::MediaFile("tone.mp3").string());
    player.OutputDevice = MpegOutputDevice::pcmfile;
    // A file output without a file is an output failure.
    try {
        player.PlayStream();
        FAIL() << "no output file";
    } catch (const TMPEGError& e) {
        EXPECT_EQ(e.code(), kMpegOutputDevice);
    }
    player.CloseStream();
    player.OutFilename = (dir.Path() / "out.wav").string();
    player.PlayStream();
    EXPECT_TRUE(player.Ended());  // written whole at once
    EXPECT_EQ(player.GetPlayerMode(), kModeStopped);

    const std::optional<std::string> wav = ReadFileBytes(dir.Path() / "out.wav", 1 << 24);
    ASSERT_TRUE(wav);
    const std::optional<WaveInfo> info = ReadWaveMemory(*wav);
    ASSERT_TRUE(info);
    const audio::DeviceFormat format = audio::OpenFormat();
    EXPECT_EQ(info->format.formatTag, 1);
    EXPECT_EQ(info->format.bitsPerSample, 16);
    EXPECT_EQ(info->format.channels, format.channels);
    EXPECT_EQ(static_cast<int>(info->format.samplesPerSec), format.rate);
    // 0.4 s of a 440 Hz sine of amplitude 12000 (the decoder drops the
    // encoder's delay and padding; MP3 is lossy, so amplitudes are near).
    const int channels = format.channels;
    const size_t frames = info->dataSize / (2 * static_cast<size_t>(channels));
    EXPECT_NEAR(static_cast<double>(frames), 0.4 * format.rate, 0.03 * format.rate);
    int peak = 0, crossings = 0, last = 0;
    for (size_t f = 0; f < frames; ++f) {
        const size_t at = info->dataOffset + f * 2 * static_cast<size_t>(channels);
        const int v = static_cast<int16_t>(static_cast<uint8_t>((*wav)[at]) |
                                           (static_cast<uint8_t>((*wav)[at + 1]) << 8));
        peak = std::max(peak, std::abs(v));
        if ((v >= 0) != (last >= 0))
            ++crossings;
        last = v;
    }
    EXPECT_NEAR(peak, 12000, 1500);
    EXPECT_NEAR(crossings, 2 * 440 * 0.4, 12);
    player.UnloadMpegLibrary();
}

TEST(EditorAudioTest, ThePcmFileIsAWaveImageOfTheSamples) {
    const std::string wav = PcmWaveImage(22050, 2, std::string("\x01\x02\x03\x04", 4));
    const std::string expected(
        "RIFF"
        "\x28\x00\x00\x00"  // 36 + data bytes
        "WAVE"
        "fmt "
        "\x10\x00\x00\x00"  // format block of 16 bytes
        "\x01\x00"          // PCM
        "\x02\x00"          // channels
        "\x22\x56\x00\x00"  // 22050 frames per second
        "\x88\x58\x01\x00"  // 88200 bytes per second
        "\x04\x00"          // 4 bytes per frame
        "\x10\x00"          // 16 bits per sample
        "data"
        "\x04\x00\x00\x00"  // data bytes
        "\x01\x02\x03\x04",
        48);
    EXPECT_EQ(wav, expected);
}

}  // namespace
}  // namespace pk
