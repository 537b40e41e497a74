#pragma once
// The client's audio service: the one device, opened when the main window is
// created, the sound list for theme effects and the music thread, closed in
// that order's reverse when the window closes. Without a device the client
// runs on in silence.
#include <filesystem>
#include <memory>

#include "shell/zraudiohooks.h"
#include "shell/zrmusic.h"
#include "shell/zrsound.h"

namespace pk {

class MainThreadBridge;

// The theme page's music choice: the settings' theme, changed through
// ThemeSetMusic without a restart.
class ThemeMusicSelection : public MusicSelection {
public:
    TZRTheme& SelectedTheme() override;
    void SelectMusic(const std::string& file, TZRC* entry) override;
};

class ClientAudio : public ShellAudio {
public:
    // The client's: the program folder's "tmp.mid", the theme page's choice.
    ClientAudio();
    // `selection` is the music choice the thread reads and moves; it must
    // outlive the service.
    ClientAudio(std::filesystem::path programFolder, MusicSelection& selection);
    ~ClientAudio() override;

    void CreateAudio() override;
    void PlaySound(std::string wav, bool stopOthers) override;
    void StopAllSounds() override;
    void MusicRequest() override;
    void MusicStopRequest() override;
    void LoopAllChanged() override;
    void FreeAudio() override;

    TZRSoundList* SoundList() { return sounds_.get(); }
    TZRMusicThread* MusicThread() { return music_.get(); }

private:
    std::filesystem::path programFolder_;
    ThemeMusicSelection themeSelection_;
    MusicSelection& selection_;
    std::unique_ptr<MainThreadBridge> bridge_;
    std::unique_ptr<TZRSoundList> sounds_;
    std::unique_ptr<TZRMusicThread> music_;
};

}  // namespace pk
