#include "shell/zrsound.h"

#include <algorithm>

#include "platform/audio/audiolog.h"

namespace pk {

namespace {

std::optional<audio::PcmFormat> Refuse(std::string* why, std::string text) {
    if (why)
        *why = std::move(text);
    return std::nullopt;
}

}  // namespace

std::optional<audio::PcmFormat> PlayableWave(const WaveInfo& info, std::string* why) {
    const WaveFormat& f = info.format;
    if (f.formatTag != 1)
        return Refuse(why, "not PCM (format " + std::to_string(f.formatTag) + ")");
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16)
        return Refuse(why, std::to_string(f.bitsPerSample) + "-bit samples");
    if (f.channels != 1 && f.channels != 2)
        return Refuse(why, std::to_string(f.channels) + " channels");
    if (f.samplesPerSec == 0 || f.samplesPerSec > 1'000'000)
        return Refuse(why, "sample rate " + std::to_string(f.samplesPerSec));
    if (f.blockAlign != f.channels * f.bitsPerSample / 8)
        return Refuse(why, "block size " + std::to_string(f.blockAlign) + " does not fit");
    if (info.dataCut)
        return Refuse(why, "sample data cut short");
    return audio::PcmFormat{f.channels, static_cast<int>(f.samplesPerSec), f.bitsPerSample};
}

TZRSoundList::~TZRSoundList() {
    StopAllSounds();
}

void TZRSoundList::SoundPlay(std::string wav, bool stopOthers) noexcept {
    try {
        if (stopOthers)
            StopAllSounds();
        else
            ReapSounds();
        std::string why;
        auto info = ReadWaveMemory(wav, &why);
        if (!info) {
            audio::Log("effect not played: " + why);
            return;
        }
        auto format = PlayableWave(*info, &why);
        if (!format) {
            audio::Log("effect not played: " + why);
            return;
        }
        auto voice =
            audio::PlayPcm(*format, std::string_view(wav).substr(info->dataOffset, info->dataSize));
        if (voice)
            voices_.push_back(std::move(voice));
    } catch (const std::exception& e) {
        audio::Log(std::string("effect not played: ") + e.what());
    } catch (...) {
        audio::Log("effect not played");
    }
}

void TZRSoundList::StopAllSounds() noexcept {
    voices_.clear();
}

void TZRSoundList::ReapSounds() noexcept {
    std::erase_if(voices_, [](const auto& v) { return !v->Playing(); });
}

int TZRSoundList::PlayingCount() const {
    return static_cast<int>(
        std::count_if(voices_.begin(), voices_.end(), [](const auto& v) { return v->Playing(); }));
}

}  // namespace pk
