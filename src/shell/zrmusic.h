#pragma once
// Background music on a thread of its own, so that opening and starting a
// piece never stalls the interface. A piece is the file the player chose or a
// music entry of the theme, played in place inside its library (a MIDI entry
// from the "tmp.mid" it was extracted to).
//
// The main thread posts play and stop requests to a locked queue and never
// waits for the thread. The thread never waits for the main thread either:
// what it asks of it (move to the next track, clear a selection that cannot
// play) is posted there and runs later from the event loop. Every 100 ms the
// thread looks whether the piece ended: it then plays it again from its start,
// or, with "Loop all", has the main thread move the selection to the next
// theme entry and request that one.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "klb/zrtheme.h"
#include "platform/audio/musicpiece.h"

namespace pk {

// The kinds of piece, numbered as the request record numbers them.
enum class MusicKind : uint8_t { Stream = 0, Ogg = 1, Midi = 2, Module = 3 };

// What one play request plays, resolved on the main thread.
struct MusicTrack {
    std::filesystem::path file;
    int64_t offset = 0;
    int64_t length = 0;  // 0: to the end of the file
    MusicKind kind = MusicKind::Stream;
    audio::MusicFormat format = audio::MusicFormat::Mpeg;
};

// Kind and decoder of a piece by its file type or extension ("mp3", ".MP3").
// nullopt for a type outside the table and for one no decoder here reads
// (MO3), with the reason in *why.
struct MusicType {
    MusicKind kind;
    audio::MusicFormat format;
};
std::optional<MusicType> MusicTypeOf(std::string_view type, std::string* why = nullptr);

// What a selection plays: the external file when it exists (its kind by its
// extension), otherwise the selected theme entry (its kind by its own file
// type; MIDI from the program folder's "tmp." + type, anything else in place
// inside its library). nullopt, logged, when there is nothing that can play.
std::optional<MusicTrack> ResolveMusic(const TZRTheme& selection,
                                       const std::filesystem::path& programFolder);

// The theme page's music selection, as the music routines of the main thread
// need it.
class MusicSelection {
public:
    virtual ~MusicSelection() = default;
    // The selection whose music plays (the settings' theme).
    virtual TZRTheme& SelectedTheme() = 0;
    // Makes `file` (when it exists) and `entry` the music choice without
    // restarting the music (the theme page's selection routine).
    virtual void SelectMusic(const std::string& file, TZRC* entry) = 0;
};

// Main thread. Moves the selection to the theme's music entry after the
// selected one (the first after the last), unless an external file that
// exists is chosen or the entry is not among the theme's music.
void NextMusicTrack(MusicSelection& selection);
// Main thread. Clears the music choice.
void ResetMusicSelection(MusicSelection& selection);

class TZRMusicThread {
public:
    // Hands work to the main thread without waiting (the thread bridge's post).
    using PostToMain = std::function<void(std::function<void()>)>;

    // Nothing runs until `Start`. `selection` must outlive the thread's
    // posted work (it is only touched on the main thread).
    TZRMusicThread(std::filesystem::path programFolder, PostToMain post, MusicSelection* selection);
    ~TZRMusicThread();  // Shutdown
    TZRMusicThread(const TZRMusicThread&) = delete;
    TZRMusicThread& operator=(const TZRMusicThread&) = delete;

    void Start();
    // Main thread. Plays the selection's music, replacing what plays or waits.
    // A selection with nothing to play posts nothing.
    void MusicRequest(const TZRTheme& selection);
    // Main thread. Stops the music, and a play requested and not yet started.
    void MusicStopRequest();
    // Stop, terminate, join: the thread ends without waiting for the main
    // thread, so closing never hangs. Idempotent.
    void Shutdown();

    // The "loopallmusic" option; any thread.
    void SetLoopAllMusic(bool on) { loopAll_ = on; }
    bool LoopAllMusic() const { return loopAll_; }

    // A piece was started and is being watched.
    bool Playing() const { return playing_; }
    // Pieces loaded, and plays started (loads and replays), since creation.
    int Loads() const { return loads_; }
    int Plays() const { return plays_; }
    // The track of the last play the thread started.
    MusicTrack CurrentTrack() const;

private:
    struct Command {
        enum Kind { Play, Stop } kind = Stop;
        MusicTrack track;
        uint64_t generation = 0;
    };

    void Run();
    void Execute(const Command& command);
    void MusicPlay(bool fresh);
    void MusicStop();
    void Watch();
    void Failed(const std::string& why, bool resetSelection);
    // Runs `work` on the main thread unless a newer request came meanwhile.
    void PostUnlessSuperseded(uint64_t generation, std::function<void()> work);

    const std::filesystem::path programFolder_;
    PostToMain post_;
    MusicSelection* selection_;

    // Main thread only.
    uint64_t generation_ = 0;  // counts requests; posted work of an older one is dropped
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool shutDown_ = false;

    mutable std::mutex mutex_;  // guards the queue, terminate_ and current_
    std::condition_variable wake_;
    std::deque<Command> queue_;
    bool terminate_ = false;
    MusicTrack current_;

    std::atomic<bool> playing_{false};
    std::atomic<bool> loopAll_{true};
    std::atomic<int> loads_{0};
    std::atomic<int> plays_{0};

    // Music thread only.
    std::unique_ptr<audio::MusicPiece> piece_;
    uint64_t pieceGeneration_ = 0;

    std::thread thread_;
};

}  // namespace pk
