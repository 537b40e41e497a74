#include "editor/zraudio.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "editor/zrmpegframe.h"
#include "klb/wave.h"
#include "platform/atomicfile.h"
#include "platform/audio/audiodevice.h"
#include "platform/audio/decodepcm.h"
#include "platform/audio/musicpiece.h"

namespace pk {

namespace {

// The longest a synchronous sound may hold the window, whatever its header
// claims: the samples are at most kMaxVoiceBytes.
constexpr auto kMaxSoundWait = std::chrono::minutes(7);

class AudioSoundPlayer : public SoundPlayer {
public:
    bool PlaySync(const std::string& wav) override {
        std::optional<WaveInfo> info = ReadWaveMemory(wav);
        if (!info || info->format.formatTag != 1)
            return false;
        audio::PcmFormat format;
        format.channels = info->format.channels;
        format.rate = static_cast<int>(info->format.samplesPerSec);
        format.bits = info->format.bitsPerSample;
        auto voice =
            audio::PlayPcm(format, std::string_view(wav).substr(info->dataOffset, info->dataSize));
        if (!voice)
            return false;
        const auto until = std::chrono::steady_clock::now() + kMaxSoundWait;
        while (voice->Playing() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return true;
    }
};

class AudioMidiPlayer : public MidiPlayer {
public:
    bool Open(const std::filesystem::path& file) override {
        piece_ = audio::MusicPiece::Load(file, 0, 0, audio::MusicFormat::Midi);
        return piece_ != nullptr;
    }
    bool Play() override { return piece_ && piece_->Play(); }
    void Stop() override {
        if (piece_)
            piece_->Stop();
    }
    void Close() override { piece_.reset(); }
    bool IsOpen() const override { return piece_ != nullptr; }
    bool Playing() const override { return piece_ && !piece_->Finished(); }

private:
    std::unique_ptr<audio::MusicPiece> piece_;
};

// Bounds on what the decoder takes in and writes out: a stream is read whole
// into memory when it opens, and a PCM file is decoded whole before it is
// written (about 25 minutes of CD audio).
constexpr size_t kMaxStreamBytes = 64u * 1024u * 1024u;
constexpr size_t kMaxPcmFileBytes = 256u * 1024u * 1024u;
// How much of a file's start is searched for its first frame.
constexpr int64_t kFrameSearchBytes = 16 * 1024;

// The decoder over the music channel. The end of play is noticed when the
// player asks for its mode or position, and raised in the player's flag.
//
// A stream is read whole through its callbacks when it opens (on the
// caller's thread, so the owner's events never run on the audio thread) and
// played from that copy; a restart reads it again when its owner says it is
// back at the start, and otherwise plays the copy again.
class AudioMpegLibrary : public MpegLibrary {
public:
    bool init() override { return Result(audio::DeviceOpen() ? 0 : kMpegOutputDevice); }
    void deinit() override { Close(); }
    void Open(const std::string& file, bool fromStream, const MpegStreamCallbacks* callbacks,
              void* context) override {
        Close();
        if (fromStream) {
            if (!callbacks || !callbacks->open(context)) {
                Result(kMpegInputStream);
                return;
            }
            stream_ = callbacks;
            context_ = context;
            if (!LoadStream()) {
                Close();
                Result(kMpegInputStream);
                return;
            }
        } else {
            piece_ = audio::MusicPiece::Load(file, 0, 0, audio::MusicFormat::Mpeg);
            if (!piece_) {
                Result(kMpegInputStream);
                return;
            }
            file_ = file;
            frame_ = FileFrame(file);
        }
        Result(0);
    }
    void Pause(bool pause) override {
        if (!Playing()) {
            Result(kMpegIncorrectMode);
            return;
        }
        piece_->Pause(pause);
        paused_ = pause;
        Result(0);
    }
    void Restart() override {
        if (!piece_) {
            Result(kMpegIncorrectMode);
            return;
        }
        if (stream_ && stream_->restart(context_) && !LoadStream()) {
            Close();
            Result(kMpegInputStream);
            return;
        }
        paused_ = false;
        Start();
    }
    void Stop() override {
        if (piece_)
            piece_->Stop();
        started_ = paused_ = false;
        Result(0);
    }
    void SetPriority(int) override { Result(0); }
    void SetOutputDevice(int device, const std::string& outFile) override {
        const bool known =
            device == static_cast<int>(MpegOutputDevice::wavemapper) ||
            (device == static_cast<int>(MpegOutputDevice::pcmfile) && !outFile.empty());
        if (known) {
            device_ = device;
            outFile_ = outFile;
        }
        Result(known ? 0 : kMpegOutputDevice);
    }
    int Play(int, int, std::atomic<bool>* endFlag) override {
        endFlag_ = endFlag;
        if (!piece_)
            return Result(kMpegIncorrectMode), 1;
        paused_ = false;
        Start();
        return error_;
    }
    void Close() override {
        piece_.reset();
        bytes_.reset();
        file_.clear();
        frame_.reset();
        if (stream_)
            stream_->close(context_);
        stream_ = nullptr;
        context_ = nullptr;
        started_ = paused_ = false;
        endFlag_ = nullptr;
        Result(0);
    }
    int GetPlayerMode() override {
        Result(0);
        if (!piece_)
            return kModeClosed;
        if (paused_)
            return kModePaused;
        return Playing() ? kModePlaying : kModeStopped;
    }
    int GetCurrentPos() override {
        Result(0);
        Playing();
        if (!piece_)
            return 0;
        return device_ == kPcmFile ? GetLength() : static_cast<int>(piece_->PositionMs());
    }
    int GetLength() override {
        Result(0);
        return piece_ ? static_cast<int>(piece_->LengthMs()) : 0;
    }
    int GetFrequency() override { return FrameValue(&MpegFrameInfo::frequency); }
    int GetBitrate() override { return FrameValue(&MpegFrameInfo::bitrate); }
    int GetLayer() override { return FrameValue(&MpegFrameInfo::layer); }
    void ResetPlayerMode() override {
        if (piece_)
            piece_->Stop();
        started_ = paused_ = false;
        if (endFlag_)
            endFlag_->store(false);
        Result(0);
    }
    void Seek(int position) override {
        if (!piece_ || !Playing() || position < 0) {
            Result(kMpegIncorrectMode);
            return;
        }
        // A stream seeks where its bytes for that time lie (a constant
        // bitrate assumed) before play moves there.
        const int64_t length = piece_->LengthMs();
        if (stream_ && bytes_ && length > 0) {
            const int64_t at = static_cast<int64_t>(static_cast<double>(bytes_->size()) *
                                                    std::min<int64_t>(position, length) / length);
            if (stream_->seek(context_, at) < 0) {
                Result(kMpegNonSeekable);
                return;
            }
        }
        Result(piece_->Seek(position) ? 0 : kMpegNonSeekable);
    }
    int LastError() override { return error_; }

private:
    static constexpr int kPcmFile = static_cast<int>(MpegOutputDevice::pcmfile);

    bool Result(int code) {
        error_ = code;
        return code == 0;
    }
    int FrameValue(int MpegFrameInfo::*field) {
        if (!piece_) {
            Result(kMpegIncorrectMode);
            return 0;
        }
        Result(0);
        return frame_ ? (*frame_).*field : 0;
    }
    // Reads the whole stream through its callbacks and decodes from it.
    bool LoadStream() {
        const int64_t size = stream_->size(context_);
        if (size > static_cast<int64_t>(kMaxStreamBytes))
            return false;
        auto bytes = std::make_shared<std::string>();
        bytes->reserve(size > 0 ? static_cast<size_t>(size) : 0);
        std::string block(64 * 1024, '\0');
        for (;;) {
            int got = 0;
            if (!stream_->read(context_, block.data(), static_cast<int>(block.size()), &got))
                return false;
            if (got <= 0)
                break;
            if (bytes->size() + static_cast<size_t>(got) > kMaxStreamBytes)
                return false;
            bytes->append(block.data(), static_cast<size_t>(got));
        }
        auto piece = audio::MusicPiece::LoadBytes(bytes, audio::MusicFormat::Mpeg);
        if (!piece)
            return false;
        if (piece_)
            piece_->Stop();
        piece_ = std::move(piece);
        frame_ = FindFirstMpegFrame(*bytes);
        bytes_ = std::move(bytes);
        return true;
    }
    static std::optional<MpegFrameInfo> FileFrame(const std::string& file) {
        std::optional<std::string> head = ReadFileRange(file, 0, 10);
        if (!head)
            return std::nullopt;
        const int64_t skip = static_cast<int64_t>(Id3v2TagSize(*head));
        std::error_code ec;
        const auto size = static_cast<int64_t>(std::filesystem::file_size(file, ec));
        if (ec || skip >= size)
            return std::nullopt;
        std::optional<std::string> frames =
            ReadFileRange(file, skip, std::min(kFrameSearchBytes, size - skip));
        return frames ? FindFirstMpegFrame(*frames) : std::nullopt;
    }
    // Plays on the device, or writes the whole stream to the PCM file and
    // counts it as played to its end.
    void Start() {
        if (device_ != kPcmFile) {
            started_ = piece_->Play();
            Result(started_ ? 0 : kMpegOutputDevice);
            return;
        }
        started_ = false;
        const audio::DeviceFormat format = audio::OpenFormat();
        const double bytes =
            static_cast<double>(piece_->LengthMs()) / 1000.0 * format.rate * format.channels * 2;
        if (bytes > static_cast<double>(kMaxPcmFileBytes)) {
            Result(kMpegOutputDevice);
            return;
        }
        std::optional<audio::DecodedPcm> pcm = bytes_
                                                   ? audio::DecodeBytes(*bytes_, kMaxPcmFileBytes)
                                                   : audio::DecodeFile(file_, kMaxPcmFileBytes);
        if (!pcm) {
            Result(kMpegInputStream);
            return;
        }
        if (!WriteFileAtomic(outFile_, PcmWaveImage(pcm->rate, pcm->channels, pcm->samples))) {
            Result(kMpegOutputDevice);
            return;
        }
        if (endFlag_)
            endFlag_->store(true);
        Result(0);
    }
    // Playing now; the first look after the end raises the end flag.
    bool Playing() {
        if (!piece_ || !started_)
            return false;
        if (!paused_ && piece_->Finished()) {
            started_ = false;
            if (endFlag_)
                endFlag_->store(true);
            return false;
        }
        return true;
    }

    std::unique_ptr<audio::MusicPiece> piece_;
    std::shared_ptr<const std::string> bytes_;  // a stream's copy
    std::string file_;
    std::optional<MpegFrameInfo> frame_;
    const MpegStreamCallbacks* stream_ = nullptr;
    void* context_ = nullptr;
    std::atomic<bool>* endFlag_ = nullptr;
    int device_ = static_cast<int>(MpegOutputDevice::wavemapper);
    std::string outFile_;
    bool started_ = false;
    bool paused_ = false;
    int error_ = 0;
};

}  // namespace

std::string PcmWaveImage(int rate, int channels, std::string_view samples) {
    auto put = [](std::string& out, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const auto dataSize = static_cast<uint32_t>(samples.size());
    std::string wav = "RIFF";
    put(wav, 36 + dataSize, 4);
    wav += "WAVEfmt ";
    put(wav, 16, 4);
    put(wav, 1, 2);  // PCM
    put(wav, static_cast<uint32_t>(channels), 2);
    put(wav, static_cast<uint32_t>(rate), 4);
    put(wav, static_cast<uint32_t>(rate * channels * 2), 4);  // bytes per second
    put(wav, static_cast<uint32_t>(channels * 2), 2);         // bytes per frame
    put(wav, 16, 2);                                          // bits per sample
    wav += "data";
    put(wav, dataSize, 4);
    wav.append(samples);
    return wav;
}

bool OpenEditorAudio() {
    return audio::OpenDevice();
}

void CloseEditorAudio() {
    audio::CloseDevice();
}

std::unique_ptr<SoundPlayer> MakeAudioSoundPlayer() {
    return std::make_unique<AudioSoundPlayer>();
}

std::unique_ptr<MidiPlayer> MakeAudioMidiPlayer() {
    return std::make_unique<AudioMidiPlayer>();
}

MpegLibraryLoader AudioMpegLoader() {
    return [](const std::string&) -> std::unique_ptr<MpegLibrary> {
        if (!audio::DeviceOpen())
            return nullptr;
        return std::make_unique<AudioMpegLibrary>();
    };
}

}  // namespace pk
