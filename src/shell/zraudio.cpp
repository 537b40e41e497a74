#include "shell/zraudio.h"

#include "game/zrgame.h"
#include "platform/audio/audiodevice.h"
#include "platform/threadbridge.h"
#include "shell/zrshell.h"
#include "shell/zrthemesel.h"

namespace pk {

TZRTheme& ThemeMusicSelection::SelectedTheme() {
    return Settings.theme;
}

void ThemeMusicSelection::SelectMusic(const std::string& file, TZRC* entry) {
    ThemeSetMusic(file, entry, false, false);
}

ClientAudio::ClientAudio() : selection_(themeSelection_) {}

ClientAudio::ClientAudio(std::filesystem::path programFolder, MusicSelection& selection)
    : programFolder_(std::move(programFolder)), selection_(selection) {}

ClientAudio::~ClientAudio() {
    FreeAudio();
}

void ClientAudio::CreateAudio() {
    if (sounds_)
        return;
    if (programFolder_.empty())
        programFolder_ = ProgramFolder;
    audio::OpenDevice();  // a failure is logged; everything below then plays nothing
    bridge_ = std::make_unique<MainThreadBridge>();
    sounds_ = std::make_unique<TZRSoundList>();
    MainThreadBridge* bridge = bridge_.get();
    music_ = std::make_unique<TZRMusicThread>(
        programFolder_, [bridge](std::function<void()> work) { bridge->post(std::move(work)); },
        &selection_);
    music_->SetLoopAllMusic(Settings.options.loopallmusic != 0);
    music_->Start();
}

void ClientAudio::PlaySound(std::string wav, bool stopOthers) {
    if (sounds_)
        sounds_->SoundPlay(std::move(wav), stopOthers);
}

void ClientAudio::StopAllSounds() {
    if (sounds_)
        sounds_->StopAllSounds();
}

void ClientAudio::MusicRequest() {
    if (!music_)
        return;
    music_->SetLoopAllMusic(Settings.options.loopallmusic != 0);
    music_->MusicRequest(selection_.SelectedTheme());
}

void ClientAudio::MusicStopRequest() {
    if (music_)
        music_->MusicStopRequest();
}

void ClientAudio::LoopAllChanged() {
    if (music_)
        music_->SetLoopAllMusic(Settings.options.loopallmusic != 0);
}

void ClientAudio::FreeAudio() {
    // The thread first: it never waits for the main thread, so this returns
    // promptly; what it posted and is still queued is dropped with the bridge.
    if (music_)
        music_->Shutdown();
    if (bridge_)
        bridge_->shutdown();
    music_.reset();
    sounds_.reset();
    bridge_.reset();
    audio::CloseDevice();
}

}  // namespace pk
