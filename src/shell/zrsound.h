#pragma once
// Theme sound effects: WAV images played once each on a voice of their own, so
// that effects overlap. One list, the client's `SoundList`, lives from the main
// window's creation to its close; everything runs on the main thread.
//
// Nothing here ever fails its caller: a WAV that is not one, that the device
// cannot play or whose sample data is missing or cut is logged by the audio
// layer's log and plays nothing; without a device every play is silent.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "klb/wave.h"
#include "platform/audio/audiodevice.h"

namespace pk {

// The device format of a WAV's samples: PCM of 8 (unsigned) or 16 (signed)
// bits, one or two channels, any rate, sample data wholly inside the image.
// nullopt, with the reason, for anything else.
std::optional<audio::PcmFormat> PlayableWave(const WaveInfo& info, std::string* why = nullptr);

class TZRSoundList {
public:
    TZRSoundList() = default;
    ~TZRSoundList();  // stops every effect
    TZRSoundList(const TZRSoundList&) = delete;
    TZRSoundList& operator=(const TZRSoundList&) = delete;

    // Plays the WAV image once. With stopOthers every effect still sounding
    // stops first; otherwise the finished ones are reaped. The image is the
    // list's whatever happens, and no failure reaches the caller.
    void SoundPlay(std::string wav, bool stopOthers) noexcept;
    void StopAllSounds() noexcept;
    // Drops the voices that have finished.
    void ReapSounds() noexcept;

    // Voices in the list: those sounding and those finished but not reaped.
    int Count() const { return static_cast<int>(voices_.size()); }
    // Voices of the list still sounding.
    int PlayingCount() const;

private:
    std::vector<std::unique_ptr<audio::Voice>> voices_;
};

}  // namespace pk
