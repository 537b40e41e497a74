#include "core/zrzstream.h"

#include <zlib.h>

#include <array>
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

std::optional<std::string> Decompress(std::string_view bytes, std::size_t maxSize) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return std::nullopt;
    }
    std::string out;
    std::array<unsigned char, kOutBuffer> buffer;
    int rc = Z_OK;
    std::size_t fed = 0;
    bool ok = true;
    while (rc != Z_STREAM_END) {
        if (z.avail_in == 0) {
            if (fed >= bytes.size()) {
                ok = false;  // the data ends before the stream does
                break;
            }
            std::size_t block = std::min(kInBlock, bytes.size() - fed);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + fed));
            z.avail_in = static_cast<uInt>(block);
            fed += block;
        }
        z.next_out = buffer.data();
        z.avail_out = static_cast<uInt>(buffer.size());
        rc = inflate(&z, Z_NO_FLUSH);
        std::size_t produced = buffer.size() - z.avail_out;
        bool stuck = rc == Z_BUF_ERROR && produced == 0 && z.avail_in != 0;
        if ((rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) || stuck) {
            ok = false;
            break;
        }
        if (produced > maxSize - out.size()) {
            ok = false;
            break;
        }
        out.append(reinterpret_cast<const char*>(buffer.data()), produced);
    }
    inflateEnd(&z);
    if (!ok) {
        return std::nullopt;
    }
    return out;
}

}  // namespace pk
