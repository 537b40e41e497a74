#pragma once
// One piece of music on the device's music channel, read in place from a byte
// range of a file (a whole file, or a payload inside a theme library), so that
// nothing is copied out or loaded whole before it plays.
//
// The mixer has one music channel: a new piece that plays replaces the one
// before. A piece is driven from one thread at a time (the music thread).
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace pk::audio {

// How a piece is decoded.
enum class MusicFormat {
    Mpeg,    // MPEG audio layers 1 to 3
    Wave,    // RIFF WAVE
    Ogg,     // Ogg Vorbis
    Midi,    // Standard MIDI file, synthesised with the device's soundfont
    Module,  // tracker module: MOD, IT, XM, S3M, MTM, UMX
};

class MusicPiece {
public:
    // Opens the `length` bytes at `offset` of the file (length 0: to the end
    // of the file) and readies the decoder. nullptr, with the reason in
    // *error, when there is no device, the range is not wholly inside a
    // regular file, or the decoder refuses the bytes.
    static std::unique_ptr<MusicPiece> Load(const std::filesystem::path& file, int64_t offset,
                                            int64_t length, MusicFormat format,
                                            std::string* error = nullptr);
    // The same over bytes the caller hands over (a stream read into
    // memory); the piece keeps them while it lives.
    static std::unique_ptr<MusicPiece> LoadBytes(std::shared_ptr<const std::string> bytes,
                                                 MusicFormat format, std::string* error = nullptr);
    ~MusicPiece();  // stops it when it plays
    MusicPiece(const MusicPiece&) = delete;
    MusicPiece& operator=(const MusicPiece&) = delete;

    // Plays the piece once from its start, also when it played before (no
    // reload). False, with the reason, when the device refuses.
    bool Play(std::string* error = nullptr);
    void Stop();
    // True once it ended or was stopped, or when it never started.
    bool Finished() const;
    // Holds and resumes the piece while it owns the music channel (the
    // editor's MP3 player).
    void Pause(bool pause);
    // Where play is and how long the piece lasts, in milliseconds; 0 when
    // the decoder cannot tell.
    int64_t PositionMs() const;
    int64_t LengthMs() const;
    // Moves play to `ms` from the start while the piece owns the music
    // channel; false when it does not or the decoder cannot seek.
    bool Seek(int64_t ms);

    struct Impl;

private:
    explicit MusicPiece(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace pk::audio
