#pragma once
// A whole piece decoded at once into samples, for writing them to a file
// instead of the device. Decoding takes the open device's mixing format.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pk::audio {

struct DecodedPcm {
    int rate = 0;
    int channels = 0;
    // Signed 16-bit little-endian samples, channels interleaved.
    std::string samples;
};

// Decodes a file, or bytes in memory, in any format the music channel plays
// except MIDI. nullopt, with the reason in *error, without a device, when
// the decoder refuses the bytes, or when the samples would pass `maxBytes`.
std::optional<DecodedPcm> DecodeFile(const std::filesystem::path& file, size_t maxBytes,
                                     std::string* error = nullptr);
std::optional<DecodedPcm> DecodeBytes(std::string_view bytes, size_t maxBytes,
                                      std::string* error = nullptr);

}  // namespace pk::audio
