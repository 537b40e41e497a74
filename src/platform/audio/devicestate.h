#pragma once
// What the device, its voices and the music piece share inside this library.
#include <atomic>
#include <cstdint>
#include <shared_mutex>

namespace pk::audio::detail {

struct DeviceState {
    // Opening and closing take it exclusively, everything else shared: a
    // voice or a piece never sees the device go away under it.
    std::shared_mutex mutex;
    bool open = false;
    // Counts the openings, so that a voice or piece made for an earlier
    // opening leaves the mixer alone.
    uint64_t generation = 0;
    int rate = 0;
    int channels = 0;
    uint16_t format = 0;  // SDL_AudioFormat
    // The piece that owns the music channel (its generation-stamped id).
    std::atomic<uint64_t> musicOwner{0};
};

DeviceState& State();

}  // namespace pk::audio::detail
