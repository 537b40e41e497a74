#include "shell/zrmusic.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "core/zrmisc.h"
#include "platform/audio/audiodevice.h"
#include "platform/audio/audiolog.h"

namespace pk {

namespace {

using audio::MusicFormat;

constexpr auto kWatchInterval = std::chrono::milliseconds(100);

struct TypeRow {
    const char* type;
    MusicKind kind;
    MusicFormat format;
};

constexpr TypeRow kTypes[] = {
    {"mid", MusicKind::Midi, MusicFormat::Midi},
    {"mp3", MusicKind::Stream, MusicFormat::Mpeg},
    {"mp1", MusicKind::Stream, MusicFormat::Mpeg},
    {"mp2", MusicKind::Stream, MusicFormat::Mpeg},
    {"wav", MusicKind::Stream, MusicFormat::Wave},
    {"ogg", MusicKind::Ogg, MusicFormat::Ogg},
    {"mod", MusicKind::Module, MusicFormat::Module},
    {"it", MusicKind::Module, MusicFormat::Module},
    {"xm", MusicKind::Module, MusicFormat::Module},
    {"s3m", MusicKind::Module, MusicFormat::Module},
    {"mtm", MusicKind::Module, MusicFormat::Module},
    {"umx", MusicKind::Module, MusicFormat::Module},
};

bool IsFile(const std::filesystem::path& file) {
    std::error_code ec;
    return !file.empty() && std::filesystem::is_regular_file(file, ec);
}

}  // namespace

std::optional<MusicType> MusicTypeOf(std::string_view type, std::string* why) {
    if (!type.empty() && type.front() == '.')
        type.remove_prefix(1);
    const std::string lower = LowerCase(type);
    for (const TypeRow& row : kTypes)
        if (lower == row.type)
            return MusicType{row.kind, row.format};
    if (why)
        *why =
            lower == "mo3" ? "no decoder for MO3 modules" : "unknown music type \"" + lower + "\"";
    return std::nullopt;
}

std::optional<MusicTrack> ResolveMusic(const TZRTheme& selection,
                                       const std::filesystem::path& programFolder) {
    MusicTrack track;
    std::string type;
    if (IsFile(selection.externalMusicFile)) {
        track.file = selection.externalMusicFile;
        type = track.file.extension().string();
    } else if (selection.selectedMusic && selection.selectedMusic->music) {
        const TZRC& entry = *selection.selectedMusic;
        const TZRMusic& music = *entry.music;
        type = music.fileType;
        if (LowerCase(music.fileType) == "mid") {
            track.file = programFolder / ("tmp." + music.fileType);
        } else {
            // A size of 0 would mean the rest of the library: play nothing instead.
            if (music.offset < 0 || music.size <= 0) {
                audio::Log("music entry \"" + entry.name + "\" has no bytes to play");
                return std::nullopt;
            }
            track.file = entry.libraryFile;
            track.offset = music.offset;
            track.length = music.size;
        }
    } else {
        return std::nullopt;
    }
    if (!IsFile(track.file))
        return std::nullopt;
    std::string why;
    auto kind = MusicTypeOf(type, &why);
    if (!kind) {
        audio::Log("music not played: " + why + " (" + track.file.string() + ")");
        return std::nullopt;
    }
    track.kind = kind->kind;
    track.format = kind->format;
    return track;
}

void NextMusicTrack(MusicSelection& selection) {
    TZRTheme& theme = selection.SelectedTheme();
    if (IsFile(theme.externalMusicFile) || !theme.selectedMusic)
        return;
    const std::vector<TZRC*> list = ListMusicEntries(theme);
    auto at = std::find(list.begin(), list.end(), theme.selectedMusic);
    if (at == list.end())
        return;
    ++at;
    TZRC* next = at == list.end() ? list.front() : *at;
    selection.SelectMusic(theme.externalMusicFile, next);
}

void ResetMusicSelection(MusicSelection& selection) {
    selection.SelectMusic("", nullptr);
}

TZRMusicThread::TZRMusicThread(std::filesystem::path programFolder, PostToMain post,
                               MusicSelection* selection)
    : programFolder_(std::move(programFolder)), post_(std::move(post)), selection_(selection) {}

TZRMusicThread::~TZRMusicThread() {
    Shutdown();
}

void TZRMusicThread::Start() {
    if (thread_.joinable() || shutDown_)
        return;
    thread_ = std::thread([this] { Run(); });
}

void TZRMusicThread::MusicRequest(const TZRTheme& selection) {
    if (shutDown_)
        return;
    auto track = ResolveMusic(selection, programFolder_);
    if (!track)
        return;
    ++generation_;
    std::lock_guard lock(mutex_);
    // A play replaces whatever waits: each play would stop the one before.
    queue_.clear();
    queue_.push_back(Command{Command::Play, std::move(*track), generation_});
    wake_.notify_one();
}

void TZRMusicThread::MusicStopRequest() {
    if (shutDown_)
        return;
    ++generation_;
    std::lock_guard lock(mutex_);
    // A play that has not started yet is cancelled with the rest.
    queue_.clear();
    queue_.push_back(Command{Command::Stop, {}, generation_});
    wake_.notify_one();
}

void TZRMusicThread::Shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    ++generation_;
    {
        std::lock_guard lock(mutex_);
        queue_.clear();
        queue_.push_back(Command{Command::Stop, {}, generation_});
        terminate_ = true;
        wake_.notify_one();
    }
    if (thread_.joinable())
        thread_.join();
    // Posted work still queued finds the thread gone and does nothing.
    alive_.reset();
}

MusicTrack TZRMusicThread::CurrentTrack() const {
    std::lock_guard lock(mutex_);
    return current_;
}

void TZRMusicThread::Run() {
    auto nextWatch = std::chrono::steady_clock::now() + kWatchInterval;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait_until(lock, nextWatch, [&] { return terminate_ || !queue_.empty(); });
        if (terminate_)
            break;
        if (!queue_.empty()) {
            Command command = std::move(queue_.front());
            queue_.pop_front();
            if (command.kind == Command::Play)
                current_ = command.track;
            lock.unlock();
            Execute(command);
            lock.lock();
            continue;
        }
        nextWatch = std::chrono::steady_clock::now() + kWatchInterval;
        lock.unlock();
        Watch();
        lock.lock();
    }
    lock.unlock();
    MusicStop();
}

void TZRMusicThread::Execute(const Command& command) {
    if (playing_)
        MusicStop();
    if (command.kind == Command::Play) {
        pieceGeneration_ = command.generation;
        MusicPlay(true);
    }
}

void TZRMusicThread::MusicPlay(bool fresh) {
    playing_ = true;
    if (fresh) {
        piece_.reset();
        if (!audio::DeviceOpen()) {
            // Silent by design: the missing device was logged when it was opened.
            Failed("", false);
            return;
        }
        MusicTrack track = CurrentTrack();
        std::string why;
        piece_ =
            audio::MusicPiece::Load(track.file, track.offset, track.length, track.format, &why);
        if (!piece_) {
            Failed(why, true);
            return;
        }
        ++loads_;
    }
    std::string why;
    if (!piece_ || !piece_->Play(&why)) {
        Failed(why, true);
        return;
    }
    ++plays_;
}

void TZRMusicThread::MusicStop() {
    playing_ = false;
    piece_.reset();
}

void TZRMusicThread::Watch() {
    if (!playing_ || !piece_ || !piece_->Finished())
        return;
    if (loopAll_) {
        MusicStop();
        PostUnlessSuperseded(pieceGeneration_, [this] {
            if (selection_) {
                NextMusicTrack(*selection_);
                MusicRequest(selection_->SelectedTheme());
            }
        });
    } else {
        MusicPlay(false);
    }
}

void TZRMusicThread::Failed(const std::string& why, bool resetSelection) {
    if (!why.empty())
        audio::Log("music not played: " + why);
    MusicStop();
    if (resetSelection)
        PostUnlessSuperseded(pieceGeneration_, [this] {
            if (selection_)
                ResetMusicSelection(*selection_);
        });
}

void TZRMusicThread::PostUnlessSuperseded(uint64_t generation, std::function<void()> work) {
    if (!post_)
        return;
    std::weak_ptr<bool> alive = alive_;
    post_([this, alive, generation, work = std::move(work)] {
        // Main thread: generation_ and alive_ are only changed here.
        if (alive.expired() || shutDown_ || generation != generation_)
            return;
        work();
    });
}

}  // namespace pk
