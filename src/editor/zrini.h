// "kled.ini" and any other private-profile file of ours: sections of
// "key=value" lines, looked up with section and key names in any case.
//
// Layout as we write it (Windows line ends; reads take LF alone as well):
//   [Section]\r\n
//   key=value\r\n
// A new section goes at the end of the file, a new key at the end of its
// section. Blanks around keys and values are not part of them. Every write
// replaces the whole file atomically.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pk {

// A value read is at most this many bytes (the reader's buffer less its
// terminating zero); longer ones are cut.
inline constexpr size_t kIniValueBuffer = 3000;
// Larger files are not ours and read as empty.
inline constexpr size_t kIniMaxFileSize = 1u << 20;

// The value of `key` in `section`, or the empty text when the file, the
// section or the key is missing.
std::string ReadIniValue(std::string_view section, std::string_view key,
                         const std::filesystem::path& file);

// Sets `key` in `section` to `value`. A missing value removes the key; a
// missing key (and value) removes the whole section. False when the file
// cannot be written or the value holds a line break (it would split the line).
bool WriteIniValue(std::string_view section, std::optional<std::string_view> key,
                   const std::filesystem::path& file, std::optional<std::string_view> value);

}  // namespace pk
