#include "platform/audio/byterange.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pk::audio {

namespace {

struct Range {
    int fd = -1;
    int64_t begin = 0;
    int64_t size = 0;
    int64_t pos = 0;  // relative to begin
};

Range* Of(SDL_RWops* rw) {
    return static_cast<Range*>(rw->hidden.unknown.data1);
}

Sint64 SDLCALL RangeSize(SDL_RWops* rw) {
    return Of(rw)->size;
}

Sint64 SDLCALL RangeSeek(SDL_RWops* rw, Sint64 offset, int whence) {
    Range* r = Of(rw);
    Sint64 base = 0;
    switch (whence) {
        case RW_SEEK_SET:
            base = 0;
            break;
        case RW_SEEK_CUR:
            base = r->pos;
            break;
        case RW_SEEK_END:
            base = r->size;
            break;
        default:
            return SDL_SetError("bad seek");
    }
    // Overflow-safe: both terms are bounded by the file's size or by the caller.
    if ((offset < 0 && base < -offset) || (offset > 0 && offset > r->size - base))
        return SDL_SetError("seek outside the piece");
    r->pos = base + offset;
    return r->pos;
}

size_t SDLCALL RangeRead(SDL_RWops* rw, void* ptr, size_t size, size_t maxnum) {
    Range* r = Of(rw);
    if (size == 0 || maxnum == 0)
        return 0;
    const uint64_t left = static_cast<uint64_t>(r->size - r->pos);
    const size_t objects = static_cast<size_t>(std::min<uint64_t>(maxnum, left / size));
    size_t want = objects * size;
    auto* out = static_cast<char*>(ptr);
    size_t done = 0;
    while (done < want) {
        const ssize_t n = pread(r->fd, out + done, want - done, r->begin + r->pos + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;  // read error, or the file shrank under us
        done += static_cast<size_t>(n);
    }
    r->pos += static_cast<int64_t>(done);
    if (done < want)
        SDL_SetError("short read");
    return done / size;
}

size_t SDLCALL RangeWrite(SDL_RWops*, const void*, size_t, size_t) {
    SDL_SetError("read-only");
    return 0;
}

int SDLCALL RangeClose(SDL_RWops* rw) {
    Range* r = Of(rw);
    close(r->fd);
    delete r;
    SDL_FreeRW(rw);
    return 0;
}

SDL_RWops* Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return nullptr;
}

}  // namespace

SDL_RWops* OpenByteRange(const std::filesystem::path& file, int64_t offset, int64_t length,
                         std::string* error) {
    if (offset < 0 || length < 0)
        return Fail(error, "negative offset or length");
    // Non-blocking open: a FIFO put in place of the file must not stall us.
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Fail(error, "cannot open " + file.string() + ": " + std::strerror(errno));
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return Fail(error, "not a regular file: " + file.string());
    }
    const int64_t fileSize = st.st_size;
    if (offset > fileSize || (length > 0 && length > fileSize - offset)) {
        close(fd);
        return Fail(error, "piece outside the file " + file.string());
    }
    SDL_RWops* rw = SDL_AllocRW();
    if (!rw) {
        close(fd);
        return Fail(error, std::string("out of memory: ") + SDL_GetError());
    }
    auto* r = new Range{fd, offset, length > 0 ? length : fileSize - offset, 0};
    rw->size = RangeSize;
    rw->seek = RangeSeek;
    rw->read = RangeRead;
    rw->write = RangeWrite;
    rw->close = RangeClose;
    rw->type = SDL_RWOPS_UNKNOWN;
    rw->hidden.unknown.data1 = r;
    return rw;
}

}  // namespace pk::audio
