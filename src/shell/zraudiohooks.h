// The client's sound effects and music as the rest of the shell drives them. The audio unit
// (the sound list and the music thread) installs the real service; until then nothing sounds
// and every call returns at once.
#pragma once

#include <string>

namespace pk {

class ShellAudio {
public:
    virtual ~ShellAudio() = default;
    // The main window's creation: the sound list and the music thread.
    virtual void CreateAudio() {}
    // Plays a WAV image once; with stopOthers every effect still sounding stops first. Never
    // fails its caller.
    virtual void PlaySound(std::string wav, bool stopOthers) {
        (void)wav;
        (void)stopOthers;
    }
    virtual void StopAllSounds() {}
    // Plays the music of the settings' theme selection (Settings.theme).
    virtual void MusicRequest() {}
    // Stops the music, and a play that was requested and has not started yet.
    virtual void MusicStopRequest() {}
    // The "loopallmusic" option changed: the piece playing now follows it.
    virtual void LoopAllChanged() {}
    // The main window's close: ends the music thread and frees the sound list. Must return
    // promptly whatever the thread is doing.
    virtual void FreeAudio() {}
};

// The installed service; never null. Installing nullptr restores the silent one.
ShellAudio& Audio();
void SetShellAudio(ShellAudio* audio);

}  // namespace pk
