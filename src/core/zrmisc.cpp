// Binary helpers of zrmisc: CRC-32, clocks, key names, fonts, bit packing,
// length-prefixed strings and files. The text helpers are in zrmisc_text.cpp.
#include "core/zrmisc.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/zrconst.h"
#include "platform/atomicfile.h"
#include "platform/clocks.h"

namespace pk {

std::atomic<std::uint8_t> NoHighResTimer{0};

namespace {

std::atomic<std::uint64_t> lastTick{0};

std::mt19937& RandomBits() {
    thread_local std::mt19937 engine{std::random_device{}()};
    return engine;
}

}  // namespace

std::uint32_t Crc32Update(std::uint32_t crc, const void* buffer, std::size_t length) {
    // zlib's crc32 inverts the value before and after; this routine carries the raw register,
    // so it inverts around the call. zlib counts in 32 bits and returns 0 for a null buffer
    // whatever the value, hence the pieces and the early return.
    if (length == 0) {
        return crc;
    }
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    const auto* p = static_cast<const Bytef*>(buffer);
    uLong value = ~crc;
    while (length > 0) {
        const std::size_t piece = std::min(length, kPiece);
        value = crc32(value, p, static_cast<uInt>(piece));
        p += piece;
        length -= piece;
    }
    return ~static_cast<std::uint32_t>(value);
}

std::uint32_t StringCrc32(std::string_view text) {
    return ~Crc32Update(0xFFFFFFFFu, text.data(), text.size());
}

std::uint32_t StreamCrc32(std::string_view data, std::size_t offset, std::size_t length) {
    if (offset > data.size()) {
        offset = data.size();
    }
    length = std::min(length, data.size() - offset);
    return ~Crc32Update(0xFFFFFFFFu, data.data() + offset, length);
}

std::optional<std::uint32_t> FileCrc32(const std::string& path) {
    std::uint32_t crc = 0xFFFFFFFFu;
    const bool read = ReadFileBlocks(path, [&](std::string_view block) {
        crc = Crc32Update(crc, block.data(), block.size());
        return true;
    });
    if (!read) {
        return std::nullopt;
    }
    return ~crc;
}

std::uint32_t TextHash(std::string_view text) {
    std::uint32_t h = 0;
    for (char c : text) {
        h = ((h << 2) | (h >> 30)) ^ static_cast<unsigned char>(c);
    }
    return h;
}

std::string HexMaskString(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::uint32_t seed = TextHash(text);
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        seed = seed * MaskMul + MaskAdd;
        auto b = static_cast<unsigned char>(static_cast<unsigned char>(c) ^ ((seed >> 16) & 0xFF));
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0x0F]);
    }
    return out;
}

// The 32-bit tick count wraps after 49.7 days; we carry the wraps in the
// upper half. Samples that look a little older than the last one come from a
// racing thread and return the last value, so the clock never runs back.
// Assumes some thread reads the clock at least every 24 days.
std::uint64_t TickCount64() {
    std::uint32_t now = TickCount32();
    std::uint64_t prev = lastTick.load();
    for (;;) {
        auto prevLow = static_cast<std::uint32_t>(prev);
        std::uint64_t next = (prev & 0xFFFFFFFF00000000ull) | now;
        if (now < prevLow) {
            if (prevLow - now < 0x80000000u) {
                return prev;
            }
            next += 0x100000000ull;
        }
        if (lastTick.compare_exchange_weak(prev, next)) {
            return next;
        }
    }
}

std::uint64_t MilliClock() {
    if (NoHighResTimer.load() == 0) {
        auto count = HighResCounter();
        auto freq = HighResFrequency();
        if (count && freq && *freq >= 1000) {
            return static_cast<std::uint64_t>(*count / (*freq / 1000));
        }
    }
    return TickCount64();
}

std::uint64_t SecondClock() {
    if (NoHighResTimer.load() == 0) {
        auto count = HighResCounter();
        auto freq = HighResFrequency();
        if (count && freq && *freq > 0) {
            return static_cast<std::uint64_t>(*count / *freq);
        }
    }
    return TickCount64() / 1000;
}

std::string KeyName(int code) {
    static constexpr std::array<const char*, 8> kNav = {"PAGEUP", "PAGEDOWN", "END",   "HOME",
                                                        "LEFT",   "UP",       "RIGHT", "DOWN"};
    if (code >= 33 && code <= 40) {
        return kNav[code - 33];
    }
    if (code >= 48 && code <= 57) {
        return std::string(1, static_cast<char>(code));
    }
    if (code >= 65 && code <= 90) {
        return std::string(1, static_cast<char>(code));
    }
    if (code >= 96 && code <= 105) {
        return "NUMPAD" + std::to_string(code - 96);
    }
    if (code >= 112 && code <= 135) {
        return "F" + std::to_string(code - 111);
    }
    switch (code) {
        case 8:
            return "BACK";
        case 9:
            return "TAB";
        case 12:
            return "CLEAR";
        case 13:
            return "RETURN";
        case 16:
            return "SHIFT";
        case 17:
            return "CONTROL";
        case 18:
            return "ALT";
        case 19:
            return "PAUSE";
        case 20:
            return "CAPSLOCK";
        case 27:
            return "ESCAPE";
        case 32:
            return "SPACE";
        case 41:
            return "SELECT";
        case 43:
            return "EXECUTE";
        case 45:
            return "INSERT";
        case 46:
            return "DELETE";
        case 47:
            return "HELP";
        case 106:
            return "*";
        case 107:
            return "+";
        case 108:
            return "SEPARATOR";
        case 109:
        case 189:
            return "-";
        case 110:
        case 190:
            return ".";
        case 111:
        case 191:
            return "/";
        case 186:
            return ";";
        case 187:
            return "=";
        case 188:
            return ",";
        case 192:
            return "`";
        case 219:
            return "[";
        case 220:
            return "\\";
        case 221:
            return "]";
        case 222:
            return "'";
        default:
            return {};
    }
}

std::string FontToString(const FontSpec& font) {
    std::string style;
    if (font.bold)
        style += 'b';
    if (font.italic)
        style += 'i';
    if (font.underline)
        style += 'u';
    if (font.strikeOut)
        style += 's';
    const char sep = '\x01';
    return font.name + sep + std::to_string(font.size) + sep + std::to_string(font.color) + sep +
           style;
}

void StringToFont(std::string_view text, FontSpec& font) {
    if (text.empty()) {
        return;
    }
    std::string name = TokenAt(1, text, '\x01');
    if (!name.empty()) {
        font.name = name;
    }
    if (auto size = ParseInt(TokenAt(2, text, '\x01'))) {
        font.size = *size;
    }
    if (auto color = ParseInt(TokenAt(3, text, '\x01'))) {
        font.color = *color;
    }
    std::string style = TokenAt(4, text, '\x01');
    font.bold = style.find('b') != std::string::npos;
    font.italic = style.find('i') != std::string::npos;
    font.underline = style.find('u') != std::string::npos;
    font.strikeOut = style.find('s') != std::string::npos;
}

std::string WordToNetString(std::uint16_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::uint16_t NetStringToWord(std::string_view text) {
    auto at = [&](std::size_t i) -> std::uint16_t {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    };
    return static_cast<std::uint16_t>((at(0) << 8) | at(1));
}

std::string WordToRawString(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::uint32_t RawStringToInt(std::string_view text) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && i < text.size(); ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << (8 * i);
    }
    return value;
}

std::uint32_t FlipRandomBits(std::uint32_t value, int n) {
    for (int i = 0; i < n && i < 32; ++i) {
        value ^= (RandomBits()() & 1u) << i;
    }
    return value;
}

std::uint64_t FlipRandomBits64(std::uint64_t value, int n) {
    for (int i = 0; i < n && i < 64; ++i) {
        value ^= static_cast<std::uint64_t>(RandomBits()() & 1u) << i;
    }
    return value;
}

// Writers of field differences pass values from wider variables; stray bits
// above `count` would corrupt the bits before them, so they are masked.
void WriteBits(std::string& bits, int& position, std::uint32_t value, int count) {
    if (count < 1 || count > 32 || position < 0) {
        return;
    }
    if (count < 32) {
        value &= (1u << count) - 1u;
    }
    std::size_t needed = (static_cast<std::size_t>(position) + count - 1) / 8 + 1;
    std::size_t firstByte = static_cast<std::size_t>(position) / 8;
    bits.resize(needed, '\0');
    // The partly filled byte keeps the bits before `position`; the bytes after
    // it are written fresh.
    int used = position % 8;
    bits[firstByte] = static_cast<char>(static_cast<unsigned char>(bits[firstByte]) &
                                        static_cast<unsigned char>(0xFF00u >> used));
    for (std::size_t i = firstByte + 1; i < needed; ++i) {
        bits[i] = '\0';
    }
    for (int i = count - 1; i >= 0; --i) {
        if ((value >> i) & 1u) {
            bits[position / 8] = static_cast<char>(static_cast<unsigned char>(bits[position / 8]) |
                                                   (0x80u >> (position % 8)));
        }
        ++position;
    }
}

std::uint32_t ReadBits(std::string_view bits, int& position, int count) {
    if (count < 1 || count > 32 || position < 0) {
        return 0;
    }
    // The bits lie in at most five bytes: read those whole (past the end as zero) and cut the
    // value out, rather than going bit by bit; fields and pieces are read a few bits at a time.
    const std::size_t first = static_cast<std::size_t>(position) / 8;
    const int skip = position % 8;
    const int bytes = (skip + count + 7) / 8;
    std::uint64_t window = 0;
    for (int k = 0; k < bytes; ++k) {
        const std::size_t at = first + static_cast<std::size_t>(k);
        window = (window << 8) | (at < bits.size() ? static_cast<unsigned char>(bits[at]) : 0u);
    }
    position += count;
    const int spare = bytes * 8 - skip - count;
    return static_cast<std::uint32_t>((window >> spare) & ((std::uint64_t{1} << count) - 1));
}

std::string ReadLenString(ByteReader& stream) {
    return stream.lenString();
}

void WriteLenString(ByteWriter& stream, std::string_view text) {
    stream.lenString(text);
}

bool FileCanOpen(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

std::int64_t FileSizeOf(const std::string& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        return -1;
    }
    return static_cast<std::int64_t>(size);
}

// The copy goes to a temporary file beside the target first, so a failed
// copy never leaves a half-written target behind.
bool CopyFileBlocks(const std::string& source, const std::string& target) {
    AtomicFileWriter out(target);
    if (!out.IsOpen()) {
        return false;
    }
    const bool read =
        ReadFileBlocks(source, [&](std::string_view block) { return out.Write(block); });
    return read && out.Commit();
}

namespace {

void DeleteTreeAt(const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code entryEc;
        if (it->is_directory(entryEc) && !it->is_symlink(entryEc)) {
            DeleteTreeAt(it->path());
        } else {
            std::filesystem::remove(it->path(), entryEc);
        }
    }
    std::filesystem::remove(dir, ec);
}

}  // namespace

void DeleteTree(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    if (path.empty()) {
        return;
    }
    std::error_code ec;
    auto status = std::filesystem::symlink_status(path, ec);
    if (ec || status.type() != std::filesystem::file_type::directory) {
        return;
    }
    DeleteTreeAt(path);
}

void DebugOut(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

}  // namespace pk
