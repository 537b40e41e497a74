// RIFF WAVE images held in memory: finds the format header and the sample data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pk {

// The 16 bytes of the "fmt " chunk that every WAVE format starts with.
struct WaveFormat {
    uint16_t formatTag = 0;  // 1 is PCM
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

struct WaveInfo {
    WaveFormat format;
    uint32_t dataSize = 0;  // bytes of sample data, never more than the image holds
    size_t dataOffset = 0;  // position of the first sample byte in the image
    // The "data" chunk declares more bytes than the image holds (dataSize is
    // what is there): a player refuses such an image, an editor may keep it.
    bool dataCut = false;
};

// Reads a WAVE image. On failure returns nullopt and sets *error to the
// reader's message ("Not a wave file!", "Couldn't find 'fmt' chunk!", ...).
std::optional<WaveInfo> ReadWaveMemory(std::string_view image, std::string* error = nullptr);

}  // namespace pk
