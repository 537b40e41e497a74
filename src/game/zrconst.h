#pragma once
// Values the program fixes for itself and shares with the servers it talks
// to (and with our scripted test servers in tests/peers/). Every value here is
// our own choice; each comment says why it was chosen. Change one only
// together with the servers that rely on it.
#include <cstddef>
#include <cstdint>

namespace pk {

// Password masking for the lobby login: a linear congruential step
// seed = seed * MaskMul + MaskAdd (32-bit, wrapping) whose bits 16-23 are
// XORed into each password byte. The pair is the classic ANSI C rand()
// generator: full period modulo 2^32, and the master server must use the
// same two numbers to read the masked password back.
inline constexpr std::uint32_t MaskMul = 1103515245u;
inline constexpr std::uint32_t MaskAdd = 12345u;

// Upper bound for anything we inflate from a file or a server. The largest
// legitimate blob is the configuration file with its theme and key tables,
// well under a megabyte; 16 MiB leaves room and still stops a zlib bomb.
inline constexpr std::size_t MaxInflatedSize = 16u * 1024u * 1024u;

// Largest bitmap we decode from a theme library, in pixels. Main bitmaps are
// a few hundred pixels a side and skin images at most a screen; 4096 x 4096
// is far above both, yet keeps a hostile 1-bit image of a few megabytes from
// unpacking into gigabytes of pixels.
inline constexpr std::size_t MaxBitmapPixels = 4096u * 4096u;

// Repeats of one held key that a single key poll may emit. A late poll replays the repeats it
// missed; after a stall of seconds (a suspended machine, a debugger) with a 1 ms interval that
// would be thousands of moves at once. 64 covers any real delay of the 5 ms poll with the
// shortest sensible interval and still ends at once.
inline constexpr int MaxKeyRepeatsPerPoll = 64;

}  // namespace pk
