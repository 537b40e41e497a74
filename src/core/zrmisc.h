#pragma once
// The helper routines every part of the client uses: CRC-32, clocks, text
// tokenizers and validators, key names, font strings, byte and bit packing,
// length-prefixed strings, and a few file utilities.
//
// Texts are byte strings in the Windows-1252 code page. Positions and indices
// are 1-based unless a routine says otherwise. Case-insensitive comparisons
// fold ASCII letters only.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytestream.h"

namespace pk {

// ---- CRC-32 and hashes --------------------------------------------------

// The reflected CRC-32 (polynomial 0xEDB88320) over more bytes, without pre-
// or post-inversion; start from 0xFFFFFFFF and invert the result for the
// standard CRC-32. Any length; none leaves the value as it is.
std::uint32_t Crc32Update(std::uint32_t crc, const void* buffer, std::size_t length);
std::uint32_t StringCrc32(std::string_view text);
// CRC-32 of `length` bytes of the in-memory bytes from byte `offset`, clipped
// to what they hold.
std::uint32_t StreamCrc32(std::string_view stream, std::size_t offset, std::size_t length);
// CRC-32 of a whole file, or nothing when it cannot be read.
std::optional<std::uint32_t> FileCrc32(const std::string& path);
// h = rotate-left(h, 2) XOR byte over the text; 0 for the empty text.
std::uint32_t TextHash(std::string_view text);
// The masked lobby password: two upper-case hex digits per byte.
std::string HexMaskString(std::string_view text);

// ---- Clocks ---------------------------------------------------------------

// When set, both clocks use the system tick count instead of the
// high-resolution counter ("-nohrtimer", configuration key "safetimer").
extern std::atomic<std::uint8_t> NoHighResTimer;

// The tick count in milliseconds, extended past its 32-bit wrap.
std::uint64_t TickCount64();
std::uint64_t MilliClock();
std::uint64_t SecondClock();

// ---- Tokenizers and text helpers ------------------------------------------

// The n-th blank-separated word; n = 0 gives the word count as decimal text.
std::string WordAt(int n, std::string_view text);
// The n-th token cut at `delimiter`; n = 0 gives the token count as text.
std::string TokenAt(int n, std::string_view text, char delimiter);
int TokenCount(std::string_view text, char delimiter);
int WordCount(std::string_view text);
std::string RestFromWord(int n, std::string_view text);
std::string RestFromToken(int n, std::string_view text, char delimiter);
std::string TokenRange(int first, int last, std::string_view text, char delimiter);
std::string InsertToken(int n, std::string_view text, char delimiter, std::string_view value);
int WordIndex(std::string_view word, std::string_view list);
std::string RemoveChars(std::string_view text, std::string_view set);
std::string StripLeading(std::string_view text, char ch);
std::string RepeatString(int n, std::string_view text);
int CharCount(char ch, std::string_view text);
std::string FirstNonEmpty(std::string_view a, std::string_view b);
std::string PadColumn(std::string_view text, int width, bool leftAligned);
// Fills the "%s" placeholders of `templ` with tokens 1 to 10 of `args`
// (missing ones empty, further placeholders empty too); "%%" gives "%".
// "%<n>:s" takes argument n + 1 and the next plain "%s" continues after it.
std::string FormatTokens(std::string_view templ, std::string_view args, char delimiter);
std::string DecodeEscapes(std::string_view text);
std::string EscapeQuotes(std::string_view text);
bool WildMatch(std::string_view pattern, std::string_view text);
int Clamp(int value, int lo, int hi);
// A 64-bit result brought into the 32-bit range, saturating at either end: sums of clock values
// and numbers from a server must not wrap.
inline std::int32_t ClampToInt32(std::int64_t value) {
    using Limits = std::numeric_limits<std::int32_t>;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, Limits::min(), Limits::max()));
}
inline int MinInt(int a, int b) {
    return a < b ? a : b;
}
inline int MaxInt(int a, int b) {
    return a > b ? a : b;
}

// ASCII letters only: keys and commands are compared this way.
constexpr char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
// A whole text as a decimal 32-bit integer (optional sign, digits only).
std::optional<std::int32_t> ParseInt(std::string_view text);

// ---- Validators -----------------------------------------------------------

bool IsValidName(std::string_view text);
bool IsValidText(std::string_view text);

// ---- Key names and fonts --------------------------------------------------

// The name shown for a Windows virtual-key code; empty for unknown codes.
std::string KeyName(int code);

struct FontSpec {
    std::string name = "Arial";
    int size = 8;
    int color = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// name 0x01 size 0x01 colour 0x01 style, style letters "b", "i", "u", "s".
std::string FontToString(const FontSpec& font);
void StringToFont(std::string_view text, FontSpec& font);

// ---- Byte and bit packing -------------------------------------------------

std::string WordToNetString(std::uint16_t value);
std::uint16_t NetStringToWord(std::string_view text);
std::string WordToRawString(std::uint16_t value);
std::uint32_t RawStringToInt(std::string_view text);
std::uint32_t FlipRandomBits(std::uint32_t value, int n);
std::uint64_t FlipRandomBits64(std::uint64_t value, int n);

// Appends the low `count` bits (1 to 32) of `value`, most significant first,
// at bit `position` (the end of what was written so far) and advances it.
// Bits of `value` above `count` are ignored.
void WriteBits(std::string& bits, int& position, std::uint32_t value, int count);
// Reads `count` bits (1 to 32) from bit `position` and advances it; bits past
// the end of the string read as 0.
std::uint32_t ReadBits(std::string_view bits, int& position, int count);

// ---- Streams and files ----------------------------------------------------

// A u32 little-endian count and that many bytes. A count larger than what the
// stream still holds sets the stream's error flag and gives the empty text.
std::string ReadLenString(ByteReader& stream);
void WriteLenString(ByteWriter& stream, std::string_view text);

bool FileCanOpen(const std::string& path);
std::int64_t FileSizeOf(const std::string& path);
bool CopyFileBlocks(const std::string& source, const std::string& target);
// Removes a folder with everything in it; failures of single entries are
// ignored. Links are removed, never followed.
void DeleteTree(const std::string& folder);
void DebugOut(std::string_view text);

}  // namespace pk
