#include "klb/wave.h"

#include "core/bytestream.h"

namespace pk {

namespace {

// RIFF layout: "RIFF", size u32, form type "WAVE", then chunks of
// id (4 bytes), size u32, data, and one pad byte after data of odd size.
struct Chunk {
    size_t dataPos = 0;
    uint64_t size = 0;  // as declared; may run past the image
};

// Finds the first chunk with the id among the chunks from begin to end.
std::optional<Chunk> FindChunk(std::string_view image, size_t begin, size_t end,
                               std::string_view id) {
    uint64_t pos = begin;
    while (pos + 8 <= end) {
        std::string_view head = image.substr(pos, 8);
        Chunk c{static_cast<size_t>(pos + 8), static_cast<uint32_t>(GetI32(head, 4))};
        if (head.substr(0, 4) == id)
            return c;
        pos += 8 + c.size + (c.size & 1);
    }
    return std::nullopt;
}

std::optional<WaveInfo> Fail(std::string* error, const char* text) {
    if (error)
        *error = text;
    return std::nullopt;
}

}  // namespace

std::optional<WaveInfo> ReadWaveMemory(std::string_view image, std::string* error) {
    if (image.empty())
        return Fail(error, "Couldn't open wave file ");
    // The first chunk's head is 8 bytes; a "RIFF" or "LIST" chunk carries its form type in 4
    // more, so it cannot be entered without them.
    const std::string_view firstId = image.substr(0, 4);
    if (image.size() < 8 || ((firstId == "RIFF" || firstId == "LIST") && image.size() < 12))
        return Fail(error, "Invalid multimedia file!");
    if (image.size() < 12 || firstId != "RIFF" || image.substr(8, 4) != "WAVE")
        return Fail(error, "Not a wave file!");
    uint64_t riffEnd = 8 + static_cast<uint64_t>(static_cast<uint32_t>(GetI32(image, 4)));
    size_t end = static_cast<size_t>(std::min<uint64_t>(riffEnd, image.size()));

    auto fmt = FindChunk(image, 12, end, "fmt ");
    if (!fmt)
        return Fail(error, "Couldn't find 'fmt' chunk!");
    if (fmt->size < 16)
        return Fail(error, "Abnormal 'fmt' size!");
    ByteReader r(image);
    r.seek(fmt->dataPos);
    WaveInfo info;
    info.format.formatTag = r.u16();
    info.format.channels = r.u16();
    info.format.samplesPerSec = r.u32();
    info.format.avgBytesPerSec = r.u32();
    info.format.blockAlign = r.u16();
    info.format.bitsPerSample = r.u16();
    if (!r.ok())
        return Fail(error, "Error reading 'fmt' chunk!");
    if (info.format.formatTag != 1) {
        // The extra size is read from the image, not the chunk: a 16-byte "fmt " chunk (as
        // float samples often have) reads on into the next chunk's head, which is harmless,
        // since only the 16 bytes are kept.
        r.u16();
        if (!r.ok())
            return Fail(error, "Error reading 'waveformatex' length!");
    }

    auto data = FindChunk(image, 12, end, "data");
    if (!data)
        return Fail(error, "Couldn't find 'data' chunk!");
    // A declared size past the image is cut to what is there, so the caller
    // never reads beyond the image.
    uint64_t available = image.size() - data->dataPos;
    info.dataSize = static_cast<uint32_t>(std::min<uint64_t>(data->size, available));
    info.dataCut = data->size > available;
    info.dataOffset = data->dataPos;
    return info;
}

}  // namespace pk
