// The lobby, the game room and every dialog on the two shipped themes, as a player sees them
// after logging in to the scripted master server or joining the scripted room: pictures pinned
// under lobby/ui/golden/themed/, and no widget left in the platform's light grey palette.
#include <gtest/gtest.h>

#include <QApplication>

#include "gfx/qtsurface.h"
#include "lobby/ui/client_scenes.h"
#include "support/golden.h"

namespace pk::test {
namespace {

class ThemedLookTest : public ClientScenes, public ::testing::WithParamInterface<ShippedTheme> {
protected:
    void SetUp() override { Start(GetParam()); }
    std::string Name(const std::string& picture) const {
        return std::string("lobby/ui/golden/themed/") +
               (GetParam() == ShippedTheme::Default ? "default_" : "ember_") + picture + ".png";
    }
    // A window's picture, with room for glyphs a pixel apart in other builds of the fonts (one
    // pixel in a hundred).
    ::testing::AssertionResult Looks(QWidget& window, const std::string& name) const {
        DrainEvents();
        const QImage picture = window.grab().toImage();
        return MatchesGoldenWithin(SurfaceFromQImage(picture), Name(name),
                                   picture.width() * picture.height() / 100);
    }
};

TEST_P(ThemedLookTest, TheLobby) {
    LobbyWithPlayers();
    ASSERT_TRUE(client->browser->isVisible());
    EXPECT_TRUE(Looks(*client->browser, "lobby"));
}

TEST_P(ThemedLookTest, TheGameRoom) {
    RoomWithPlayers();
    ASSERT_TRUE(client->room->isVisible());
    EXPECT_TRUE(Looks(*client->room, "room"));
}

TEST_P(ThemedLookTest, EveryDialog) {
    LobbyWithPlayers();
    FillDialogs();
    for (const auto& [name, dialog] : client->Dialogs()) {
        ASSERT_TRUE(dialog->isVisible()) << name;
        EXPECT_TRUE(Looks(*dialog, name)) << name;
    }
}

// Every widget of the lobby, the room and each dialog, the menus they own among them: none
// keeps the platform's window, box or button colour.
TEST_P(ThemedLookTest, NoWidgetKeepsThePlatformsPalette) {
    LobbyWithPlayers();
    FillDialogs();
    const QPalette platform = QApplication::style()->standardPalette();
    std::vector<std::pair<std::string, QWidget*>> windows = client->Dialogs();
    windows.emplace_back("lobby", client->browser);
    windows.emplace_back("room", client->room);
    for (const auto& [name, window] : windows) {
        QList<QWidget*> widgets = window->findChildren<QWidget*>();
        widgets.prepend(window);
        for (QWidget* w : widgets) {
            for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
                EXPECT_NE(w->palette().color(role), platform.color(role))
                    << name << " " << w->metaObject()->className() << " "
                    << w->objectName().toStdString() << " role " << role;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Themes, ThemedLookTest,
                         ::testing::Values(ShippedTheme::Default, ShippedTheme::Ember),
                         ThemeParamName);

}  // namespace
}  // namespace pk::test
