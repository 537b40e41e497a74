#include "editor/MPEGPlay.h"

namespace pk {

std::string MpegErrorText(int code) {
    switch (code) {
        case kMpegNotLoaded:
            return "MPEG library not loaded";
        case kMpegInternal:
            return "Internal decoder error";
        case kMpegIncorrectMode:
            return "Incorrect mode";
        case kMpegInputStream:
            return "Input stream error";
        case kMpegNonSeekable:
            return "Input stream is non-seekable";
        case kMpegOutputDevice:
            return "Output device failure";
        case kMpegNoStream:
            return kNoStreamText;
        default:
            break;
    }
    return "MPEG decoder error " + std::to_string(code);
}

int ThreadPriorityValue(PlayerPriority p) {
    static constexpr int values[] = {-15, -2, -1, 0, 1, 2, 15};
    return values[static_cast<int>(p)];
}

namespace {

[[noreturn]] void Raise(int code) {
    throw TMPEGError(MpegErrorText(code), code);
}

TMPEGPlayer& Player(void* context) {
    return *static_cast<TMPEGPlayer*>(context);
}

// Each forwards to its event, and answers as a stream that cannot do it when
// the event has no handler or its handler throws (the decoder is no place
// for the owner's exceptions).
template <typename T, typename F>
T Forward(T fallback, F&& call) {
    try {
        return call();
    } catch (...) {
        return fallback;
    }
}

bool StreamOpen(void* context) {
    TMPEGPlayer& p = Player(context);
    return Forward(false, [&] { return p.OnOpenStream ? p.OnOpenStream(p) : false; });
}

void StreamClose(void* context) {
    TMPEGPlayer& p = Player(context);
    Forward(0, [&] {
        if (p.OnCloseStream)
            p.OnCloseStream(p);
        return 0;
    });
}

bool StreamRestart(void* context) {
    TMPEGPlayer& p = Player(context);
    return Forward(false, [&] { return p.OnRestartStream ? p.OnRestartStream(p) : false; });
}

bool StreamRead(void* context, char* buffer, int size, int* bytesRead) {
    TMPEGPlayer& p = Player(context);
    *bytesRead = 0;
    int got = 0;
    const bool ok = Forward(
        false, [&] { return p.OnReadStream ? p.OnReadStream(p, buffer, size, got) : false; });
    // A handler's count is not trusted past the buffer it was given.
    if (!ok || got < 0 || got > size)
        return false;
    *bytesRead = got;
    return true;
}

int64_t StreamSeek(void* context, int64_t position) {
    TMPEGPlayer& p = Player(context);
    return Forward<int64_t>(-1, [&] { return p.OnSeekStream ? p.OnSeekStream(p, position) : -1; });
}

int64_t StreamSize(void* context) {
    TMPEGPlayer& p = Player(context);
    return Forward<int64_t>(-1, [&] { return p.OnGetStreamSize ? p.OnGetStreamSize(p) : -1; });
}

}  // namespace

const MpegStreamCallbacks& TMPEGPlayer::StreamCallbacks() {
    static constexpr MpegStreamCallbacks callbacks{StreamOpen, StreamClose, StreamRestart,
                                                   StreamRead, StreamSeek,  StreamSize};
    return callbacks;
}

TMPEGPlayer::TMPEGPlayer(MpegLibraryLoader loader) : loader_(std::move(loader)) {}

TMPEGPlayer::~TMPEGPlayer() {
    try {
        if (Loaded())
            UnloadMpegLibrary();
    } catch (...) {
        // Going away anyway: the decoder is freed below.
    }
}

MpegLibrary& TMPEGPlayer::Lib() {
    if (!library_)
        Raise(kMpegNotLoaded);
    return *library_;
}

void TMPEGPlayer::Check() {
    int code = Lib().LastError();
    if (code > 0)
        Raise(code);
}

std::string TMPEGPlayer::LibraryPath() const {
    std::string path = PathToDLL;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + "mpegdll";
}

void TMPEGPlayer::LoadMpegLibrary() {
    if (Loaded())
        return;
    std::unique_ptr<MpegLibrary> lib = loader_ ? loader_(LibraryPath()) : nullptr;
    if (!lib)
        throw TMPEGError(kCantLoadMpeg, kMpegNotLoaded);
    if (!lib->init()) {
        int code = lib->LastError();
        Raise(code);
    }
    library_ = std::move(lib);
    timerEnabled_ = false;
    timerInterval_ = UseTimer ? TimerFreq : 0;
    length_ = 0;
}

void TMPEGPlayer::UnloadMpegLibrary() {
    Lib();
    if (open_)
        CloseStream();
    library_->deinit();
    library_.reset();
    timerEnabled_ = false;
}

void TMPEGPlayer::SetStreamName(const std::string& name) {
    if (open_)
        CloseStream();
    streamName_ = name;
}

void TMPEGPlayer::SetPlayerPriority(PlayerPriority p) {
    priority_ = p;
    if (Loaded())
        library_->SetPriority(ThreadPriorityValue(p));
}

void TMPEGPlayer::OpenStream() {
    Lib();
    if (open_)
        CloseStream();
    if (FromStream) {
        library_->Open({}, true, &StreamCallbacks(), this);
    } else {
        if (streamName_.empty())
            Raise(kMpegNoStream);
        library_->Open(streamName_, false, nullptr, nullptr);
    }
    Check();
    open_ = true;
    endFlag_ = false;
    playedXTimes_ = 1;
    length_ = library_->GetLength();
    if (AutoPlay)
        PlayStream();
}

void TMPEGPlayer::StartTimer() {
    if (UseTimer && timerInterval_ != 0) {
        timerEnabled_ = true;
        TimerTick();
    }
}

void TMPEGPlayer::PlayStream() {
    Lib();
    if (paused_) {
        PauseStream(false);
        return;
    }
    if (playing_)
        return;
    if (!open_)
        OpenStream();
    if (playing_)  // AutoPlay started it
        return;
    if (playedXTimes_ < 2) {
        library_->SetPriority(ThreadPriorityValue(priority_));
        Check();
        library_->SetOutputDevice(static_cast<int>(OutputDevice), OutFilename);
        Check();
        endFlag_ = false;
        if (int result = library_->Play(StartPos, EndPos, &endFlag_); result != 0) {
            int code = library_->LastError();
            Raise(code > 0 ? code : kMpegInternal);
        }
        playing_ = true;
        ++playedXTimes_;
        StartTimer();
    } else {
        RestartStream();
    }
}

void TMPEGPlayer::PauseStream(bool pause) {
    Lib();
    if (!playing_ || endFlag_) {
        paused_ = false;
        if (pause)
            Raise(kMpegIncorrectMode);
        return;
    }
    library_->Pause(pause);
    Check();
    paused_ = pause;
}

void TMPEGPlayer::StopStream() {
    Lib();
    if (!playing_ || endFlag_)
        Raise(kMpegIncorrectMode);
    library_->Stop();
    Check();
    playing_ = false;
    paused_ = false;
}

void TMPEGPlayer::RestartStream() {
    Lib();
    if (!open_)
        Raise(kMpegIncorrectMode);
    endFlag_ = false;
    library_->Restart();
    Check();
    playing_ = true;
    paused_ = false;
    ++playedXTimes_;
    StartTimer();
}

void TMPEGPlayer::CloseStream() {
    Lib();
    open_ = paused_ = playing_ = false;
    playedXTimes_ = 0;
    timerEnabled_ = false;
    library_->Close();
    Check();
}

int TMPEGPlayer::GetPlayerMode() {
    int mode = Lib().GetPlayerMode();
    Check();
    return mode;
}

int TMPEGPlayer::GetCurrentPos() {
    int pos = Lib().GetCurrentPos();
    Check();
    return pos;
}

int TMPEGPlayer::GetLength() {
    int length = Lib().GetLength();
    Check();
    return length;
}

void TMPEGPlayer::TimerTick() {
    if (!open_ || !playing_ || !Loaded()) {
        timerEnabled_ = false;
        return;
    }
    int pos = library_->GetCurrentPos();
    if (OnPosUpdate)
        OnPosUpdate(pos > length_ ? 0 : pos, length_);
    if (endFlag_) {
        timerEnabled_ = false;
        playing_ = false;
        if (OnPlayEnd) {
            endFlag_ = false;
            OnPlayEnd(*this);
        }
    }
}

}  // namespace pk
