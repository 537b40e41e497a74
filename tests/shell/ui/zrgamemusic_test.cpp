// Music follows the game with the client wired as the program wires it: the real main window
// and audio service against the scripted game server. A game's start and a join while a game
// runs start the theme's music; the game's end and a disconnect stop it (a disconnect silences
// the effects too); closing the client while music plays never hangs.
#include <gtest/gtest.h>

#include "game/zrgame.h"
#include "peers/game_server.h"
#include "peers/room_script.h"
#include "platform/audio/audiodevice.h"
#include "room/zrgamelink.h"
#include "shell/shell_fixture.h"
#include "shell/ui/zrmain.h"
#include "shell/zraudio.h"
#include "support/audio_fixture.h"
#include "support/event_loop.h"
#include "support/media.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using test::RunUntil;

class GameMusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        test::ResetShellGlobals();
        ProgramFolder = dir.Path();
        auto entries = test::BasicTheme();
        entries.push_back(test::MusicEntry("Mod", "*", test::MakeModule(), "mod"));
        test::SaveLibrary(dir.Path() / "basic.klb", entries);
        SetShellAudio(&audio);
        main = std::make_unique<Tzrmain>();
        ASSERT_TRUE(StartUp({}));
        ASSERT_TRUE(audio::DeviceOpen());
        ThemeSetMusic("", FindMusicEntry("mod", Settings.theme), false, false);
        ASSERT_NE(Settings.theme.selectedMusic, nullptr);
        Settings.options.loopallmusic = 0;
        Config.accountname = "alice";
        ASSERT_TRUE(server.Listen());
    }
    void TearDown() override {
        main.reset();
        test::DrainEvents();
        SetShellAudio(nullptr);
        FreeTheme(Settings.theme);
        test::ResetShellGlobals();
        ProgramFolder.clear();
    }
    void Join() {
        GameConnect("127.0.0.1", server.Port());
        ASSERT_TRUE(RunUntil([] { return ClientState.game.GameLinkState == LinkInRoom; }));
    }
    TZRMusicThread& Music() { return *audio.MusicThread(); }
    // Music was started `loads` times and plays now.
    bool PlaysAfter(int loads) {
        return RunUntil([&] { return Music().Loads() == loads && Music().Playing(); });
    }

    test::TempDir dir;
    ClientAudio audio;
    std::unique_ptr<Tzrmain> main;
    peers::GameServerPeer server;
};

TEST_F(GameMusicTest, StartsWithTheGameAndStopsAtItsEnd) {
    Join();
    EXPECT_EQ(Music().Loads(), 0);  // no music in the room before a game
    peers::SendGameStart(*server.Last(), {"102022222"}, 1, 2, "");
    ASSERT_TRUE(PlaysAfter(1));
    EXPECT_EQ(Music().CurrentTrack().file, Settings.theme.libraryFile);
    peers::SendGameEnd(*server.Last(), "alice");
    ASSERT_TRUE(RunUntil([&] { return !Music().Playing(); }));

    // Joining while a game runs starts it too; leaving the server stops it.
    server.Last()->SendFrame(0x0b, "30");
    ASSERT_TRUE(PlaysAfter(2));
    // Leaving the server silences the effects still sounding as well.
    audio.PlaySound(test::ConstantWav(44100 * 5, 1000), false);
    EXPECT_EQ(audio.SoundList()->PlayingCount(), 1);
    GameDisconnect();
    EXPECT_EQ(audio.SoundList()->PlayingCount(), 0);
    ASSERT_TRUE(RunUntil([&] { return !Music().Playing(); }));
}

TEST_F(GameMusicTest, ClosingWhileMusicPlaysNeverHangs) {
    Join();
    peers::SendGameStart(*server.Last(), {"102022222"}, 1, 2, "");
    ASSERT_TRUE(PlaysAfter(1));
    main->close();
    EXPECT_TRUE(ShellClosed());
    EXPECT_FALSE(audio::DeviceOpen());
    EXPECT_EQ(audio.MusicThread(), nullptr);
}

}  // namespace
}  // namespace pk
