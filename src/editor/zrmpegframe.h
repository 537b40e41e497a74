// The first audio frame of an MPEG audio stream, read from its header: what
// the decoder reports as the stream's layer, bitrate and sampling frequency.
//
// Frame header, 4 bytes, most significant bit first:
//   11 bits  sync, all ones
//    2 bits  version: 00 MPEG 2.5, 01 reserved, 10 MPEG 2, 11 MPEG 1
//    2 bits  layer: 00 reserved, 01 layer III, 10 layer II, 11 layer I
//    1 bit   no CRC
//    4 bits  bitrate index (0 free format, 15 invalid)
//    2 bits  sampling frequency index (3 reserved)
//    1 bit   padding
//    9 bits  private bit, channel mode, extension, copyright, original, emphasis
// A stream may begin with an ID3v2 tag: "ID3", version (2 bytes), flags
// (bit 4: a 10-byte footer follows), size in four 7-bit bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace pk {

struct MpegFrameInfo {
    int version = 1;  // 1, 2, or 25 for MPEG 2.5
    int layer = 3;
    int bitrate = 0;    // kbit/s
    int frequency = 0;  // Hz
    int frameBytes = 0;
};

// The header at the start of `bytes`, when it is a valid one.
std::optional<MpegFrameInfo> ParseMpegFrameHeader(std::string_view bytes);
// The bytes an ID3v2 tag at the start takes (0 without one).
size_t Id3v2TagSize(std::string_view bytes);
// The first frame after a leading ID3v2 tag. A header counts only when the
// frame after it starts with the same version and layer, or when that frame
// would lie past the bytes given.
std::optional<MpegFrameInfo> FindFirstMpegFrame(std::string_view bytes);

}  // namespace pk
