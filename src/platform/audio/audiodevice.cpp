#include "platform/audio/audiodevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/audio/audiolog.h"
#include "platform/audio/devicestate.h"

namespace pk::audio {

namespace detail {

DeviceState& State() {
    static DeviceState state;
    return state;
}

}  // namespace detail

namespace {

using detail::State;

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kChunkFrames = 1024;
constexpr int kFirstVoices = 16;
// Effects are short and reaped at each play; more than this many at once is a
// runaway caller, not a game.
constexpr int kMaxVoices = 256;

std::string SdlError(const char* what) {
    return std::string(what) + ": " + SDL_GetError();
}

}  // namespace

bool OpenDevice(const DeviceOptions& options) {
    auto& s = State();
    std::unique_lock lock(s.mutex);
    if (s.open)
        return true;
    // An earlier opening's choice of driver does not stick to this one.
    if (options.driver.empty())
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    else
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, options.driver.c_str(), SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        Log(SdlError("no audio device, playing nothing"));
        return false;
    }
    // A decoder that is missing only costs its kind of music; the rest plays.
    const int wanted = MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_MOD | MIX_INIT_MID;
    if ((Mix_Init(wanted) & wanted) != wanted)
        Log(SdlError("some music decoders are missing"));
    if (!options.soundFont.empty() && !SDL_getenv("SDL_SOUNDFONTS")) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(options.soundFont, ec))
            Mix_SetSoundFonts(options.soundFont.c_str());
        else
            Log("no soundfont at " + options.soundFont + ", MIDI music stays silent");
    }
    if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, kChannels, kChunkFrames, nullptr,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE) !=
        0) {
        Log(SdlError("cannot open the audio device, playing nothing"));
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    Mix_AllocateChannels(kFirstVoices);
    s.rate = rate;
    s.channels = channels;
    s.format = format;
    s.open = true;
    ++s.generation;
    return true;
}

void CloseDevice() {
    auto& s = State();
    std::unique_lock lock(s.mutex);
    if (!s.open)
        return;
    Mix_HaltMusic();
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.open = false;
    s.musicOwner = 0;
}

bool DeviceOpen() {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    return s.open;
}

DeviceFormat OpenFormat() {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (!s.open)
        return {};
    return {s.rate, s.channels};
}

struct Voice::Impl {
    uint64_t generation = 0;
    int channel = -1;
    Mix_Chunk* chunk = nullptr;
    std::vector<uint8_t> samples;  // what the chunk plays; the chunk does not own it
};

Voice::Voice(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Voice::~Voice() {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (s.open && s.generation == impl_->generation) {
        if (Mix_GetChunk(impl_->channel) == impl_->chunk)
            Mix_HaltChannel(impl_->channel);
        // Also halts the chunk wherever it still plays, before its samples go.
        Mix_FreeChunk(impl_->chunk);
    } else {
        // The device that played it is gone; only the record is left.
        SDL_free(impl_->chunk);
    }
}

bool Voice::Playing() const {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    return s.open && s.generation == impl_->generation && Mix_Playing(impl_->channel) &&
           Mix_GetChunk(impl_->channel) == impl_->chunk;
}

namespace {

// Input frames a rate change holds back: SDL's resampler keeps up to 512 frames of
// the source (more when it lowers the rate) for the filter's right side and lets
// them out only when more input follows; a flush alone does not (SDL 2.26). Twice
// that, rounded up to whole rate ratios, is fed as silence after the effect.
constexpr size_t kResamplerHeldFrames = 512;

size_t SilentTailFrames(int inRate, int outRate) {
    if (inRate == outRate)
        return 0;
    const int64_t ratio = (int64_t{inRate} + outRate - 1) / outRate;
    return 2 * kResamplerHeldFrames * static_cast<size_t>(std::max<int64_t>(ratio, 1));
}

// The samples in the device's format, or empty (logged) when they cannot be
// converted. The effect's last frames come out too: silence after them pushes
// them through the resampler, and the output is cut back to the effect's length.
std::vector<uint8_t> Convert(const PcmFormat& in, std::string_view samples,
                             const detail::DeviceState& s) {
    const SDL_AudioFormat from = in.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    const size_t frame = static_cast<size_t>(in.channels) * (in.bits / 8);
    const size_t frames = samples.size() / frame;  // a partial last frame is dropped
    const size_t outFrame = static_cast<size_t>(s.channels) * (SDL_AUDIO_BITSIZE(s.format) / 8);
    const long double outBytes =
        static_cast<long double>(frames) * s.rate / in.rate * static_cast<long double>(outFrame);
    const size_t tail = SilentTailFrames(in.rate, s.rate);
    if (outBytes > kMaxVoiceBytes || tail > kMaxVoiceBytes / frame) {
        Log("effect too long to play (" + std::to_string(frames) + " frames at " +
            std::to_string(in.rate) + " Hz)");
        return {};
    }
    SDL_AudioStream* stream = SDL_NewAudioStream(from, static_cast<Uint8>(in.channels), in.rate,
                                                 s.format, static_cast<Uint8>(s.channels), s.rate);
    if (!stream) {
        Log(SdlError("cannot convert the effect"));
        return {};
    }
    const std::vector<uint8_t> silence(tail * frame, in.bits == 8 ? 0x80 : 0x00);
    std::vector<uint8_t> out;
    bool ok = SDL_AudioStreamPut(stream, samples.data(), static_cast<int>(frames * frame)) == 0 &&
              (silence.empty() ||
               SDL_AudioStreamPut(stream, silence.data(), static_cast<int>(silence.size())) == 0) &&
              SDL_AudioStreamFlush(stream) == 0;
    if (ok) {
        out.resize(static_cast<size_t>(SDL_AudioStreamAvailable(stream)));
        const int got = SDL_AudioStreamGet(stream, out.data(), static_cast<int>(out.size()));
        ok = got >= 0;
        if (ok) {
            const size_t wanted =
                static_cast<size_t>(static_cast<long double>(frames) * s.rate / in.rate) * outFrame;
            const size_t whole = static_cast<size_t>(got) - static_cast<size_t>(got) % outFrame;
            out.resize(std::min(whole, wanted));
        }
    }
    SDL_FreeAudioStream(stream);
    if (!ok) {
        Log(SdlError("cannot convert the effect"));
        return {};
    }
    return out;
}

// A free channel for the chunk, adding channels while there are fewer than
// kMaxVoices.
int StartOnFreeChannel(Mix_Chunk* chunk) {
    for (;;) {
        const int channel = Mix_PlayChannel(-1, chunk, 0);
        if (channel >= 0)
            return channel;
        const int have = Mix_AllocateChannels(-1);
        if (have >= kMaxVoices)
            return -1;
        Mix_AllocateChannels(std::min(have * 2, kMaxVoices));
    }
}

}  // namespace

std::unique_ptr<Voice> PlayPcm(const PcmFormat& format, std::string_view samples) {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (!s.open)
        return nullptr;
    if ((format.bits != 8 && format.bits != 16) || format.channels < 1 || format.channels > 2 ||
        format.rate <= 0) {
        Log("effect format not playable: " + std::to_string(format.bits) + " bits, " +
            std::to_string(format.channels) + " channels, " + std::to_string(format.rate) + " Hz");
        return nullptr;
    }
    auto impl = std::make_unique<Voice::Impl>();
    impl->samples = Convert(format, samples, s);
    if (impl->samples.empty())
        return nullptr;
    impl->chunk =
        Mix_QuickLoad_RAW(impl->samples.data(), static_cast<Uint32>(impl->samples.size()));
    if (!impl->chunk) {
        Log(SdlError("cannot make a voice"));
        return nullptr;
    }
    impl->generation = s.generation;
    impl->channel = StartOnFreeChannel(impl->chunk);
    if (impl->channel < 0) {
        Log(SdlError("no free voice"));
        Mix_FreeChunk(impl->chunk);
        return nullptr;
    }
    return std::unique_ptr<Voice>(new Voice(std::move(impl)));
}

int PlayingVoices() {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    return s.open ? Mix_Playing(-1) : 0;
}

}  // namespace pk::audio
