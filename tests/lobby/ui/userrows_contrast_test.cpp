// The lobby's user list and the chat boxes inside the main window, on the shipped themes and on
// one that colours nothing: every kind of row is drawn, plain and selected, and every colour the
// client's own chat lines use, and the text of each reads on what it is drawn on (a contrast
// ratio of 3 or more).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QListView>

#include "core/chatstyle.h"
#include "core/ui/zrtxtbox.h"
#include "display/ui/zrgameform.h"
#include "lobby/ui/zrbrowser.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "room/ui/zrpartylineform.h"
#include "shell/shell_fixture.h"
#include "shell/ui/zrmain.h"
#include "shell/zrshell.h"
#include "shell/zrskinwiring.h"
#include "shell/zrthemesel.h"
#include "support/contrast.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

enum class Theme { Default, Ember, NoColours };

std::string Name(const ::testing::TestParamInfo<Theme>& info) {
    switch (info.param) {
        case Theme::Default:
            return "Default";
        case Theme::Ember:
            return "Ember";
        default:
            return "NoColours";
    }
}

class UserRowContrast : public ::testing::TestWithParam<Theme> {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        test::ResetShellGlobals();
        ResetLobbyModel();
        ProgramFolder = dir.Path();
        if (GetParam() == Theme::NoColours) {
            std::vector<KlbEntry> entries = test::BasicTheme();
            entries.push_back(
                test::SkinEntry("con_browser", "*", 0, 0, 640, 480, 0, false, MainSkinName));
            test::SaveLibrary(dir.Path() / "plain.klb", entries);
        } else {
            std::filesystem::copy_file(PK_DEFAULT_THEME_FILE, dir.Path() / "DEFAULT.KLB");
            std::filesystem::copy_file(PK_EMBER_THEME_FILE, dir.Path() / "EMBER.KLB");
        }
        // The theme's scripts also name the pages this test leaves out; their complaints wait
        // for no one.
        SetMessageBoxHandler([](QWidget*, const QString&) {});
        main = std::make_unique<Tzrmain>();
        browser = new Tzrbrowser();
        game = new Tzrgame();
        room = new Tzrpartyline();
        pages.emplace_back(browser);
        pages.emplace_back(game);
        pages.emplace_back(room);
        browser->misctimer()->stop();
        ASSERT_TRUE(StartUp({}));
        if (GetParam() == Theme::Ember) {
            ASSERT_EQ(SelectTheme(dir.Path() / "EMBER.KLB", "ember"), ThemeLoad::Requested);
        }
        ASSERT_EQ(browser->parentWidget(), main.get());
        main->show();
        browser->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        // Pages placed into the main window go with it.
        for (auto& page : pages)
            if (page->parentWidget())
                (void)page.release();
        pages.clear();
        main.reset();
        SetMessageBoxHandler({});
        FreeTheme(Settings.theme);
        ResetLobbyModel();
        test::ResetShellGlobals();
        ProgramFolder.clear();
    }

    test::TempDir dir;
    std::unique_ptr<Tzrmain> main;
    std::vector<std::unique_ptr<QWidget>> pages;
    Tzrbrowser* browser = nullptr;
    Tzrgame* game = nullptr;
    Tzrpartyline* room = nullptr;
};

// Where a row's text lies: its left edge and the text itself, in the font it is drawn in.
struct RowText {
    int left;
    QString text;
    QFont font;
};

TEST_P(UserRowContrast, EveryRowKindReadsOnItsGround) {
    // One row of each kind: the three headers, a friend online in a room, an offline friend
    // ("/addfriend bert"), an ignored user and a user of the room.
    NewRoom(5).name = "Den";
    tSbUser& ada = NewFriend("ada");
    ada.present = 1;
    ada.roomId = 5;
    NewFriend("bert");
    NewIgnored("pest");
    NewCurrentRoom(5);
    NewRoomUser("cy").present = 1;
    ClientState.lobby.ShowFriends = ClientState.lobby.ShowIgnore = ClientState.lobby.ShowUsers = 1;
    RebuildUserList();
    QListView* list = browser->userlist();
    // Aliased text: every pixel of a glyph is the pen's own colour.
    QFont font = list->font();
    font.setStyleStrategy(QFont::NoAntialias);
    list->setFont(font);
    QFont bold = font;
    bold.setBold(true);
    if (bold.pointSize() > 1)
        bold.setPointSize(bold.pointSize() - 1);
    const std::vector<RowText> rows = {
        {19, "Friends List", bold}, {19, "ada", font},
        {19, "bert", font},         {19, "Ignored Users", bold},
        {3, "pest", font},          {19, "Room User List", bold},
        {37, "cy", font},
    };
    ASSERT_EQ(list->model()->rowCount(), static_cast<int>(rows.size()));

    for (const bool selected : {false, true}) {
        if (selected)
            list->selectAll();
        QApplication::processEvents();
        const QImage image = list->viewport()->grab().toImage();
        QColor offlineInk, userInk;
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            const QRect row = list->visualRect(list->model()->index(r, 0));
            ASSERT_TRUE(image.rect().contains(row)) << r;
            const RowText& t = rows[r];
            const int width = QFontMetrics(t.font).horizontalAdvance(t.text);
            // Inside the row's border, where a focus frame may run.
            const QRect area(row.left() + t.left, row.top() + 1, width, row.height() - 2);
            const test::InkOnGround colours = test::TextColours(image, area);
            EXPECT_GE(colours.Ratio(), 3.0)
                << t.text.toStdString() << (selected ? " selected: " : ": ")
                << colours.ink.name().toStdString() << " on "
                << colours.ground.name().toStdString();
            if (t.text == "bert")
                offlineInk = colours.ink;
            if (t.text == "cy")
                userInk = colours.ink;
            if (t.text == "ada" && !selected) {
                // The friend's room follows the name.
                const QRect room(area.left() + width, area.top(),
                                 QFontMetrics(font).horizontalAdvance(" (Den)"), area.height());
                EXPECT_GE(test::TextColours(image, room).Ratio(), 3.0);
            }
        }
        // An offline friend still looks apart from the users who are there.
        if (!selected) {
            EXPECT_NE(offlineInk, userInk);
        }
    }
}

class ChatContrast : public UserRowContrast {};

// The colours the client's own lines use (maroon, green, navy, purple, grey time stamps, red,
// blue, fuchsia) and the box's own text colour, on the lobby's and the room's chat, the game's
// party line and its attack list.
TEST_P(ChatContrast, TheClientsOwnColoursReadOnEveryChatBox) {
    const char* const codes[] = {"11", "12", "14", "15", "17", "19", "22", "23"};
    const QString sample = QStringLiteral("MMMMMMMM");
    const std::pair<const char*, TZRTxtbox*> boxes[] = {{"lobby chat", browser->chatbox()},
                                                        {"room chat", room->chatbox()},
                                                        {"party line", game->ingamepline()},
                                                        {"attack list", game->attacks()}};
    for (const auto& [name, box] : boxes) {
        // Aliased text: every pixel of a glyph is the pen's own colour.
        QFont font = box->font();
        font.setStyleStrategy(QFont::NoAntialias);
        box->setFont(font);
        box->resize(std::max(box->width(), 200), std::max(box->height(), 200));
        box->Clear();
        box->AddLine(sample.toStdString());
        for (const char* code : codes)
            box->AddLine(StyleCode(code) + sample.toStdString() + kStyleEnd);
        box->ScrollToLine(0);
        const QImage image = box->viewport()->grab().toImage();
        const int width = QFontMetrics(font).horizontalAdvance(sample);
        const int height = box->LineHeight();
        ASSERT_GE(image.height(), height * 9) << name;
        for (int line = 0; line < 9; ++line) {
            const test::InkOnGround colours =
                test::TextColours(image, QRect(2, line * height, width, height));
            EXPECT_GE(colours.Ratio(), 3.0)
                << name << (line == 0 ? " text" : " code ") << (line == 0 ? "" : codes[line - 1])
                << ": " << colours.ink.name().toStdString() << " on "
                << colours.ground.name().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Themes, ChatContrast,
                         ::testing::Values(Theme::Default, Theme::Ember, Theme::NoColours), Name);

INSTANTIATE_TEST_SUITE_P(Themes, UserRowContrast,
                         ::testing::Values(Theme::Default, Theme::Ember, Theme::NoColours), Name);

}  // namespace
}  // namespace pk
