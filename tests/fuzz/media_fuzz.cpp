// BMP and WAVE readers: any bytes decode or fail without reading outside them, and
// a WAVE the sound list accepts is one the device layer plays;
// a decoded bitmap encodes and decodes to the same pixels.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "gfx/dib.h"
#include "klb/wave.h"
#include "shell/zrsound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto info = pk::ReadWaveMemory(bytes)) {
        if (info->dataOffset > size || info->dataSize > size - info->dataOffset)
            std::abort();
        // What the sound list accepts is plain PCM that the device layer takes as it is.
        if (auto pcm = pk::PlayableWave(*info)) {
            if ((pcm->bits != 8 && pcm->bits != 16) || pcm->channels < 1 || pcm->channels > 2 ||
                pcm->rate <= 0 || info->dataCut)
                std::abort();
        }
    }
    if (auto img = pk::DecodeBmp(bytes)) {
        if (img->pixels.size() > 4096 * 4096)
            return 0;
        auto encoded = pk::EncodeBmp(*img, 32);
        if (!encoded)
            std::abort();
        auto back = pk::DecodeBmp(*encoded);
        if (!back || back->pixels != img->pixels)
            std::abort();
    }
    return 0;
}
