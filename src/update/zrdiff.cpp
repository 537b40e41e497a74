#include "update/zrdiff.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/zrmisc.h"

namespace pk {
namespace {

constexpr std::size_t kTableEntry = 12;

std::uint32_t Crc(const char* data, std::size_t size) {
    return ~Crc32Update(0xFFFFFFFFu, data, size);
}

std::uint32_t Le32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

class DiffReader {
public:
    explicit DiffReader(ByteSource& source) : source_(source) {}

    bool Bytes(char* out, std::size_t size) { return ReadFull(source_, out, size) == size; }
    bool U32(std::uint32_t& value) {
        char b[4];
        if (!Bytes(b, 4)) {
            return false;
        }
        value = Le32(b);
        return true;
    }
    bool U8(std::uint8_t& value) {
        char b = 0;
        if (!Bytes(&b, 1)) {
            return false;
        }
        value = static_cast<std::uint8_t>(b);
        return true;
    }
    // What a short read means: a damaged stream, or one without its end block.
    std::string ShortText() const {
        return source_.Failed() ? "Difference stream is damaged"
                                : "Difference stream ends without its end block";
    }

private:
    ByteSource& source_;
};

// The four working buffers, one set per file. Each grows to what a block
// needs, never past DiffBufferSize (the callers check sizes first), so a small
// file never pays for the largest block.
struct Buffers {
    struct Buffer {
        std::vector<char> bytes;
        char* Room(std::size_t size) {
            if (bytes.size() < size) {
                bytes.resize(size);
            }
            return bytes.data();
        }
        const char* data() const { return bytes.data(); }
    };
    Buffer old;
    Buffer literals;
    Buffer table;
    Buffer rebuilt;
};

// Rebuilds a kind-1 block into buffers.rebuilt; its length, or an error.
bool RebuildBlock(Buffers& b, std::size_t oldSize, std::size_t literalSize, std::size_t tableSize,
                  std::size_t& size, std::string& error) {
    std::size_t p = 0;  // output and literal positions, counted from 0 here
    std::size_t q = 0;
    for (std::size_t at = 0; at < tableSize; at += kTableEntry) {
        const char* entry = b.table.data() + at;
        const std::size_t length = static_cast<unsigned char>(entry[0]) |
                                   static_cast<std::size_t>(static_cast<unsigned char>(entry[1]))
                                       << 8;
        const std::uint32_t source = Le32(entry + 4);
        const std::uint32_t target = Le32(entry + 8);
        if (target == 0 || target - 1 < p) {
            error = "Copy table entry goes back in the rebuilt block";
            return false;
        }
        const std::size_t gap = target - 1 - p;
        if (gap > literalSize - q) {
            error = "Copy table entry needs more literal bytes than the block holds";
            return false;
        }
        if (gap > DiffBufferSize - p || length > DiffBufferSize - p - gap) {
            error = "Rebuilt block is larger than its buffer";
            return false;
        }
        if (source == 0 || source - 1 > oldSize || length > oldSize - (source - 1)) {
            error = "Copy table entry reads outside the old block";
            return false;
        }
        char* out = b.rebuilt.Room(p + gap + length);
        std::copy_n(b.literals.data() + q, gap, out + p);
        p += gap;
        q += gap;
        std::copy_n(b.old.data() + (source - 1), length, out + p);
        p += length;
    }
    size = p;
    return true;
}

}  // namespace

DiffResult ApplyBinaryDiff(ByteSource& diff, ByteSource& old, ByteSink& output,
                           const std::function<void()>& progress, std::size_t maxOutput) {
    DiffResult result;
    const auto fail = [&result](std::string text) {
        result.ok = false;
        result.error = std::move(text);
        return result;
    };
    DiffReader in(diff);
    Buffers b;
    // An empty text when the bytes went out.
    const auto emit = [&](const char* data, std::size_t size) -> std::string {
        if (size > maxOutput - result.written) {
            return "Rebuilt file is larger than allowed";
        }
        result.written += size;
        return output.Write(std::string_view(data, size)) ? "" : "Cannot write the rebuilt file";
    };
    for (;;) {
        std::uint32_t consumed = 0;
        std::uint8_t kind = 0;
        if (!in.U32(consumed)) {
            return fail(in.ShortText());
        }
        if (consumed > DiffBufferSize) {
            return fail("Old block is larger than its buffer");
        }
        const std::size_t oldSize = ReadFull(old, b.old.Room(consumed), consumed);
        if (old.Failed()) {
            return fail("Cannot read the file being patched");
        }
        if (!in.U8(kind)) {
            return fail(in.ShortText());
        }
        if (kind == 0) {
            std::uint32_t n = 0;
            if (!in.U32(n)) {
                return fail(in.ShortText());
            }
            if (n == 0) {
                if (progress) {
                    progress();
                }
                return result;
            }
            std::uint32_t crc = 0;
            if (n > DiffBufferSize) {
                return fail("Literal block is larger than its buffer");
            }
            if (!in.U32(crc) || !in.Bytes(b.literals.Room(n), n)) {
                return fail(in.ShortText());
            }
            if (Crc(b.literals.data(), n) != crc) {
                return fail(DiffCrcError);
            }
            if (auto error = emit(b.literals.data(), n); !error.empty()) {
                return fail(error);
            }
        } else if (kind == 1) {
            std::uint32_t resultCrc = 0;
            std::uint32_t oldCrc = 0;
            std::uint32_t literalSize = 0;
            std::uint32_t tableSize = 0;
            if (!in.U32(resultCrc) || !in.U32(oldCrc)) {
                return fail(in.ShortText());
            }
            if (Crc(b.old.data(), oldSize) != oldCrc) {
                return fail(DiffCrcError);
            }
            if (!in.U32(literalSize) || !in.U32(tableSize)) {
                return fail(in.ShortText());
            }
            if (literalSize > DiffBufferSize || tableSize > DiffBufferSize) {
                return fail("Literals or copy table larger than their buffers");
            }
            if (tableSize % kTableEntry != 0) {
                return fail("Copy table length is not a whole number of entries");
            }
            if (!in.Bytes(b.literals.Room(literalSize), literalSize) ||
                !in.Bytes(b.table.Room(tableSize), tableSize)) {
                return fail(in.ShortText());
            }
            std::size_t size = 0;
            std::string error;
            if (!RebuildBlock(b, oldSize, literalSize, tableSize, size, error)) {
                return fail(error);
            }
            if (Crc(b.rebuilt.data(), size) != resultCrc) {
                return fail(DiffCrcError);
            }
            if (auto written = emit(b.rebuilt.data(), size); !written.empty()) {
                return fail(written);
            }
        } else {
            return fail(DiffCrcError);
        }
        if (progress) {
            progress();
        }
    }
}

}  // namespace pk
