#include "platform/audio/decodepcm.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <climits>
#include <mutex>

#include "platform/audio/byterange.h"
#include "platform/audio/devicestate.h"

namespace pk::audio {

namespace {

std::optional<DecodedPcm> Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return std::nullopt;
}

// Takes the RWops over in every case.
std::optional<DecodedPcm> Decode(SDL_RWops* rw, size_t maxBytes, std::string* error) {
    auto& s = detail::State();
    std::shared_lock lock(s.mutex);
    if (!s.open) {
        SDL_RWclose(rw);
        return Fail(error, "no audio device");
    }
    // The device is opened for 16-bit samples in the machine's order; any
    // other format it was given would need converting here.
    if (s.format != AUDIO_S16LSB) {
        SDL_RWclose(rw);
        return Fail(error, "the device does not mix 16-bit little-endian samples");
    }
    Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 1);
    if (!chunk)
        return Fail(error, std::string("cannot decode: ") + Mix_GetError());
    std::optional<DecodedPcm> out;
    if (chunk->alen > maxBytes) {
        Fail(error, "the decoded samples are too large");
    } else {
        out.emplace();
        out->rate = s.rate;
        out->channels = s.channels;
        out->samples.assign(reinterpret_cast<const char*>(chunk->abuf), chunk->alen);
    }
    Mix_FreeChunk(chunk);
    return out;
}

}  // namespace

std::optional<DecodedPcm> DecodeFile(const std::filesystem::path& file, size_t maxBytes,
                                     std::string* error) {
    SDL_RWops* rw = OpenByteRange(file, 0, 0, error);
    if (!rw)
        return std::nullopt;
    return Decode(rw, maxBytes, error);
}

std::optional<DecodedPcm> DecodeBytes(std::string_view bytes, size_t maxBytes, std::string* error) {
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX))
        return Fail(error, "no bytes to decode");
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!rw)
        return Fail(error, std::string("out of memory: ") + SDL_GetError());
    return Decode(rw, maxBytes, error);
}

}  // namespace pk::audio
