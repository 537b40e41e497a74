#include "peers/patch_builder.h"

#include <zlib.h>

#include <algorithm>

namespace pk::peers {
namespace {

// Blocks of the made difference streams stay well inside the client's buffers.
constexpr std::size_t kBlock = 1024 * 1024;

std::string Le16(std::uint16_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

}  // namespace

std::uint32_t Crc(std::string_view bytes) {
    return static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string Zlib(std::string_view bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()), 6);
    out.resize(size);
    return out;
}

std::string Le32(std::uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
}

DiffBuilder& DiffBuilder::Literal(std::uint32_t consumed, std::string_view data) {
    out_ += Le32(consumed) + '\0' + Le32(static_cast<std::uint32_t>(data.size())) + Le32(Crc(data));
    out_ += data;
    return *this;
}

DiffBuilder& DiffBuilder::Rebuilt(std::string_view old, std::string_view literals,
                                  const std::vector<CopyEntry>& table, std::string_view result) {
    out_ +=
        Le32(static_cast<std::uint32_t>(old.size())) + '\x01' + Le32(Crc(result)) + Le32(Crc(old));
    out_ += Le32(static_cast<std::uint32_t>(literals.size()));
    out_ += Le32(static_cast<std::uint32_t>(table.size() * 12));
    out_ += literals;
    for (const auto& e : table) {
        out_ += Le16(e.length) + std::string("\xAA\xBB", 2) + Le32(e.source) + Le32(e.target);
    }
    return *this;
}

DiffBuilder& DiffBuilder::End(std::uint32_t consumed) {
    out_ += Le32(consumed) + '\0' + Le32(0);
    return *this;
}

DiffBuilder& DiffBuilder::Raw(std::string_view bytes) {
    out_ += bytes;
    return *this;
}

std::string MakeDiff(std::string_view before, std::string_view after) {
    DiffBuilder diff;
    std::size_t at = 0;
    const std::size_t blocks =
        std::max((after.size() + kBlock - 1) / kBlock, (before.size() + kBlock - 1) / kBlock);
    for (std::size_t b = 0; b < blocks; ++b, at += kBlock) {
        const std::string_view old =
            at < before.size() ? before.substr(at, kBlock) : std::string_view();
        const std::string_view now =
            at < after.size() ? after.substr(at, kBlock) : std::string_view();
        std::size_t prefix = 0;
        while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) {
            ++prefix;
        }
        std::size_t suffix = 0;
        while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
               old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
            ++suffix;
        }
        std::vector<CopyEntry> table;
        // Copies are at most 65535 bytes each.
        const auto copy = [&table](std::size_t source, std::size_t target, std::size_t length) {
            while (length > 0) {
                const auto piece = static_cast<std::uint16_t>(std::min<std::size_t>(length, 65535));
                table.push_back({piece, static_cast<std::uint32_t>(source + 1),
                                 static_cast<std::uint32_t>(target + 1)});
                source += piece;
                target += piece;
                length -= piece;
            }
        };
        copy(0, 0, prefix);
        const std::string_view middle = now.substr(prefix, now.size() - prefix - suffix);
        copy(old.size() - suffix, now.size() - suffix, suffix);
        if (suffix == 0 && !middle.empty()) {
            // Literals after the last copy are not used: an empty copy at the
            // end makes them fill the gap before it.
            table.push_back({0, 1, static_cast<std::uint32_t>(now.size() + 1)});
        }
        diff.Rebuilt(old, middle, table, now);
    }
    diff.End();
    return diff.Bytes();
}

PatchBuilder& PatchBuilder::NewFile(std::string_view name, std::string_view contents, bool now) {
    const std::string packed = Zlib(contents);
    out_ += '\x0A' + Le32(static_cast<std::uint32_t>(name.size())) + std::string(name);
    out_ += Le32(static_cast<std::uint32_t>(packed.size())) + (now ? '\x01' : '\0') + packed;
    return *this;
}

PatchBuilder& PatchBuilder::DeleteFile(std::string_view name, bool now) {
    out_ += '\x0B' + Le32(static_cast<std::uint32_t>(name.size())) + std::string(name);
    out_ += now ? '\x01' : '\0';
    return *this;
}

PatchBuilder& PatchBuilder::PatchFile(std::string_view name, std::string_view before,
                                      std::string_view diff, bool now) {
    return RawRecord(12, name, Zlib(diff), Crc(before), now);
}

PatchBuilder& PatchBuilder::RawRecord(std::uint8_t type, std::string_view name,
                                      std::string_view payload, std::uint32_t crc, bool now) {
    out_ +=
        static_cast<char>(type) + Le32(static_cast<std::uint32_t>(name.size())) + std::string(name);
    if (type != 11) {
        out_ += Le32(static_cast<std::uint32_t>(payload.size()));
    }
    if (type == 12) {
        out_ += Le32(crc);
    }
    out_ += now ? '\x01' : '\0';
    if (type != 11) {
        out_ += payload;
    }
    return *this;
}

PatchBuilder& PatchBuilder::Raw(std::string_view bytes) {
    out_ += bytes;
    return *this;
}

}  // namespace pk::peers
