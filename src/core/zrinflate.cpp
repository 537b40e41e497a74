#include "core/zrinflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace pk {
namespace {

// zlib counts in 32 bits; input is handed over in slices of this size.
constexpr std::size_t kInSlice = 64 * 1024;

}  // namespace

std::size_t MemorySource::Read(char* buffer, std::size_t size) {
    const std::size_t n = std::min(size, bytes_.size());
    if (n > 0) {
        std::memcpy(buffer, bytes_.data(), n);
        bytes_.remove_prefix(n);
    }
    return n;
}

struct InflateReader::State {
    z_stream z{};
    bool open = false;
};

InflateReader::InflateReader(std::string_view compressed, std::size_t maxSize)
    : state_(std::make_unique<State>()), in_(compressed), maxSize_(maxSize) {
    state_->open = inflateInit(&state_->z) == Z_OK;
    failed_ = !state_->open;
}

InflateReader::~InflateReader() {
    if (state_->open) {
        inflateEnd(&state_->z);
    }
}

std::size_t InflateReader::Read(char* buffer, std::size_t size) {
    z_stream& z = state_->z;
    std::size_t done = 0;
    while (done < size && !failed_ && !finished_) {
        if (z.avail_in == 0) {
            if (fed_ >= in_.size()) {
                failed_ = true;  // the data ends before the zlib stream does
                break;
            }
            const std::size_t slice = std::min(kInSlice, in_.size() - fed_);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in_.data() + fed_));
            z.avail_in = static_cast<uInt>(slice);
            fed_ += slice;
        }
        // Never more than the cap allows, plus one byte to notice a stream
        // that goes on past it.
        const std::size_t room = std::min<std::size_t>(size - done, kInSlice);
        const std::size_t allowed = std::min(room, maxSize_ - produced_ + 1);
        z.next_out = reinterpret_cast<Bytef*>(buffer + done);
        z.avail_out = static_cast<uInt>(allowed);
        const int rc = inflate(&z, Z_NO_FLUSH);
        const std::size_t got = allowed - z.avail_out;
        if (rc != Z_OK && rc != Z_STREAM_END && !(rc == Z_BUF_ERROR && got > 0)) {
            failed_ = true;
            break;
        }
        if (got > maxSize_ - produced_) {
            failed_ = true;
            break;
        }
        produced_ += got;
        done += got;
        if (rc == Z_STREAM_END) {
            finished_ = true;
        }
    }
    return failed_ ? 0 : done;
}

std::size_t ReadFull(ByteSource& source, char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t got = source.Read(buffer + done, size - done);
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

}  // namespace pk
