#pragma once
// Builds update patches and difference streams for the tests and the scripted
// update server, byte by byte from their layout, with zlib and its CRC-32
// called directly (not through the client's code).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pk::peers {

std::uint32_t Crc(std::string_view bytes);
std::string Zlib(std::string_view bytes);
std::string Le32(std::uint32_t value);

// One entry of a rebuilt block's copy table; positions count from 1.
struct CopyEntry {
    std::uint16_t length = 0;
    std::uint32_t source = 1;
    std::uint32_t target = 1;
};

class DiffBuilder {
public:
    // A literal block consuming `consumed` old bytes.
    DiffBuilder& Literal(std::uint32_t consumed, std::string_view data);
    // A rebuilt block: `old` is the block of the old file it consumes, `result`
    // what the test expects it to rebuild to (its CRC goes into the stream).
    DiffBuilder& Rebuilt(std::string_view old, std::string_view literals,
                         const std::vector<CopyEntry>& table, std::string_view result);
    // The end block (a literal block of 0 bytes).
    DiffBuilder& End(std::uint32_t consumed = 0);
    DiffBuilder& Raw(std::string_view bytes);
    const std::string& Bytes() const { return out_; }

private:
    std::string out_;
};

// A difference stream from `before` to `after` that keeps their common start
// and end as copies and sends the middle as literals, block by block.
std::string MakeDiff(std::string_view before, std::string_view after);

class PatchBuilder {
public:
    PatchBuilder& NewFile(std::string_view name, std::string_view contents, bool now);
    PatchBuilder& DeleteFile(std::string_view name, bool now);
    // `diff` is the uncompressed difference stream; `before` the file as the
    // patch expects to find it.
    PatchBuilder& PatchFile(std::string_view name, std::string_view before, std::string_view diff,
                            bool now);
    // A record with the compressed payload given as it is.
    PatchBuilder& RawRecord(std::uint8_t type, std::string_view name, std::string_view payload,
                            std::uint32_t crc, bool now);
    PatchBuilder& Raw(std::string_view bytes);
    const std::string& Bytes() const { return out_; }

private:
    std::string out_;
};

}  // namespace pk::peers
