#include "core/zrzstream.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace pk {
namespace {

constexpr std::size_t kOutBuffer = 64 * 1024;
// Inflate reads its input in blocks of this size.
constexpr std::size_t kInBlock = 4096;

}  // namespace

struct CompressStream::State {
    z_stream z{};
    std::array<unsigned char, kOutBuffer> buffer{};
};

int ZlibLevel(CompressionLevel level) {
    switch (level) {
        case CompressionLevel::None:
            return 0;
        case CompressionLevel::Fastest:
            return 1;
        case CompressionLevel::Default:
            return -1;
        case CompressionLevel::Max:
            return 9;
    }
    return -1;
}

CompressStream::CompressStream(CompressionLevel level) : state_(new State) {
    if (deflateInit(&state_->z, ZlibLevel(level)) != Z_OK) {
        delete state_;
        throw std::runtime_error("zlib: cannot start compression");
    }
}

CompressStream::~CompressStream() {
    deflateEnd(&state_->z);
    delete state_;
}

void CompressStream::Pump(int flush) {
    z_stream& z = state_->z;
    int rc = Z_OK;
    do {
        z.next_out = state_->buffer.data();
        z.avail_out = static_cast<uInt>(state_->buffer.size());
        rc = deflate(&z, flush);
        if (rc == Z_STREAM_ERROR) {
            throw std::runtime_error("zlib: compression failed");
        }
        out_.append(reinterpret_cast<const char*>(state_->buffer.data()),
                    state_->buffer.size() - z.avail_out);
    } while (z.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
}

void CompressStream::Write(std::string_view bytes) {
    if (closed_) {
        return;
    }
    z_stream& z = state_->z;
    // zlib counts in 32 bits; feed large inputs in slices.
    while (!bytes.empty()) {
        std::size_t slice = std::min<std::size_t>(bytes.size(), 1u << 30);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        z.avail_in = static_cast<uInt>(slice);
        Pump(Z_NO_FLUSH);
        bytes.remove_prefix(slice);
    }
}

std::string CompressStream::Close() {
    if (!closed_) {
        state_->z.next_in = nullptr;
        state_->z.avail_in = 0;
        Pump(Z_FINISH);
        closed_ = true;
    }
    return out_;
}

std::string Compress(std::string_view bytes, CompressionLevel level) {
    CompressStream stream(level);
    stream.Write(bytes);
    return stream.Close();
}

namespace {

// One inflate state per thread, reset for each stream: starting a state costs
// two allocations (its own and a 32 KB window) that most records, a few
// hundred bytes, would otherwise pay again and again.
class Inflater {
public:
    Inflater() { ready_ = inflateInit(&z_) == Z_OK; }
    ~Inflater() {
        if (ready_) {
            inflateEnd(&z_);
        }
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // A state ready for a new stream, or null.
    z_stream* Fresh() {
        if (!ready_) {
            ready_ = inflateInit(&z_) == Z_OK;
            return ready_ ? &z_ : nullptr;
        }
        if (inflateReset(&z_) != Z_OK) {
            return nullptr;
        }
        // The reset leaves the last stream's input behind.
        z_.next_in = nullptr;
        z_.avail_in = 0;
        return &z_;
    }

private:
    z_stream z_{};
    bool ready_ = false;
};

// Output room to start with: a record inflates to a few times its size.
constexpr std::size_t kFirstOutput = 1024;
constexpr std::size_t kMaxGrowth = std::size_t{1} << 30;

}  // namespace

std::optional<std::string> Decompress(std::string_view bytes, std::size_t maxSize) {
    thread_local Inflater inflater;
    z_stream* zp = inflater.Fresh();
    if (!zp) {
        return std::nullopt;
    }
    z_stream& z = *zp;
    // Inflates straight into the result, whose room doubles as it fills;
    // `done` counts the bytes written. One byte of room past maxSize tells an
    // oversized stream from one that fills maxSize exactly.
    const std::size_t cap = maxSize < SIZE_MAX ? maxSize + 1 : maxSize;
    std::string out;
    std::size_t done = 0;
    int rc = Z_OK;
    std::size_t fed = 0;
    while (rc != Z_STREAM_END) {
        if (z.avail_in == 0) {
            if (fed >= bytes.size()) {
                return std::nullopt;  // the data ends before the stream does
            }
            std::size_t block = std::min(kInBlock, bytes.size() - fed);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + fed));
            z.avail_in = static_cast<uInt>(block);
            fed += block;
        }
        if (done == out.size()) {
            if (done > maxSize) {
                return std::nullopt;
            }
            // zlib counts the room in 32 bits.
            const std::size_t grow =
                out.empty() ? std::max(kFirstOutput, 4 * std::min(bytes.size(), kOutBuffer))
                            : std::min(out.size(), kMaxGrowth);
            out.resize(out.size() + std::min(grow, cap - out.size()));
        }
        z.next_out = reinterpret_cast<Bytef*>(out.data() + done);
        z.avail_out = static_cast<uInt>(out.size() - done);
        rc = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = out.size() - done - z.avail_out;
        done += produced;
        bool stuck = rc == Z_BUF_ERROR && produced == 0 && z.avail_in != 0;
        if ((rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) || stuck) {
            return std::nullopt;
        }
    }
    if (done > maxSize) {
        return std::nullopt;
    }
    out.resize(done);
    return out;
}

}  // namespace pk
