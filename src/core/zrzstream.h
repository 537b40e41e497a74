#pragma once
// zlib-format (RFC 1950) compression and decompression of byte strings, for
// the key/value records, the game sets and the file contents of update
// patches.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/zrconst.h"

namespace pk {

enum class CompressionLevel { None, Fastest, Default, Max };

// The zlib level for each: 0, 1, -1 (zlib's default) and 9.
int ZlibLevel(CompressionLevel level);

// A compression stream: bytes written are deflated through a 64 KB output
// buffer; `Close` flushes the rest and returns the whole zlib stream.
class CompressStream {
public:
    explicit CompressStream(CompressionLevel level);
    ~CompressStream();
    CompressStream(const CompressStream&) = delete;
    CompressStream& operator=(const CompressStream&) = delete;

    void Write(std::string_view bytes);
    // Ends the stream; further writes are ignored.
    std::string Close();

private:
    void Pump(int flush);

    struct State;
    State* state_;
    std::string out_;
    bool closed_ = false;
};

std::string Compress(std::string_view bytes, CompressionLevel level);

// Inflates one complete zlib stream. Nothing is returned when the data is not
// valid zlib data, ends early, or would inflate to more than `maxSize` bytes.
// Bytes after the end of the stream are ignored, as they always were.
std::optional<std::string> Decompress(std::string_view bytes,
                                      std::size_t maxSize = MaxInflatedSize);

}  // namespace pk
