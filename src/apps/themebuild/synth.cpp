#include "apps/themebuild/synth.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/bytestream.h"

namespace pk::themebuild {

namespace {

// One sample of a wave at a phase (a full turn is 2^32), amplitude +-127 at volume 100.
int WaveSample(Wave wave, uint32_t phase, uint32_t& noise) {
    switch (wave) {
        case Wave::Square:
            return phase < 0x80000000u ? 127 : -127;
        case Wave::Pulse:
            return phase < 0x40000000u ? 127 : -127;
        case Wave::Triangle: {
            const int64_t p = phase >> 16;                            // 0..65535
            const int64_t tri = p < 32768 ? p * 2 : (65535 - p) * 2;  // 0..65534
            return static_cast<int>(tri * 254 / 65534) - 127;
        }
        case Wave::Saw:
            return static_cast<int>((phase >> 24)) - 128;
        case Wave::Noise:
            noise = noise * 1103515245u + 12345u;
            return static_cast<int>((noise >> 16) & 0xFF) - 128;
        case Wave::Rest:
            return 0;
    }
    return 0;
}

uint32_t PhaseStep(int64_t centiHz, int rate) {
    return static_cast<uint32_t>((centiHz << 32) / (100LL * rate));
}

// Linear attack over `attack` samples and release over `release` samples of n.
int Envelope(int i, int n, int attack, int release) {
    int level = 256;
    if (attack > 0 && i < attack)
        level = std::min(level, 256 * i / attack);
    if (release > 0 && i >= n - release)
        level = std::min(level, 256 * (n - i) / release);
    return level;
}

uint8_t ToUnsigned8(int v) {
    return static_cast<uint8_t>(std::clamp(v, -127, 127) + 128);
}

}  // namespace

std::string WavFile(const std::vector<uint8_t>& samples, int rate) {
    ByteWriter w;
    const auto dataSize = static_cast<int32_t>(samples.size());
    w.bytes("RIFF");
    w.i32(36 + dataSize);
    w.bytes("WAVE");
    w.bytes("fmt ");
    w.i32(16);
    w.u16(1);  // PCM
    w.u16(1);  // mono
    w.i32(rate);
    w.i32(rate);  // bytes a second
    w.u16(1);     // block align
    w.u16(8);     // bits a sample
    w.bytes("data");
    w.i32(dataSize);
    w.bytes(std::string_view(reinterpret_cast<const char*>(samples.data()), samples.size()));
    return std::move(w.out());
}

std::vector<uint8_t> RenderSound(const std::vector<SoundSegment>& segments, int rate) {
    std::vector<uint8_t> out;
    uint32_t phase = 0, noise = 0x1234567u;
    for (const SoundSegment& s : segments) {
        const int n = std::max(1, static_cast<int>(int64_t{rate} * s.millis / 1000));
        const int attack = rate / 400;  // 2.5 ms
        const int release = n * 3 / 10;
        for (int i = 0; i < n; ++i) {
            const int64_t f = int64_t{s.f0} * 100 + (int64_t{s.f1} - s.f0) * 100 * i / n;
            phase += PhaseStep(f, rate);
            const int v = WaveSample(s.wave, phase, noise) * s.volume / 100;
            out.push_back(ToUnsigned8(v * Envelope(i, n, attack, release) / 256));
        }
    }
    return out;
}

std::vector<uint8_t> RenderMusic(const std::vector<MusicVoice>& voices, int tempo, int rate) {
    const int eighth = static_cast<int>(int64_t{rate} * 60 / (int64_t{tempo} * 2));
    size_t length = 0;
    for (const MusicVoice& v : voices) {
        size_t len = 0;
        for (const MusicNote& n : v.notes)
            len += static_cast<size_t>(n.eighths) * static_cast<size_t>(eighth);
        length = std::max(length, len);
    }
    std::vector<int> mix(length, 0);
    for (const MusicVoice& v : voices) {
        size_t at = 0;
        uint32_t phase = 0, noise = 0x2468ACEu;
        for (const MusicNote& n : v.notes) {
            const int count = n.eighths * eighth;
            const uint32_t step = PhaseStep(n.centiHz, rate);
            for (int i = 0; i < count; ++i, ++at) {
                if (n.centiHz <= 0)
                    continue;
                phase += step;
                // A short attack, a fall to three quarters and a release at the end.
                int level = Envelope(i, count, rate / 300, count / 6);
                const int decay = rate / 10;
                if (i < decay)
                    level = level * (256 - 64 * i / decay) / 256;
                else
                    level = level * 192 / 256;
                mix[at] += WaveSample(v.wave, phase, noise) * v.volume / 100 * level / 256;
            }
        }
    }
    std::vector<uint8_t> out(length);
    for (size_t i = 0; i < length; ++i) out[i] = ToUnsigned8(mix[i]);
    return out;
}

int NoteCentiHz(std::string_view name) {
    if (name == "r" || name == "R")
        return 0;
    if (name.size() < 2)
        return -1;
    // Octave 4, C to B.
    static constexpr std::array<int, 12> kOctave4 = {26163, 27718, 29366, 31113, 32963, 34923,
                                                     36999, 39200, 41530, 44000, 46616, 49388};
    static constexpr std::string_view kLetters = "CDEFGAB";
    static constexpr std::array<int, 7> kSemis = {0, 2, 4, 5, 7, 9, 11};
    char letter = name[0];
    if (letter >= 'a' && letter <= 'g')
        letter = static_cast<char>(letter - 'a' + 'A');
    const size_t li = kLetters.find(letter);
    if (li == std::string_view::npos)
        return -1;
    int semi = kSemis[li];
    size_t i = 1;
    if (name[i] == '#') {
        ++semi;
        ++i;
    } else if (name[i] == 'b') {
        --semi;
        ++i;
    }
    if (i + 1 != name.size() || name[i] < '0' || name[i] > '8')
        return -1;
    int octave = name[i] - '0';
    if (semi < 0) {
        semi += 12;
        --octave;
    } else if (semi > 11) {
        semi -= 12;
        ++octave;
    }
    int64_t f = kOctave4[static_cast<size_t>(semi)];
    for (; octave > 4; --octave) f *= 2;
    for (; octave < 4; ++octave) f /= 2;
    return static_cast<int>(f);
}

bool WaveOf(std::string_view name, Wave& wave) {
    static constexpr std::pair<std::string_view, Wave> kNames[] = {
        {"square", Wave::Square}, {"pulse", Wave::Pulse}, {"triangle", Wave::Triangle},
        {"saw", Wave::Saw},       {"noise", Wave::Noise}, {"rest", Wave::Rest}};
    for (const auto& [n, w] : kNames) {
        if (n == name) {
            wave = w;
            return true;
        }
    }
    return false;
}

}  // namespace pk::themebuild
