#include "editor/zrmpegframe.h"

#include <cstdint>

namespace pk {

namespace {

// kbit/s by [MPEG 1 or not][layer - 1][index].
constexpr int kBitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, -1},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, -1},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, -1},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1}}};

// Hz by [version bits][index].
constexpr int kFrequencies[4][3] = {
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

uint8_t At(std::string_view bytes, size_t i) {
    return static_cast<uint8_t>(bytes[i]);
}

}  // namespace

std::optional<MpegFrameInfo> ParseMpegFrameHeader(std::string_view bytes) {
    if (bytes.size() < 4 || At(bytes, 0) != 0xFF || (At(bytes, 1) & 0xE0) != 0xE0)
        return std::nullopt;
    const int versionBits = (At(bytes, 1) >> 3) & 3;
    const int layerBits = (At(bytes, 1) >> 1) & 3;
    const int bitrateIndex = At(bytes, 2) >> 4;
    const int frequencyIndex = (At(bytes, 2) >> 2) & 3;
    const int padding = (At(bytes, 2) >> 1) & 1;
    // Free-format streams carry no bitrate to report: not taken.
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        frequencyIndex == 3)
        return std::nullopt;
    MpegFrameInfo info;
    info.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    info.layer = 4 - layerBits;
    info.bitrate = kBitrates[info.version == 1 ? 0 : 1][info.layer - 1][bitrateIndex];
    info.frequency = kFrequencies[versionBits][frequencyIndex];
    const int bits = info.bitrate * 1000;
    if (info.layer == 1)
        info.frameBytes = (12 * bits / info.frequency + padding) * 4;
    else if (info.layer == 3 && info.version != 1)
        info.frameBytes = 72 * bits / info.frequency + padding;
    else
        info.frameBytes = 144 * bits / info.frequency + padding;
    return info;
}

size_t Id3v2TagSize(std::string_view bytes) {
    if (bytes.size() < 10 || bytes.substr(0, 3) != "ID3")
        return 0;
    size_t size = 0;
    for (size_t i = 6; i < 10; ++i) {
        if (At(bytes, i) & 0x80)
            return 0;  // not a tag size
        size = (size << 7) | At(bytes, i);
    }
    const bool footer = At(bytes, 5) & 0x10;
    return 10 + size + (footer ? 10 : 0);
}

std::optional<MpegFrameInfo> FindFirstMpegFrame(std::string_view bytes) {
    const size_t start = Id3v2TagSize(bytes);
    for (size_t i = start; i + 4 <= bytes.size(); ++i) {
        std::optional<MpegFrameInfo> info = ParseMpegFrameHeader(bytes.substr(i));
        if (!info)
            continue;
        const size_t next = i + static_cast<size_t>(info->frameBytes);
        if (next + 4 > bytes.size())
            return info;
        std::optional<MpegFrameInfo> after = ParseMpegFrameHeader(bytes.substr(next));
        if (after && after->version == info->version && after->layer == info->layer)
            return info;
    }
    return std::nullopt;
}

}  // namespace pk
