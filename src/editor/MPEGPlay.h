// The editor's MP3 player `TMPEGPlayer` (unit MPEGPlay): a small state
// machine over an MPEG audio decoder (`MpegLibrary`), with the decoder's error
// codes turned into `TMPEGError`s and the play position and end reported
// through a timer tick. It plays a file, or a stream its owner serves through
// the six stream events.
//
// States: not loaded -> loaded (LoadMpegLibrary) -> open (OpenStream) ->
// playing <-> paused; the decoder raises the end flag when the stream ends;
// StopStream goes back to open, CloseStream to loaded, UnloadMpegLibrary to
// not loaded.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace pk {

// Error codes of the decoder, and ours above them.
enum MpegErrorCode : int {
    kMpegNotLoaded = 0,
    kMpegInternal = 1,
    kMpegIncorrectMode = 2,
    kMpegInputStream = 3,
    kMpegNonSeekable = 4,
    kMpegOutputDevice = 5,
    kMpegNoStream = 254,
};

class TMPEGError : public std::runtime_error {
public:
    TMPEGError(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// The text of a decoder error code. Codes the decoder does not document read
// as a decoder error with their number.
std::string MpegErrorText(int code);
inline constexpr const char* kCantLoadMpeg = "Can't load MPEG library";
inline constexpr const char* kNoStreamText = "Can't play non-specified stream";

// What the decoder reports as its mode.
enum MpegPlayerMode : int {
    kModeClosed = 0,
    kModeStopped = 1,  // open, not playing
    kModePaused = 2,
    kModePlaying = 3,
};

// The callbacks a stream is served through; each gets the context handed to
// Open. The decoder calls them on the thread that calls it.
struct MpegStreamCallbacks {
    bool (*open)(void* context);
    void (*close)(void* context);
    // Back to the start for another play; false when the stream cannot.
    bool (*restart)(void* context);
    // Up to `size` bytes into `buffer`, their count in *bytesRead (0 at the
    // end of the stream); false on an error.
    bool (*read)(void* context, char* buffer, int size, int* bytesRead);
    // To byte `position` from the start: the new position, or -1 when the
    // stream cannot seek.
    int64_t (*seek)(void* context, int64_t position);
    // The stream's length in bytes, or -1 when it is not known.
    int64_t (*size)(void* context);
};

// The decoder's entry points. Each call leaves its error code for
// LastError() (0: none).
class MpegLibrary {
public:
    virtual ~MpegLibrary() = default;
    virtual bool init() = 0;
    virtual void deinit() = 0;
    // Opens the file, or with `fromStream` the stream served through
    // `callbacks` (the file name is then empty).
    virtual void Open(const std::string& file, bool fromStream,
                      const MpegStreamCallbacks* callbacks, void* context) = 0;
    virtual void Pause(bool pause) = 0;
    virtual void Restart() = 0;
    virtual void Stop() = 0;
    virtual void SetPriority(int priority) = 0;
    virtual void SetOutputDevice(int device, const std::string& outFile) = 0;
    // Starts playing; `endFlag` is raised (from the decoder's own thread)
    // when the stream ends. Non-zero is an error.
    virtual int Play(int startPos, int endPos, std::atomic<bool>* endFlag) = 0;
    virtual void Close() = 0;
    virtual int GetPlayerMode() = 0;
    virtual int GetCurrentPos() = 0;  // milliseconds
    virtual int GetLength() = 0;      // milliseconds
    // The open stream's first frame: sampling frequency (Hz), bitrate
    // (kbit/s) and layer (1 to 3); 0 when not known.
    virtual int GetFrequency() = 0;
    virtual int GetBitrate() = 0;
    virtual int GetLayer() = 0;
    // Forgets a pause or an end: an open stream is stopped at its start.
    virtual void ResetPlayerMode() = 0;
    // Moves play to `position` milliseconds from the start.
    virtual void Seek(int position) = 0;
    virtual int LastError() = 0;
};

// Finds and starts a decoder from the folder named; nullptr when there is none.
using MpegLibraryLoader = std::function<std::unique_ptr<MpegLibrary>(const std::string& path)>;

enum class PlayerPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
int ThreadPriorityValue(PlayerPriority p);
// The sound card, or a file that receives the decoded samples instead: a WAV
// file of 16-bit PCM at the audio device's mixing rate and channel count,
// written whole (and atomically) when play starts.
enum class MpegOutputDevice { wavemapper = 0, pcmfile = 1 };

class TMPEGPlayer {
public:
    explicit TMPEGPlayer(MpegLibraryLoader loader);
    ~TMPEGPlayer();  // unloads quietly
    TMPEGPlayer(const TMPEGPlayer&) = delete;
    TMPEGPlayer& operator=(const TMPEGPlayer&) = delete;

    // Each raises TMPEGError.
    void LoadMpegLibrary();
    void UnloadMpegLibrary();
    void OpenStream();
    void PlayStream();
    void PauseStream(bool pause);
    void StopStream();
    void RestartStream();
    void CloseStream();
    int GetPlayerMode();
    int GetCurrentPos();
    int GetLength();

    // The timer's tick: reports the position and, at the end, stops. The
    // owner calls it every TimerInterval() milliseconds while TimerEnabled().
    void TimerTick();
    bool TimerEnabled() const { return timerEnabled_; }
    // Set from UseTimer and TimerFreq when the decoder is loaded.
    int TimerInterval() const { return timerInterval_; }

    bool Loaded() const { return library_ != nullptr; }
    bool IsOpen() const { return open_; }
    bool IsPlaying() const { return playing_; }
    bool IsPaused() const { return paused_; }
    bool Ended() const { return endFlag_.load(); }
    int PlayedXTimes() const { return playedXTimes_; }

    // Properties.
    bool Seekable = false;
    // Play the stream served through the stream events instead of StreamName.
    bool FromStream = false;
    bool AutoPlay = false;
    std::string PathToDLL;
    std::string OutFilename;
    MpegOutputDevice OutputDevice = MpegOutputDevice::wavemapper;
    int StartPos = 0, EndPos = 0;
    void SetStreamName(const std::string& name);
    const std::string& StreamName() const { return streamName_; }
    void SetPlayerPriority(PlayerPriority p);
    PlayerPriority GetPlayerPriority() const { return priority_; }
    bool UseTimer = false;
    int TimerFreq = 0;  // milliseconds

    // Events.
    std::function<void(int position, int length)> OnPosUpdate;
    std::function<void(TMPEGPlayer&)> OnPlayEnd;
    // The stream's events (FromStream). Without a handler the decoder hears
    // the answers of a stream that cannot do it: open, restart and read
    // fail, seek and size answer -1. A handler that throws counts as failed.
    std::function<bool(TMPEGPlayer&)> OnOpenStream;
    std::function<void(TMPEGPlayer&)> OnCloseStream;
    std::function<bool(TMPEGPlayer&)> OnRestartStream;
    std::function<int64_t(TMPEGPlayer&)> OnGetStreamSize;
    std::function<int64_t(TMPEGPlayer&, int64_t position)> OnSeekStream;
    std::function<bool(TMPEGPlayer&, char* buffer, int size, int& bytesRead)> OnReadStream;
    // What the decoder is handed to reach those events.
    static const MpegStreamCallbacks& StreamCallbacks();

    // The full name the decoder is looked for under.
    std::string LibraryPath() const;

private:
    MpegLibrary& Lib();
    void Check();  // raises when the last call failed
    void StartTimer();

    MpegLibraryLoader loader_;
    std::unique_ptr<MpegLibrary> library_;
    bool open_ = false;
    bool playing_ = false;
    bool paused_ = false;
    // Raised by the decoder's thread, read and cleared here.
    std::atomic<bool> endFlag_{false};
    int length_ = 0;
    int playedXTimes_ = 0;
    bool timerEnabled_ = false;
    int timerInterval_ = 0;
    std::string streamName_;
    PlayerPriority priority_ = PlayerPriority::Normal;
};

}  // namespace pk
