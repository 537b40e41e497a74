// The pages' previews: a sound played from memory, and music written to the
// preview file beside the program and played by the MIDI or the MP3 player.
// The players are interfaces here; the audio layer provides the real ones.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "editor/MPEGPlay.h"
#include "editor/zrdoc.h"

namespace pk {

// Plays a WAV file held in memory and returns when it has ended.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual bool PlaySync(const std::string& wav) = 0;
};

// A MIDI file player, opened on one file at a time.
class MidiPlayer {
public:
    virtual ~MidiPlayer() = default;
    virtual bool Open(const std::filesystem::path& file) = 0;
    virtual bool Play() = 0;
    virtual void Stop() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool Playing() const = 0;
};

// The payload of a sound or music entry: its chosen file, the bytes held in
// memory, or its part of the source file. nullopt when it cannot be read.
std::optional<std::string> EntryPayload(const TZRC& e, const std::filesystem::path& programFolder);

class MusicPreview {
public:
    // Either player may be missing (no device, no decoder): its kind is then
    // written but not played.
    MusicPreview(MidiPlayer* midi, TMPEGPlayer* mp3) : midi_(midi), mp3_(mp3) {}

    // CannotPreview: a type no player here reads; nothing was written.
    enum class Outcome { Stopped, Started, NotPlayed, CannotPreview };
    // The music page's play button. Never raises.
    Outcome Toggle(const TZRC& e, const KledDoc& doc);
    // Stops and closes both players; never raises.
    void Release();
    bool Mp3Playing();

private:
    MidiPlayer* midi_;
    TMPEGPlayer* mp3_;
};

// What the music page says of a tune whose type the editor has no player for.
std::string CannotPreviewMessage(const std::string& fileType);

// Plays a sound entry; false when it cannot be read or played.
bool PlaySoundPreview(SoundPlayer* player, const TZRC& e, const KledDoc& doc);

}  // namespace pk
