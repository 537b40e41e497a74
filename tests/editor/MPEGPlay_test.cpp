// The MP3 player's state machine over a scripted decoder: loading, the error
// texts and codes, PlayedXTimes, pause, stop, restart, close, the timer and
// the end flag; and the music preview's toggling of both players.
#include "editor/MPEGPlay.h"

#include <gtest/gtest.h>

#include "editor/zrpreview.h"
#include "platform/atomicfile.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

struct Script {
    std::vector<std::string> calls;
    bool initOk = true;
    int failOn = -1;  // index of the call that fails
    int errorCode = 0;
    int pos = 0;
    int length = 1000;
    int mode = kModeClosed;
    std::atomic<bool>* endFlag = nullptr;
    const MpegStreamCallbacks* callbacks = nullptr;
    void* context = nullptr;
};

class FakeLibrary : public MpegLibrary {
public:
    explicit FakeLibrary(Script& s) : s_(s) {}
    void Call(const std::string& name) {
        error_ = static_cast<int>(s_.calls.size()) == s_.failOn ? s_.errorCode : 0;
        s_.calls.push_back(name);
    }
    bool init() override {
        Call("init");
        if (!s_.initOk)
            error_ = s_.errorCode;
        return s_.initOk;
    }
    void deinit() override { Call("deinit"); }
    void Open(const std::string& file, bool fromStream, const MpegStreamCallbacks* callbacks,
              void* context) override {
        Call(fromStream ? "Open stream" : "Open " + file);
        s_.callbacks = callbacks;
        s_.context = context;
        s_.mode = kModeStopped;
    }
    void Pause(bool p) override {
        Call(p ? "Pause 1" : "Pause 0");
        s_.mode = p ? kModePaused : kModePlaying;
    }
    void Restart() override {
        Call("Restart");
        s_.mode = kModePlaying;
    }
    void Stop() override {
        Call("Stop");
        s_.mode = kModeStopped;
    }
    void SetPriority(int p) override { Call("SetPriority " + std::to_string(p)); }
    void SetOutputDevice(int d, const std::string&) override {
        Call("SetOutputDevice " + std::to_string(d));
    }
    int Play(int a, int b, std::atomic<bool>* end) override {
        Call("Play " + std::to_string(a) + " " + std::to_string(b));
        s_.endFlag = end;
        s_.mode = kModePlaying;
        return error_;
    }
    void Close() override {
        Call("Close");
        s_.mode = kModeClosed;
    }
    int GetPlayerMode() override { return s_.mode; }
    int GetCurrentPos() override { return s_.pos; }
    int GetLength() override { return s_.length; }
    int GetFrequency() override { return 44100; }
    int GetBitrate() override { return 128; }
    int GetLayer() override { return 3; }
    void ResetPlayerMode() override { Call("ResetPlayerMode"); }
    void Seek(int position) override { Call("Seek " + std::to_string(position)); }
    int LastError() override { return error_; }

private:
    Script& s_;
    int error_ = 0;
};

MpegLibraryLoader Loader(Script& s) {
    return [&s](const std::string&) { return std::make_unique<FakeLibrary>(s); };
}

int CodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const TMPEGError& e) {
        return e.code();
    }
    return -1;
}

TEST(MpegPlayerTest, ErrorTextsByCodeAndUnknownCodesWithTheirNumber) {
    EXPECT_EQ(MpegErrorText(0), "MPEG library not loaded");
    EXPECT_EQ(MpegErrorText(1), "Internal decoder error");
    EXPECT_EQ(MpegErrorText(2), "Incorrect mode");
    EXPECT_EQ(MpegErrorText(3), "Input stream error");
    EXPECT_EQ(MpegErrorText(4), "Input stream is non-seekable");
    EXPECT_EQ(MpegErrorText(5), "Output device failure");
    EXPECT_EQ(MpegErrorText(254), "Can't play non-specified stream");
    EXPECT_EQ(MpegErrorText(9), "MPEG decoder error 9");
}

TEST(MpegPlayerTest, NotLoadedAndFailedLoadsRaiseTheirErrors) {
    Script s;
    TMPEGPlayer none([](const std::string&) { return nullptr; });
    try {
        none.LoadMpegLibrary();
        FAIL();
    } catch (const TMPEGError& e) {
        EXPECT_STREQ(e.what(), "Can't load MPEG library");
    }
    EXPECT_EQ(CodeOf([&] { none.PlayStream(); }), kMpegNotLoaded);
    EXPECT_EQ(CodeOf([&] { none.UnloadMpegLibrary(); }), kMpegNotLoaded);
    EXPECT_EQ(CodeOf([&] { none.GetPlayerMode(); }), kMpegNotLoaded);

    s.initOk = false;
    s.errorCode = 5;
    TMPEGPlayer bad(Loader(s));
    EXPECT_EQ(CodeOf([&] { bad.LoadMpegLibrary(); }), 5);
    EXPECT_FALSE(bad.Loaded());

    Script unnamed;
    TMPEGPlayer p(Loader(unnamed));
    p.LoadMpegLibrary();
    EXPECT_EQ(CodeOf([&] { p.OpenStream(); }), kMpegNoStream);
    p.PathToDLL = "/opt/dec";
    EXPECT_EQ(p.LibraryPath(), "/opt/dec/mpegdll");
}

TEST(MpegPlayerTest, PlayPauseStopRestartCloseAndPlayedTimes) {
    Script s;
    TMPEGPlayer p(Loader(s));
    p.LoadMpegLibrary();
    p.SetStreamName("/x/tmp.mp3");
    p.PlayStream();
    EXPECT_TRUE(p.IsOpen());
    EXPECT_TRUE(p.IsPlaying());
    EXPECT_EQ(p.PlayedXTimes(), 2);
    EXPECT_EQ(s.calls, (std::vector<std::string>{"init", "Open /x/tmp.mp3", "SetPriority 0",
                                                 "SetOutputDevice 0", "Play 0 0"}));
    p.PauseStream(true);
    EXPECT_TRUE(p.IsPaused());
    EXPECT_EQ(p.GetPlayerMode(), kModePaused);
    p.PlayStream();  // resumes
    EXPECT_FALSE(p.IsPaused());
    EXPECT_EQ(s.calls.back(), "Pause 0");
    p.StopStream();
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_EQ(CodeOf([&] { p.StopStream(); }), kMpegIncorrectMode);
    EXPECT_EQ(CodeOf([&] { p.PauseStream(true); }), kMpegIncorrectMode);
    EXPECT_EQ(CodeOf([&] { p.PauseStream(false); }), -1);
    p.PlayStream();  // a later play restarts
    EXPECT_EQ(s.calls.back(), "Restart");
    EXPECT_EQ(p.PlayedXTimes(), 3);
    p.SetStreamName("/x/other.mp3");  // closes the open stream
    EXPECT_FALSE(p.IsOpen());
    EXPECT_EQ(p.PlayedXTimes(), 0);
    EXPECT_EQ(CodeOf([&] { p.RestartStream(); }), kMpegIncorrectMode);
    p.UnloadMpegLibrary();
    EXPECT_EQ(s.calls.back(), "deinit");
    EXPECT_FALSE(p.Loaded());
}

TEST(MpegPlayerTest, DecoderErrorsReachTheCallerWithTheirCode) {
    Script s;
    s.failOn = 1;  // Open
    s.errorCode = 3;
    TMPEGPlayer p(Loader(s));
    p.LoadMpegLibrary();
    p.SetStreamName("f.mp3");
    EXPECT_EQ(CodeOf([&] { p.OpenStream(); }), 3);
    EXPECT_FALSE(p.IsOpen());
    s.failOn = static_cast<int>(s.calls.size()) + 3;  // Open, SetPriority, SetOutputDevice, Play
    s.errorCode = 7;
    try {
        p.PlayStream();
        FAIL();
    } catch (const TMPEGError& e) {
        EXPECT_EQ(e.code(), 7);
        EXPECT_STREQ(e.what(), "MPEG decoder error 7");
    }
    EXPECT_FALSE(p.IsPlaying());
}

TEST(MpegPlayerTest, TimerReportsPositionsAndTheEnd) {
    Script s;
    TMPEGPlayer p(Loader(s));
    std::vector<std::pair<int, int>> updates;
    int ends = 0;
    p.OnPosUpdate = [&](int pos, int len) { updates.emplace_back(pos, len); };
    p.OnPlayEnd = [&](TMPEGPlayer&) { ++ends; };
    p.UseTimer = true;
    p.TimerFreq = 50;
    p.LoadMpegLibrary();
    p.TimerFreq = 70;  // the timer was made at load
    p.SetStreamName("f.mp3");
    s.pos = 10;
    p.PlayStream();  // one tick at once
    EXPECT_TRUE(p.TimerEnabled());
    EXPECT_EQ(p.TimerInterval(), 50);
    s.pos = 5000;  // past the length: reported as 0
    p.TimerTick();
    ASSERT_NE(s.endFlag, nullptr);
    s.endFlag->store(true);
    s.pos = 1000;
    p.TimerTick();
    EXPECT_EQ(updates, (std::vector<std::pair<int, int>>{{10, 1000}, {0, 1000}, {1000, 1000}}));
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_FALSE(p.TimerEnabled());
    EXPECT_FALSE(p.Ended());
}

TEST(MpegPlayerTest, TheTimerIsOffWithoutUseTimerWhateverItsFrequency) {
    Script s;
    TMPEGPlayer p(Loader(s));
    p.TimerFreq = 50;
    p.LoadMpegLibrary();
    EXPECT_EQ(p.TimerInterval(), 0);
    p.SetStreamName("f.mp3");
    p.PlayStream();
    EXPECT_FALSE(p.TimerEnabled());
}

TEST(MpegPlayerTest, StreamEventsAnswerAsAStreamThatCannotWithoutHandlers) {
    Script s;
    TMPEGPlayer p(Loader(s));
    p.LoadMpegLibrary();
    p.FromStream = true;  // no name needed
    p.OpenStream();
    EXPECT_EQ(s.calls.back(), "Open stream");
    ASSERT_EQ(s.callbacks, &TMPEGPlayer::StreamCallbacks());
    ASSERT_EQ(s.context, &p);
    const MpegStreamCallbacks& cb = *s.callbacks;
    char buffer[8] = {};
    int got = 5;
    EXPECT_FALSE(cb.open(&p));
    EXPECT_FALSE(cb.restart(&p));
    EXPECT_FALSE(cb.read(&p, buffer, 8, &got));
    EXPECT_EQ(got, 0);
    EXPECT_EQ(cb.seek(&p, 10), -1);
    EXPECT_EQ(cb.size(&p), -1);
    cb.close(&p);

    // With handlers each callback reaches its event with the player.
    std::vector<std::string> events;
    p.OnOpenStream = [&](TMPEGPlayer& who) {
        events.push_back(&who == &p ? "open" : "?");
        return true;
    };
    p.OnCloseStream = [&](TMPEGPlayer&) { events.push_back("close"); };
    p.OnRestartStream = [&](TMPEGPlayer&) {
        events.push_back("restart");
        return true;
    };
    p.OnGetStreamSize = [&](TMPEGPlayer&) -> int64_t { return 3; };
    p.OnSeekStream = [&](TMPEGPlayer&, int64_t pos) { return pos; };
    p.OnReadStream = [&](TMPEGPlayer&, char* out, int size, int& read) {
        events.push_back("read " + std::to_string(size));
        out[0] = 'a';
        read = 1;
        return true;
    };
    EXPECT_TRUE(cb.open(&p));
    EXPECT_TRUE(cb.restart(&p));
    EXPECT_TRUE(cb.read(&p, buffer, 8, &got));
    EXPECT_EQ(got, 1);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(cb.seek(&p, 10), 10);
    EXPECT_EQ(cb.size(&p), 3);
    cb.close(&p);
    EXPECT_EQ(events, (std::vector<std::string>{"open", "restart", "read 8", "close"}));

    // A count past the buffer, or a handler that throws, reads as a failure.
    p.OnReadStream = [](TMPEGPlayer&, char*, int size, int& read) {
        read = size + 1;
        return true;
    };
    EXPECT_FALSE(cb.read(&p, buffer, 8, &got));
    EXPECT_EQ(got, 0);
    p.OnReadStream = [](TMPEGPlayer&, char*, int, int&) -> bool { throw std::runtime_error("x"); };
    EXPECT_FALSE(cb.read(&p, buffer, 8, &got));
    p.OnSeekStream = [](TMPEGPlayer&, int64_t) -> int64_t { throw std::runtime_error("x"); };
    EXPECT_EQ(cb.seek(&p, 1), -1);
    p.OnCloseStream = [](TMPEGPlayer&) { throw std::runtime_error("x"); };
    cb.close(&p);
}

class FakeMidi : public MidiPlayer {
public:
    bool Open(const std::filesystem::path& f) override {
        file = f;
        open = true;
        return true;
    }
    bool Play() override { return playing = open; }
    void Stop() override { playing = false; }
    void Close() override { open = playing = false; }
    bool IsOpen() const override { return open; }
    bool Playing() const override { return playing; }
    std::filesystem::path file;
    bool open = false, playing = false;
};

TEST(MusicPreviewTest, TogglesTheMidiAndMp3PlayersThroughThePreviewFiles) {
    // The program's folder sits inside the test's own folder, so that a file escaping it is
    // seen there and nothing outside the test is looked at.
    test::TempDir dir;
    const std::filesystem::path folder = dir.Path() / "kled";
    std::filesystem::create_directory(folder);
    KledDoc doc(folder);
    Script s;
    TMPEGPlayer mp3(Loader(s));
    mp3.LoadMpegLibrary();
    FakeMidi midi;
    MusicPreview preview(&midi, &mp3);

    TZRC tune;
    tune.entry = test::MusicEntry("Tune", "*", test::MakeMidi());
    EXPECT_EQ(preview.Toggle(tune, doc), MusicPreview::Outcome::Started);
    EXPECT_EQ(midi.file, folder / "tmp.mid");
    EXPECT_EQ(ReadFileBytes(folder / "tmp.mid", 1 << 20), test::MakeMidi());
    EXPECT_EQ(preview.Toggle(tune, doc), MusicPreview::Outcome::Stopped);
    EXPECT_FALSE(midi.open);

    TZRC song;
    song.entry = test::MusicEntry("Song", "*", "ID3 mp3 bytes", "mp3");
    EXPECT_EQ(preview.Toggle(song, doc), MusicPreview::Outcome::Started);
    EXPECT_EQ(mp3.StreamName(), (folder / "tmp.mp3").string());
    EXPECT_TRUE(mp3.IsPlaying());
    EXPECT_EQ(preview.Toggle(song, doc), MusicPreview::Outcome::Stopped);
    EXPECT_FALSE(mp3.IsOpen());

    // Types without a player (the type's case counts) are refused before anything is
    // written: no copy is left beside the program, and none ever names a file elsewhere.
    const auto before = std::distance(std::filesystem::directory_iterator(folder), {});
    for (const char* type : {"ogg", "MID", "wav", "", "../x"}) {
        TZRC odd;
        odd.entry = test::MusicEntry("Odd", "*", "OggS bytes", type);
        EXPECT_EQ(preview.Toggle(odd, doc), MusicPreview::Outcome::CannotPreview) << type;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), before);
    EXPECT_FALSE(std::filesystem::exists(folder / "tmp.ogg"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x"));
    EXPECT_NE(CannotPreviewMessage("ogg").find("\"ogg\""), std::string::npos);
}

TEST(MusicPreviewTest, APreviewFileNamedInAnotherCaseIsStillTheEditorsCopy) {
    test::TempDir dir;
    KledDoc doc(dir.Path());
    ASSERT_TRUE(WriteFileAtomic(dir.Path() / "TMP.mid", "an old preview"));
    TZRC tune;
    tune.entry = test::MusicEntry("Tune", "*", test::MakeMidi());
    tune.heldFile = dir.Path() / "TMP.mid";
    EXPECT_EQ(EntryPayload(tune, dir.Path()), test::MakeMidi());
    FakeMidi midi;
    MusicPreview preview(&midi, nullptr);
    EXPECT_EQ(preview.Toggle(tune, doc), MusicPreview::Outcome::Started);
    EXPECT_EQ(ReadFileBytes(dir.Path() / "tmp.mid", 1 << 20), test::MakeMidi());
    // Any other file held is the author's.
    tune.heldFile = dir.Path() / "TMP2.mid";
    ASSERT_TRUE(WriteFileAtomic(tune.heldFile, "MThd chosen"));
    EXPECT_EQ(EntryPayload(tune, dir.Path()), "MThd chosen");
}

TEST(MusicPreviewTest, WithoutAnMp3DecoderMidiStillPlaysAndCloseNeverFails) {
    test::TempDir dir;
    KledDoc doc(dir.Path());
    TMPEGPlayer mp3([](const std::string&) { return nullptr; });
    EXPECT_THROW(mp3.LoadMpegLibrary(), TMPEGError);
    FakeMidi midi;
    MusicPreview preview(&midi, &mp3);
    EXPECT_FALSE(preview.Mp3Playing());
    TZRC song;
    song.entry = test::MusicEntry("Song", "*", "bytes", "mp3");
    EXPECT_EQ(preview.Toggle(song, doc), MusicPreview::Outcome::NotPlayed);
    TZRC tune;
    tune.entry = test::MusicEntry("Tune", "*", test::MakeMidi());
    EXPECT_EQ(preview.Toggle(tune, doc), MusicPreview::Outcome::Started);
    preview.Release();
    EXPECT_FALSE(midi.open);
}

}  // namespace
}  // namespace pk
