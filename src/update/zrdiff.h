#pragma once
// Rebuilding a file from its old version and a difference stream.
//
// The stream is a sequence of blocks; each consumes L bytes of the old file
// (read into the old block at every block) and adds bytes to the output.
// Integers are little-endian; positions in a copy table count from 1.
//
//   u32 L                      old bytes this block consumes
//   u8  kind                   0 literal block, 1 rebuilt block
//   kind 0:
//     u32 n                    literal bytes; 0 ends the stream
//     u32 crc                  CRC-32 of the n bytes (absent when n = 0)
//     n bytes                  copied to the output
//   kind 1:
//     u32 result crc           CRC-32 of the rebuilt block
//     u32 old crc              CRC-32 of the L old bytes
//     u32 literal length
//     u32 table length         12 bytes per entry
//     literal bytes
//     table entries:           u16 copy length, 2 bytes unused,
//                              u32 source position in the old block,
//                              u32 target position in the rebuilt block
//
// Rebuilding walks the table in order: the literals fill the gap up to each
// entry's target position, then the entry copies from the old block. Every
// part of a block (old bytes, literals, table, rebuilt bytes) fits in
// DiffBufferSize bytes.
#include <cstddef>
#include <functional>
#include <string>

#include "core/zrinflate.h"

namespace pk {

inline constexpr std::size_t DiffBufferSize = 2u * 1024u * 1024u;

// The error every CRC mismatch and unknown block kind raises.
inline constexpr const char* DiffCrcError = "CRC Error";

struct DiffResult {
    bool ok = true;
    std::string error;  // what failed, for the log
    std::size_t written = 0;
};

// Rebuilds into `output` from `diff` and the old file `old`. `progress`, when
// given, runs after every block. The output is capped at `maxOutput` bytes.
// On failure the output holds a partial file that must not be used.
DiffResult ApplyBinaryDiff(ByteSource& diff, ByteSource& old, ByteSink& output,
                           const std::function<void()>& progress = {},
                           std::size_t maxOutput = DiffBufferSize * 128);

}  // namespace pk
