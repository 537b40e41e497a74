#include "platform/audio/musicpiece.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <climits>
#include <mutex>

#include "platform/audio/byterange.h"
#include "platform/audio/devicestate.h"

namespace pk::audio {

using detail::State;

namespace {

Mix_MusicType MixType(MusicFormat format) {
    switch (format) {
        case MusicFormat::Mpeg:
            return MUS_MP3;
        case MusicFormat::Wave:
            return MUS_WAV;
        case MusicFormat::Ogg:
            return MUS_OGG;
        case MusicFormat::Midi:
            return MUS_MID;
        case MusicFormat::Module:
            return MUS_MOD;
    }
    return MUS_NONE;
}

void SetError(std::string* error, const std::string& text) {
    if (error)
        *error = text;
}

uint64_t NextPieceId() {
    static std::atomic<uint64_t> next{0};
    return ++next;
}

}  // namespace

struct MusicPiece::Impl {
    uint64_t id = NextPieceId();
    uint64_t generation = 0;
    Mix_Music* music = nullptr;
    // The bytes a piece loaded from memory reads; they outlive the music.
    std::shared_ptr<const std::string> bytes;
};

MusicPiece::MusicPiece(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

std::unique_ptr<MusicPiece> MusicPiece::Load(const std::filesystem::path& file, int64_t offset,
                                             int64_t length, MusicFormat format,
                                             std::string* error) {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (!s.open) {
        SetError(error, "no audio device");
        return nullptr;
    }
    SDL_RWops* rw = OpenByteRange(file, offset, length, error);
    if (!rw)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->generation = s.generation;
    // The music owns the range from here on and closes it, also on failure.
    impl->music = Mix_LoadMUSType_RW(rw, MixType(format), 1);
    if (!impl->music) {
        SetError(error, std::string("cannot decode ") + file.string() + ": " + Mix_GetError());
        return nullptr;
    }
    return std::unique_ptr<MusicPiece>(new MusicPiece(std::move(impl)));
}

std::unique_ptr<MusicPiece> MusicPiece::LoadBytes(std::shared_ptr<const std::string> bytes,
                                                  MusicFormat format, std::string* error) {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (!s.open) {
        SetError(error, "no audio device");
        return nullptr;
    }
    if (!bytes || bytes->empty() || bytes->size() > static_cast<size_t>(INT_MAX)) {
        SetError(error, "no bytes to decode");
        return nullptr;
    }
    SDL_RWops* rw = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
    if (!rw) {
        SetError(error, std::string("out of memory: ") + SDL_GetError());
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->generation = s.generation;
    impl->bytes = std::move(bytes);
    impl->music = Mix_LoadMUSType_RW(rw, MixType(format), 1);
    if (!impl->music) {
        SetError(error, std::string("cannot decode the stream: ") + Mix_GetError());
        return nullptr;
    }
    return std::unique_ptr<MusicPiece>(new MusicPiece(std::move(impl)));
}

MusicPiece::~MusicPiece() {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (s.open && s.generation == impl_->generation) {
        uint64_t mine = impl_->id;
        s.musicOwner.compare_exchange_strong(mine, 0);
        Mix_FreeMusic(impl_->music);  // halts it first when it plays
    } else {
        // The device was closed (and every music halted) since the load.
        Mix_FreeMusic(impl_->music);
    }
}

bool MusicPiece::Play(std::string* error) {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (!s.open || s.generation != impl_->generation) {
        SetError(error, "no audio device");
        return false;
    }
    if (Mix_PlayMusic(impl_->music, 0) != 0) {
        SetError(error, std::string("cannot play: ") + Mix_GetError());
        return false;
    }
    s.musicOwner = impl_->id;
    return true;
}

void MusicPiece::Stop() {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    uint64_t mine = impl_->id;
    if (s.open && s.generation == impl_->generation &&
        s.musicOwner.compare_exchange_strong(mine, 0))
        Mix_HaltMusic();
}

bool MusicPiece::Finished() const {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    return !s.open || s.generation != impl_->generation || s.musicOwner != impl_->id ||
           !Mix_PlayingMusic();
}

void MusicPiece::Pause(bool pause) {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (!s.open || s.generation != impl_->generation || s.musicOwner != impl_->id)
        return;
    if (pause)
        Mix_PauseMusic();
    else
        Mix_ResumeMusic();
}

bool MusicPiece::Seek(int64_t ms) {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (!s.open || s.generation != impl_->generation || s.musicOwner != impl_->id || ms < 0)
        return false;
    return Mix_SetMusicPosition(static_cast<double>(ms) / 1000.0) == 0;
}

namespace {

int64_t Milliseconds(double seconds) {
    return seconds > 0 ? static_cast<int64_t>(seconds * 1000.0 + 0.5) : 0;
}

}  // namespace

int64_t MusicPiece::PositionMs() const {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (!s.open || s.generation != impl_->generation)
        return 0;
    return Milliseconds(Mix_GetMusicPosition(impl_->music));
}

int64_t MusicPiece::LengthMs() const {
    auto& s = State();
    std::shared_lock lock(s.mutex);
    if (!s.open || s.generation != impl_->generation)
        return 0;
    return Milliseconds(Mix_MusicDuration(impl_->music));
}

}  // namespace pk::audio
