#pragma once
// An SDL_RWops over a byte range of a file, so that the decoders read a piece
// where it lies (inside a theme library) without it being copied out.
#include <cstdint>
#include <filesystem>
#include <string>

struct SDL_RWops;

namespace pk::audio {

// Opens the `length` bytes at `offset` of a regular file (length 0: the rest
// of the file). Reads never leave the range. nullptr, with the reason in
// *error, when the file cannot be opened or the range is not wholly inside
// it. Closing the RWops closes the file.
SDL_RWops* OpenByteRange(const std::filesystem::path& file, int64_t offset, int64_t length,
                         std::string* error = nullptr);

}  // namespace pk::audio
