// What both programs need to find things in theme libraries: the Theme ID
// rule, the search for a library by base name, and bitmaps read on demand.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "gfx/dib.h"

namespace pk {

// Whether a Theme ID list selects the id. Words are taken left to right: "*"
// selects, "!pattern" deselects what the pattern matches, any other word is a
// pattern that selects what it matches. No words select nothing.
bool ThemeIdMatches(std::string_view themeId, std::string_view themeIdList);

// The first library "<baseName>.klb" (name and extension compared without
// regard to case) in the folder or below it, depth first in the order the
// folder lists its items; the path carries the name as it is on disk. Folders
// reached twice through links are searched once. Empty when none is found.
std::filesystem::path FindLibraryFile(const std::filesystem::path& folder,
                                      std::string_view baseName);

// The BMP of `size` bytes at `offset` in a library, decoded. nullopt when
// offset or size is not positive, the range is not inside the file, or the
// bytes are not a bitmap we read.
std::optional<DibBitmap> LoadLibraryBitmap(const std::filesystem::path& file, int32_t offset,
                                           int32_t size);

}  // namespace pk
