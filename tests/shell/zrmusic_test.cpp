// The music thread: what a selection plays, theme entries played in place from
// their library (MIDI from "tmp.mid"), replay without reload, loop-all through
// the entries, stops that cancel what waits, failures that clear the choice,
// and a close that never hangs.
#include "shell/zrmusic.h"

#include <gtest/gtest.h>

#include <QThread>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/audio/audiodevice.h"
#include "platform/threadbridge.h"
#include "shell/zrsound.h"
#include "support/audio_fixture.h"
#include "support/media.h"
#include "support/qtapp.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

using audio::MusicFormat;
using test::WaitFor;

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// The main thread's queue as the test sees it: posted work waits until the
// test runs it.
class MainQueue {
public:
    TZRMusicThread::PostToMain Poster() {
        return [this](std::function<void()> work) {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(work));
        };
    }
    size_t Size() {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }
    void Drain() {
        for (;;) {
            std::function<void()> work;
            {
                std::lock_guard lock(mutex_);
                if (queue_.empty())
                    return;
                work = std::move(queue_.front());
                queue_.pop_front();
            }
            work();
        }
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
};

// The theme page's selection routine, without restart.
class FakeSelection : public MusicSelection {
public:
    explicit FakeSelection(TZRTheme& theme) : theme_(theme) {}
    TZRTheme& SelectedTheme() override { return theme_; }
    void SelectMusic(const std::string& file, TZRC* entry) override {
        std::error_code ec;
        theme_.externalMusicFile = std::filesystem::is_regular_file(file, ec) ? file : "";
        theme_.selectedMusic = entry;
        picks.push_back(entry ? entry->name : "");
    }
    std::vector<std::string> picks;

private:
    TZRTheme& theme_;
};

class MusicTest : public testing::Test {
protected:
    // A theme whose music entries are the given (name, bytes, type).
    void LoadLibrary(const std::vector<std::tuple<std::string, std::string, std::string>>& tunes) {
        std::vector<KlbEntry> entries = {test::MainEntry("Main", "*")};
        for (const auto& [name, bytes, type] : tunes)
            entries.push_back(test::MusicEntry(name, "*", bytes, type));
        library_ = test::SaveLibrary(dir_.Path() / "music.klb", entries);
        ASSERT_TRUE(LoadTheme(library_, "x", theme_, {}, dir_.Path()));
    }
    TZRC* Entry(const std::string& name) { return FindMusicEntry(name, theme_); }
    // Runs posted work until `done` holds (the test thread is the main thread).
    bool ServeUntil(const std::function<bool()>& done, int limitMs = 10000) {
        return WaitFor(
            [&] {
                main_.Drain();
                return done();
            },
            limitMs);
    }

    test::TempDir dir_;
    std::filesystem::path library_;
    TZRTheme theme_;
    FakeSelection selection_{theme_};
    MainQueue main_;
    TZRMusicThread music_{dir_.Path(), main_.Poster(), &selection_};
};

TEST(MusicType, FollowsTheTableOfExtensions) {
    struct Row {
        const char* type;
        MusicKind kind;
        MusicFormat format;
    };
    for (const Row& r : {Row{"mid", MusicKind::Midi, MusicFormat::Midi},
                         Row{".MP3", MusicKind::Stream, MusicFormat::Mpeg},
                         Row{"mp1", MusicKind::Stream, MusicFormat::Mpeg},
                         Row{"Mp2", MusicKind::Stream, MusicFormat::Mpeg},
                         Row{".wav", MusicKind::Stream, MusicFormat::Wave},
                         Row{"ogg", MusicKind::Ogg, MusicFormat::Ogg},
                         Row{"mod", MusicKind::Module, MusicFormat::Module},
                         Row{".it", MusicKind::Module, MusicFormat::Module},
                         Row{"XM", MusicKind::Module, MusicFormat::Module},
                         Row{"s3m", MusicKind::Module, MusicFormat::Module},
                         Row{"mtm", MusicKind::Module, MusicFormat::Module},
                         Row{"umx", MusicKind::Module, MusicFormat::Module}}) {
        auto t = MusicTypeOf(r.type);
        ASSERT_TRUE(t) << r.type;
        EXPECT_EQ(t->kind, r.kind) << r.type;
        EXPECT_EQ(t->format, r.format) << r.type;
    }
    std::string why;
    EXPECT_FALSE(MusicTypeOf(".mo3", &why));
    EXPECT_NE(why.find("MO3"), std::string::npos);
    EXPECT_FALSE(MusicTypeOf("flac", &why));
    EXPECT_NE(why.find("unknown"), std::string::npos);
    EXPECT_FALSE(MusicTypeOf(""));
}

TEST_F(MusicTest, ResolvesTheExternalFileFirstThenTheEntry) {
    LoadLibrary({{"Tune", test::MakeMidi(), "mid"}, {"Song", "mp3 bytes", "mp3"}});
    TZRC* song = Entry("song");
    theme_.selectedMusic = song;
    auto track = ResolveMusic(theme_, dir_.Path());
    ASSERT_TRUE(track);
    EXPECT_EQ(track->file, library_);  // in place, by offset and size
    EXPECT_EQ(track->offset, song->music->offset);
    EXPECT_EQ(track->length, 9);
    EXPECT_EQ(track->kind, MusicKind::Stream);

    // An external file that exists wins, its kind by its own extension.
    WriteFile(dir_.Path() / "mine.OGG", "x");
    theme_.externalMusicFile = (dir_.Path() / "mine.OGG").string();
    track = ResolveMusic(theme_, dir_.Path());
    ASSERT_TRUE(track);
    EXPECT_EQ(track->file, dir_.Path() / "mine.OGG");
    EXPECT_EQ(track->offset, 0);
    EXPECT_EQ(track->length, 0);
    EXPECT_EQ(track->kind, MusicKind::Ogg);

    // A missing external file falls back to the entry; a MIDI entry plays from
    // the file it was extracted to, and only once that exists.
    theme_.externalMusicFile = (dir_.Path() / "gone.mp3").string();
    theme_.selectedMusic = Entry("tune");
    EXPECT_FALSE(ResolveMusic(theme_, dir_.Path()));
    ASSERT_TRUE(LoadMusicEntry(*Entry("tune"), dir_.Path()));
    track = ResolveMusic(theme_, dir_.Path());
    ASSERT_TRUE(track);
    EXPECT_EQ(track->file, dir_.Path() / "tmp.mid");
    EXPECT_EQ(track->kind, MusicKind::Midi);

    theme_.selectedMusic = nullptr;
    EXPECT_FALSE(ResolveMusic(theme_, dir_.Path()));
}

TEST_F(MusicTest, AnEntryTakesItsKindFromItsOwnTypeAndUnknownKindsPlayNothing) {
    LoadLibrary({{"Mod", test::MakeModule(), "MOD"},
                 {"Old", "mo3 bytes", "mo3"},
                 {"Odd", "odd bytes", "xyz"},
                 {"Empty", "", "mp3"}});
    theme_.selectedMusic = Entry("mod");
    auto track = ResolveMusic(theme_, dir_.Path());
    ASSERT_TRUE(track);
    EXPECT_EQ(track->kind, MusicKind::Module);
    // The next request of an unknown kind does not reuse the previous kind.
    for (const char* name : {"old", "odd", "empty"}) {
        test::AudioLogCatcher log;
        theme_.selectedMusic = Entry(name);
        EXPECT_FALSE(ResolveMusic(theme_, dir_.Path())) << name;
        EXPECT_EQ(log.Lines().size(), 1u) << name;
    }
    WriteFile(dir_.Path() / "a.flac", "x");
    theme_.externalMusicFile = (dir_.Path() / "a.flac").string();
    test::AudioLogCatcher log;
    EXPECT_FALSE(ResolveMusic(theme_, dir_.Path()));
    EXPECT_TRUE(log.Has("unknown music type"));
}

TEST_F(MusicTest, NextMusicTrackWrapsAndKeepsAnExternalChoice) {
    LoadLibrary({{"A", "a", "mp3"}, {"B", "b", "mp3"}, {"C", "c", "mp3"}});
    theme_.selectedMusic = Entry("b");
    NextMusicTrack(selection_);
    EXPECT_EQ(theme_.selectedMusic, Entry("c"));
    NextMusicTrack(selection_);
    EXPECT_EQ(theme_.selectedMusic, Entry("a"));
    // A chosen file that exists stays the choice.
    WriteFile(dir_.Path() / "mine.mp3", "x");
    theme_.externalMusicFile = (dir_.Path() / "mine.mp3").string();
    NextMusicTrack(selection_);
    EXPECT_EQ(theme_.selectedMusic, Entry("a"));
    theme_.externalMusicFile.clear();
    TZRC stranger;
    theme_.selectedMusic = &stranger;
    NextMusicTrack(selection_);
    EXPECT_EQ(theme_.selectedMusic, &stranger);
    EXPECT_EQ(selection_.picks, (std::vector<std::string>{"C", "A"}));
    ResetMusicSelection(selection_);
    EXPECT_EQ(theme_.selectedMusic, nullptr);
}

TEST_F(MusicTest, AThemeMp3EntryPlaysItsByteRangeAndRestartsWithoutAReload) {
    LoadLibrary(
        {{"Intro", "not played", "mp3"}, {"Song", ReadFile(test::MediaFile("tone.mp3")), "mp3"}});
    test::DiskAudio device;
    ASSERT_TRUE(device.IsOpen());
    music_.SetLoopAllMusic(false);
    music_.Start();
    theme_.selectedMusic = Entry("song");
    music_.MusicRequest(theme_);
    ASSERT_TRUE(WaitFor([&] { return music_.Plays() >= 2; }));
    EXPECT_EQ(music_.Loads(), 1);
    EXPECT_TRUE(music_.Playing());
    MusicTrack track = music_.CurrentTrack();
    EXPECT_EQ(track.file, library_);
    EXPECT_EQ(track.offset, Entry("song")->music->offset);
    EXPECT_EQ(track.length, Entry("song")->music->size);
    music_.Shutdown();
    EXPECT_FALSE(music_.Playing());
    EXPECT_GT(test::Loud(device.Finish()), 20000u);  // two plays of 0.4 s
    EXPECT_EQ(main_.Size(), 0u);                     // nothing asked of the main thread
}

TEST_F(MusicTest, AThemeMidiEntryPlaysFromTmpMid) {
    LoadLibrary({{"Tune", test::ShortMidi(), "mid"}});
    test::DummyAudio device;
    music_.Start();
    theme_.selectedMusic = Entry("tune");
    ASSERT_TRUE(LoadMusicEntry(*theme_.selectedMusic, dir_.Path()));
    music_.MusicRequest(theme_);
    ASSERT_TRUE(WaitFor([&] { return music_.Plays() == 1; }));
    EXPECT_EQ(music_.CurrentTrack().file, dir_.Path() / "tmp.mid");
    EXPECT_EQ(music_.CurrentTrack().kind, MusicKind::Midi);
    EXPECT_TRUE(music_.Playing());
}

TEST_F(MusicTest, ExternalOggAndModulesPlay) {
    test::DummyAudio device;
    music_.Start();
    WriteFile(dir_.Path() / "a.ogg", ReadFile(test::MediaFile("tone.ogg")));
    WriteFile(dir_.Path() / "b.XM.mod", test::MakeModule());
    theme_.externalMusicFile = (dir_.Path() / "a.ogg").string();
    music_.MusicRequest(theme_);
    ASSERT_TRUE(WaitFor([&] { return music_.Loads() == 1; }));
    EXPECT_EQ(music_.CurrentTrack().kind, MusicKind::Ogg);
    theme_.externalMusicFile = (dir_.Path() / "b.XM.mod").string();
    music_.MusicRequest(theme_);
    ASSERT_TRUE(WaitFor([&] { return music_.Loads() == 2; }));
    EXPECT_EQ(music_.CurrentTrack().kind, MusicKind::Module);
    EXPECT_TRUE(music_.Playing());
}

TEST_F(MusicTest, LoopAllMovesThroughTheEntries) {
    const std::string shortWav = test::ConstantWav(2205, 500);  // 50 ms
    LoadLibrary({{"A", shortWav, "wav"}, {"B", shortWav, "wav"}, {"C", shortWav, "wav"}});
    test::DummyAudio device;
    music_.SetLoopAllMusic(true);
    music_.Start();
    theme_.selectedMusic = Entry("b");
    music_.MusicRequest(theme_);
    ASSERT_TRUE(ServeUntil([&] { return selection_.picks.size() >= 3; }));
    EXPECT_EQ(std::vector<std::string>(selection_.picks.begin(), selection_.picks.begin() + 3),
              (std::vector<std::string>{"C", "A", "B"}));
    // Each entry was loaded afresh from its own place in the library.
    ASSERT_TRUE(WaitFor([&] { return music_.Loads() >= 4; }));
    music_.MusicStopRequest();
    ASSERT_TRUE(WaitFor([&] { return !music_.Playing(); }));
}

TEST_F(MusicTest, AStopCancelsAPlayNotYetStarted) {
    LoadLibrary({{"Mod", test::MakeModule(), "mod"}});
    test::DummyAudio device;
    theme_.selectedMusic = Entry("mod");
    music_.MusicRequest(theme_);  // the thread has not started: the request waits
    music_.MusicStopRequest();
    music_.Start();
    music_.Shutdown();
    EXPECT_EQ(music_.Loads(), 0);
    EXPECT_EQ(audio::OpenFormat().channels, 2);
}

TEST_F(MusicTest, AStopWhileNothingPlaysDoesNothing) {
    test::DummyAudio device;
    music_.MusicStopRequest();  // not even started: returns at once
    music_.Start();
    music_.MusicStopRequest();
    music_.Shutdown();
    EXPECT_EQ(music_.Loads(), 0);
    EXPECT_EQ(main_.Size(), 0u);
}

TEST_F(MusicTest, ADecoderFailureIsLoggedAndClearsTheChoice) {
    LoadLibrary({{"Bad", std::string(3000, 'x'), "ogg"}, {"Mod", test::MakeModule(), "mod"}});
    test::DummyAudio device;
    test::AudioLogCatcher log;
    music_.Start();
    theme_.selectedMusic = Entry("bad");
    music_.MusicRequest(theme_);
    ASSERT_TRUE(ServeUntil([&] { return !selection_.picks.empty(); }));
    EXPECT_EQ(selection_.picks, std::vector<std::string>{""});
    EXPECT_EQ(theme_.selectedMusic, nullptr);
    EXPECT_FALSE(music_.Playing());
    EXPECT_TRUE(log.Has("music not played")) << testing::PrintToString(log.Lines());

    // A choice made after the failed request is not cleared by it.
    selection_.picks.clear();
    theme_.selectedMusic = Entry("bad");
    music_.MusicRequest(theme_);
    ASSERT_TRUE(WaitFor([&] { return main_.Size() == 1; }));
    theme_.selectedMusic = Entry("mod");
    music_.MusicRequest(theme_);
    main_.Drain();
    EXPECT_TRUE(selection_.picks.empty());
    EXPECT_EQ(theme_.selectedMusic, Entry("mod"));
    ASSERT_TRUE(WaitFor([&] { return music_.Loads() == 1; }));
}

TEST_F(MusicTest, AStopWinsOverALoopAllAdvanceStillOnItsWay) {
    LoadLibrary({{"A", test::ConstantWav(2205, 500), "wav"}, {"B", test::MakeModule(), "mod"}});
    test::DummyAudio device;
    music_.Start();
    theme_.selectedMusic = Entry("a");
    music_.MusicRequest(theme_);
    ASSERT_TRUE(WaitFor([&] { return main_.Size() == 1; }));  // A ended: advance posted
    music_.MusicStopRequest();                                // the game ended meanwhile
    main_.Drain();
    EXPECT_TRUE(selection_.picks.empty());
    EXPECT_EQ(theme_.selectedMusic, Entry("a"));
    music_.Shutdown();
    EXPECT_EQ(music_.Loads(), 1);
}

TEST_F(MusicTest, WithoutADeviceNothingPlaysAndTheChoiceStays) {
    LoadLibrary({{"Mod", test::MakeModule(), "mod"}});
    audio::CloseDevice();
    music_.Start();
    theme_.selectedMusic = Entry("mod");
    music_.MusicRequest(theme_);
    music_.Shutdown();
    main_.Drain();
    EXPECT_EQ(music_.Loads(), 0);
    EXPECT_EQ(theme_.selectedMusic, Entry("mod"));
    EXPECT_TRUE(selection_.picks.empty());
}

TEST_F(MusicTest, ClosingWhileMusicPlaysNeverHangs) {
    LoadLibrary({{"A", test::ConstantWav(2205, 500), "wav"}});
    test::DummyAudio device;
    music_.Start();
    theme_.selectedMusic = Entry("a");
    music_.MusicRequest(theme_);
    ASSERT_TRUE(WaitFor([&] { return main_.Size() == 1; }));  // an advance waits for us
    music_.MusicRequest(theme_);
    music_.Shutdown();  // with a request queued and work posted to the main thread
    EXPECT_FALSE(music_.Playing());
    main_.Drain();  // the posted advance finds the thread closed
    EXPECT_TRUE(selection_.picks.empty());
    music_.MusicRequest(theme_);  // after the close: ignored
    music_.MusicStopRequest();
}

// Play, stop and close from the main thread while the music thread starts,
// watches and posts, with effects on the side: no data race (the ThreadSanitizer
// run), no hang.
TEST(MusicRaces, PlayStopCloseRaces) {
    test::EnsureQtApp();
    test::TempDir dir;
    auto lib = test::SaveLibrary(
        dir.Path() / "r.klb",
        {test::MainEntry("Main", "*"), test::MusicEntry("A", "*", test::ConstantWav(441, 5), "wav"),
         test::MusicEntry("B", "*", test::MakeModule(), "mod"),
         test::MusicEntry("C", "*", "broken", "ogg")});
    TZRTheme theme;
    ASSERT_TRUE(LoadTheme(lib, "x", theme, {}, dir.Path()));
    FakeSelection selection(theme);
    test::DummyAudio device;
    TZRSoundList sounds;
    MainThreadBridge bridge;
    const auto entries = ListMusicEntries(theme);
    for (int round = 0; round < 12; ++round) {
        TZRMusicThread music(
            dir.Path(), [&](auto work) { bridge.post(std::move(work)); }, &selection);
        music.SetLoopAllMusic(round % 2 == 0);
        music.Start();
        for (int step = 0; step < 6; ++step) {
            theme.selectedMusic = entries[static_cast<size_t>(round + step) % entries.size()];
            music.MusicRequest(theme);
            sounds.SoundPlay(test::ConstantWav(441, 7), false);
            if (step % 3 == 2)
                music.MusicStopRequest();
            QCoreApplication::processEvents();
            QThread::msleep(static_cast<unsigned long>(step * 7 % 30));
        }
        if (round % 3 == 0)
            music.SetLoopAllMusic(!music.LoopAllMusic());
        music.Shutdown();
        QCoreApplication::processEvents();
    }
    sounds.StopAllSounds();
    bridge.shutdown();
}

}  // namespace
}  // namespace pk
