#include "editor/zraudio.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "klb/wave.h"
#include "platform/audio/audiodevice.h"
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

// The decoder over the music channel. The end of play is noticed when the
// player asks for its mode or position, and raised in the player's flag.
class AudioMpegLibrary : public MpegLibrary {
public:
    bool init() override { return Result(audio::DeviceOpen() ? 0 : kMpegOutputDevice); }
    void deinit() override { Close(); }
    void Open(const std::string& file) override {
        piece_ = audio::MusicPiece::Load(file, 0, 0, audio::MusicFormat::Mpeg);
        started_ = paused_ = false;
        Result(piece_ ? 0 : kMpegInputStream);
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
        paused_ = false;
        Result(piece_->Play() ? 0 : kMpegOutputDevice);
        started_ = error_ == 0;
    }
    void Stop() override {
        if (piece_)
            piece_->Stop();
        started_ = paused_ = false;
        Result(0);
    }
    void SetPriority(int) override { Result(0); }
    void SetOutputDevice(int device, const std::string&) override {
        // Only the sound card: a PCM file is not written by this decoder.
        Result(device == 0 ? 0 : kMpegOutputDevice);
    }
    int Play(int, int, std::atomic<bool>* endFlag) override {
        endFlag_ = endFlag;
        if (!piece_)
            return Result(kMpegIncorrectMode), 1;
        paused_ = false;
        started_ = piece_->Play();
        Result(started_ ? 0 : kMpegOutputDevice);
        return error_;
    }
    void Close() override {
        piece_.reset();
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
        return piece_ ? static_cast<int>(piece_->PositionMs()) : 0;
    }
    int GetLength() override {
        Result(0);
        return piece_ ? static_cast<int>(piece_->LengthMs()) : 0;
    }
    int LastError() override { return error_; }

private:
    bool Result(int code) {
        error_ = code;
        return code == 0;
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
    std::atomic<bool>* endFlag_ = nullptr;
    bool started_ = false;
    bool paused_ = false;
    int error_ = 0;
};

}  // namespace

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
