// The client's audio service over its life: created with the main window,
// effects and music through the shell's interface, freed at close without a
// hang, and silent but working when there is no device.
#include "shell/zraudio.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "game/zrgame.h"
#include "platform/audio/audiodevice.h"
#include "support/audio_fixture.h"
#include "support/media.h"
#include "support/qtapp.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

class SettingsSelection : public MusicSelection {
public:
    TZRTheme& SelectedTheme() override { return Settings.theme; }
    void SelectMusic(const std::string& file, TZRC* entry) override {
        Settings.theme.externalMusicFile = file;
        Settings.theme.selectedMusic = entry;
    }
};

class ClientAudioTest : public testing::Test {
protected:
    void SetUp() override {
        test::EnsureQtApp();
        FreeTheme(Settings.theme);
        Settings.options = tclientoptions{};
    }
    void TearDown() override {
        audio_.FreeAudio();
        FreeTheme(Settings.theme);
        Settings.options = tclientoptions{};
    }
    test::TempDir dir_;
    SettingsSelection selection_;
    ClientAudio audio_{dir_.Path(), selection_};
};

TEST_F(ClientAudioTest, PlaysEffectsAndMusicAndClosesWhilePlaying) {
    auto lib = test::SaveLibrary(
        dir_.Path() / "t.klb",
        {test::MainEntry("Main", "*"), test::MusicEntry("Mod", "*", test::MakeModule(), "mod")});
    ASSERT_TRUE(LoadTheme(lib, "x", Settings.theme, {}, dir_.Path()));
    Settings.theme.selectedMusic = FindMusicEntry("mod", Settings.theme);
    Settings.options.loopallmusic = 0;

    audio_.CreateAudio();
    ASSERT_TRUE(audio::DeviceOpen());  // the tests' dummy driver
    audio_.PlaySound(test::ConstantWav(44100, 50), false);
    audio_.PlaySound(test::ConstantWav(44100, 50), false);
    EXPECT_EQ(audio_.SoundList()->Count(), 2);
    audio_.StopAllSounds();
    EXPECT_EQ(audio_.SoundList()->Count(), 0);

    audio_.MusicRequest();
    EXPECT_FALSE(audio_.MusicThread()->LoopAllMusic());
    // "Loop all" ticked on the theme page reaches the piece already playing.
    Settings.options.loopallmusic = 1;
    audio_.LoopAllChanged();
    EXPECT_TRUE(audio_.MusicThread()->LoopAllMusic());
    Settings.options.loopallmusic = 0;
    audio_.LoopAllChanged();
    ASSERT_TRUE(test::WaitFor([&] { return audio_.MusicThread()->Loads() == 1; }));
    audio_.PlaySound(test::ConstantWav(44100, 50), false);
    audio_.FreeAudio();  // music and an effect still sounding
    EXPECT_FALSE(audio::DeviceOpen());
    EXPECT_EQ(audio_.SoundList(), nullptr);
    // Every call after the close is harmless.
    audio_.PlaySound(test::ConstantWav(10, 1), true);
    audio_.MusicRequest();
    audio_.MusicStopRequest();
    audio_.StopAllSounds();
    audio_.FreeAudio();
}

TEST_F(ClientAudioTest, StartsSilentlyWithoutADevice) {
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = before ? before : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    test::AudioLogCatcher log;
    audio_.CreateAudio();
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    EXPECT_FALSE(audio::DeviceOpen());
    EXPECT_TRUE(log.Has("no audio device"));
    audio_.PlaySound(test::ConstantWav(100, 5), false);
    EXPECT_EQ(audio_.SoundList()->Count(), 0);
    audio_.MusicRequest();
    audio_.MusicStopRequest();
    audio_.FreeAudio();
}

}  // namespace
}  // namespace pk
