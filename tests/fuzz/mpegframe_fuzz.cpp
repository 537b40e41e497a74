// The start of an MPEG audio stream as any bytes: a frame found has a
// documented layer, version, bitrate and frequency, and lies inside the bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editor/zrmpegframe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    pk::Id3v2TagSize(bytes);
    if (auto info = pk::FindFirstMpegFrame(bytes)) {
        if (info->layer < 1 || info->layer > 3 || info->bitrate < 8 || info->bitrate > 448 ||
            info->frequency < 8000 || info->frequency > 48000 || info->frameBytes <= 0)
            std::abort();
        if (info->version != 1 && info->version != 2 && info->version != 25)
            std::abort();
    }
    return 0;
}
