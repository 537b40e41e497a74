#pragma once
// Shared by the fuzz targets of the lobby's record replies: the first byte chooses whether the
// rest goes in as sent (mostly not inflating) or compressed first, so that the parsers behind
// the inflate are reached as well.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/zrzstream.h"

inline std::string FuzzRecordPayload(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return {};
    }
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    return (data[0] & 1) ? pk::Compress(rest, pk::CompressionLevel::Max) : rest;
}
