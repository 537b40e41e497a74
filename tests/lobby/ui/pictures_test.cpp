// The pictures of the client that the README shows, on the default theme: the title page, the
// lobby, a game room and a game in progress, each the whole main window. They are kept in
// docs/pictures and compared like any golden picture, so they never fall behind the client;
// `make pictures` takes them afresh.
#include <gtest/gtest.h>

#include <filesystem>

#include "gfx/qtsurface.h"
#include "lobby/ui/client_scenes.h"
#include "support/golden.h"

namespace pk::test {
namespace {

class ReadmePictures : public ClientScenes {
protected:
    void SetUp() override { Start(ShippedTheme::Default); }
    // Text may come out a pixel apart with other builds of the fonts: one pixel in a hundred.
    ::testing::AssertionResult Shows(const std::string& name) {
        const QImage picture = client->Grab();
        return MatchesGoldenWithin(SurfaceFromQImage(picture), "../docs/pictures/" + name + ".png",
                                   picture.width() * picture.height() / 100);
    }
};

TEST_F(ReadmePictures, TheTitlePage) {
    // The news the program is staged with.
    std::filesystem::copy_file(
        std::filesystem::path(PK_TESTS_DIR) / "../src/apps/pelkorin/motd.html",
        dir.Path() / "motd.html");
    client->title->ReloadMotd();
    ASSERT_TRUE(client->title->isVisible());
    EXPECT_TRUE(Shows("title"));
}

TEST_F(ReadmePictures, TheLobby) {
    LobbyWithPlayers();
    ASSERT_TRUE(client->browser->isVisible());
    EXPECT_TRUE(Shows("lobby"));
}

TEST_F(ReadmePictures, AGameRoom) {
    RoomWithPlayers();
    ASSERT_TRUE(client->room->isVisible());
    EXPECT_TRUE(Shows("room"));
}

TEST_F(ReadmePictures, AGameInProgress) {
    GameInProgress(20);
    ASSERT_TRUE(client->game->isVisible());
    EXPECT_TRUE(Shows("game"));
}

}  // namespace
}  // namespace pk::test
