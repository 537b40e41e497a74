// The default theme's sounds and music, made by code: every sample comes from integer phase
// accumulators and envelopes, so the bytes are the same on every machine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pk::themebuild {

enum class Wave { Square, Pulse, Triangle, Saw, Noise, Rest };

// One piece of a sound effect: a wave gliding from f0 to f1 (Hz) over a time, at a volume
// from 0 to 100.
struct SoundSegment {
    Wave wave = Wave::Square;
    int f0 = 440;
    int f1 = 440;
    int millis = 100;
    int volume = 60;
};

// A voice of the music: a wave at a volume and its notes, each a frequency in hundredths of a
// hertz (0 for a rest) and a length in eighth notes.
struct MusicNote {
    int centiHz = 0;
    int eighths = 1;
};
struct MusicVoice {
    Wave wave = Wave::Square;
    int volume = 50;
    std::vector<MusicNote> notes;
};

inline constexpr int kSoundRate = 22050;

// A PCM WAV file, 8-bit unsigned mono, of the samples.
std::string WavFile(const std::vector<uint8_t>& samples, int rate);

std::vector<uint8_t> RenderSound(const std::vector<SoundSegment>& segments, int rate);
// The voices mixed; the piece lasts as long as its longest voice. tempo in quarter notes a
// minute.
std::vector<uint8_t> RenderMusic(const std::vector<MusicVoice>& voices, int tempo, int rate);

// "A4", "c#5", "Bb3" -> hundredths of a hertz; "r" a rest (0); -1 when not a note.
int NoteCentiHz(std::string_view name);
// "square", "pulse", "triangle", "saw", "noise", "rest"; false for another word.
bool WaveOf(std::string_view name, Wave& wave);

}  // namespace pk::themebuild
