// The client's windows on the default theme: the start-up loads DEFAULT.KLB, every element the
// client serves resolves, the pages switch by the theme's scripts, the grabs match the pictures
// kept here (with room for font rendering), and the login and option pages write the
// configuration model.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "display/ui/zrgameform.h"
#include "game/zrgame.h"
#include "gamesetup/ui/zrgamesetupform.h"
#include "room/ui/zrpartylineform.h"
#include "room/zrroomhost.h"
#include "shell/shell_fixture.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrmain.h"
#include "shell/ui/zrskeyform.h"
#include "shell/zrconfig.h"
#include "shell/zrshell.h"
#include "shell/zrskinhooks.h"
#include "skin/ui/zrskinwidgets.h"
#include "skin/zrskin.h"
#include "skin/zrskintable.h"
#include "support/event_loop.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

// Compares a grab with a picture kept under tests/; PK_UPDATE_GOLDEN=1 writes it afresh. Text
// drawn by the platform's fonts may differ by a few pixels between machines: at most 1 in 50
// pixels may differ, and the rest must be equal.
::testing::AssertionResult MatchesPicture(const QImage& grab, const std::string& name) {
    const QString file = QString(PK_TESTS_DIR) + "/" + QString::fromStdString(name);
    const QImage actual = grab.convertToFormat(QImage::Format_RGB32);
    if (qEnvironmentVariableIsSet("PK_UPDATE_GOLDEN")) {
        actual.save(file);
        return ::testing::AssertionSuccess();
    }
    const QImage golden = QImage(file).convertToFormat(QImage::Format_RGB32);
    if (golden.isNull())
        return ::testing::AssertionFailure() << "no picture " << name;
    if (golden.size() != actual.size()) {
        actual.save(QString::fromStdString(std::filesystem::path(name).filename().string()) +
                    ".actual.png");
        return ::testing::AssertionFailure() << name << ": size differs";
    }
    qint64 differing = 0;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            differing += actual.pixel(x, y) != golden.pixel(x, y);
    if (differing * 50 > qint64{actual.width()} * actual.height()) {
        actual.save(QString::fromStdString(std::filesystem::path(name).filename().string()) +
                    ".actual.png");
        return ::testing::AssertionFailure() << name << ": " << differing << " pixels differ";
    }
    return ::testing::AssertionSuccess();
}

// Typing as a player does: a key press per character, then Enter or Return on request.
void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}
void Press(QWidget* w, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// Records the commands the pages run instead of running them.
class CommandLog : public ShellSkins {
public:
    explicit CommandLog(ShellSkins& engine) : engine_(engine) {}
    void InitSkins() override { engine_.InitSkins(); }
    void FreeSkins() override { engine_.FreeSkins(); }
    void FireSkinEvent(const std::string& name) override { engine_.FireSkinEvent(name); }
    void ExecuteCommand(const std::string& command) override { commands.push_back(command); }
    void ResetSkins() override { engine_.ResetSkins(); }
    void ApplySkinTheme(const TZRTheme& theme, int w, int h) override {
        engine_.ApplySkinTheme(theme, w, h);
    }
    bool Busy() override { return engine_.Busy(); }
    std::vector<std::string> commands;

private:
    ShellSkins& engine_;
};

class DefaultThemeTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        test::ResetShellGlobals();
        ProgramFolder = dir.Path();
        std::filesystem::copy_file(PK_DEFAULT_THEME_FILE, dir.Path() / "DEFAULT.KLB");
        SetMessageBoxHandler(
            [this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
        main = std::make_unique<Tzrmain>();
        // The pages in the main program's order; the theme's containers adopt them.
        for (QWidget* page :
             std::initializer_list<QWidget*>{title = new Tzrtitle(), new Tzrsettings(),
             themePage = new Tzrstheme(), game = new Tzrsgame(), new Tzrsserver(), new Tzrsmisc(),
             browser = new Tzrsbrowser(), gameForm = new TZRSkinForm("game"),
             new TZRSkinForm("chat"), new TZRSkinForm("browser"), keyPage = new Tzrskey()})
            pages.emplace_back(page);
        ASSERT_TRUE(StartUp({}));
        main->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        SetShellSkins(nullptr);
        for (auto& page : pages)
            if (page->parentWidget())
                (void)page.release();
        pages.clear();
        main.reset();
        test::DrainEvents();
        SetMessageBoxHandler({});
        FreeTheme(Settings.theme);
        test::ResetShellGlobals();
        ProgramFolder.clear();
    }
    // A click on a skinned form (the main window unless given).
    void Click(QPoint at, QWidget* form = nullptr) {
        if (!form)
            form = main.get();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, form->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
            QApplication::sendEvent(form, &e);
        }
        QApplication::processEvents();
    }
    QImage Grab() { return main->grab().toImage(); }

    test::TempDir dir;
    std::unique_ptr<Tzrmain> main;
    std::vector<std::unique_ptr<QWidget>> pages;
    Tzrtitle* title = nullptr;
    Tzrsgame* game = nullptr;
    Tzrsbrowser* browser = nullptr;
    Tzrstheme* themePage = nullptr;
    Tzrskey* keyPage = nullptr;
    TZRSkinForm* gameForm = nullptr;
    std::vector<std::string> messages;
};

TEST_F(DefaultThemeTest, StartsOnTheLoginPageWithEveryServedElement) {
    ASSERT_NE(Settings.theme.draw.mainbmp, nullptr);
    EXPECT_EQ(main->width(), 960);
    EXPECT_EQ(main->height(), 680);
    for (const SkinKindRow& row : SkinKindTable())
        EXPECT_NE(FindElementAnywhere(row.name), nullptr) << row.name;
    EXPECT_NE(FindElementAnywhere("Icons"), nullptr);
    EXPECT_TRUE(title->isVisible());
    EXPECT_EQ(title->parentWidget(), main.get());
    EXPECT_TRUE(title->accountname()->isVisible());
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_TRUE(MatchesPicture(Grab(), "shell/ui/golden/default_login.png"));
}

TEST_F(DefaultThemeTest, TabsSwitchThePagesByScript) {
    Click({360, 23});  // the top bar's SETTINGS tab
    EXPECT_FALSE(title->isVisible());
    EXPECT_TRUE(game->isVisible());
    EXPECT_TRUE(MatchesPicture(Grab(), "shell/ui/golden/default_settings_game.png"));
    Click({96, 152}, SkinFormNamed("settings"));  // the settings page's LOBBY tab
    EXPECT_FALSE(game->isVisible());
    EXPECT_TRUE(browser->isVisible());
    EXPECT_TRUE(MatchesPicture(Grab(), "shell/ui/golden/default_settings_lobby.png"));
    Click({246, 23});  // back to LOG IN
    EXPECT_TRUE(title->isVisible());
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(DefaultThemeTest, GrowsCleanlyToTheLargeScreen) {
    // The offscreen screen is smaller than a player's: lift the limit the theme set from it.
    main->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    main->resize(1280, 1024);
    QApplication::processEvents();
    EXPECT_EQ(title->size(), QSize(1280, 1024 - 46));
    EXPECT_TRUE(MatchesPicture(Grab(), "shell/ui/golden/default_login_1280.png"));
}

TEST_F(DefaultThemeTest, LoginPageWritesTheConfigurationAndRunsItsCommands) {
    CommandLog log(EngineSkins());
    SetShellSkins(&log);
    Type(title->accountname(), "alice");
    Type(title->accountpass(), "secret");
    EXPECT_EQ(Config.accountname, "alice");
    EXPECT_EQ(Config.accountpass, "secret");
    Press(title->accountpass(), Qt::Key_Return);
    EXPECT_EQ(log.commands, std::vector<std::string>{"login"});
    QLineEdit* server = title->serveraddress()->lineEdit();
    Type(server, "127.0.0.1:31459");
    EXPECT_EQ(Config.serveraddress, "127.0.0.1:31459");
    Press(server, Qt::Key_Enter);
    EXPECT_EQ(log.commands, (std::vector<std::string>{"login", "gameconnect"}));
    Config.gameservers = {"a", "b"};
    title->FillFromConfig();
    EXPECT_EQ(title->serveraddress()->count(), 2);
    title->ClearServerList();
    EXPECT_TRUE(Config.gameservers.empty());
    EXPECT_EQ(title->serveraddress()->count(), 0);
    EXPECT_EQ(server->text(), "127.0.0.1:31459");  // the text itself stays
}

TEST_F(DefaultThemeTest, MessageOfTheDayComesFromTheProgramFolder) {
    {
        std::ofstream out(dir.Path() / "motd.html");
        out << "<p>Hello <b>players</b></p>";
    }
    title->ReloadMotd();
    EXPECT_EQ(title->motdpage()->toPlainText(), "Hello players");
    std::filesystem::remove(dir.Path() / "motd.html");
    title->ReloadMotd();
    EXPECT_EQ(title->motdpage()->toPlainText(), "");
}

TEST_F(DefaultThemeTest, GameOptionsWriteStraightIntoTheSettings) {
    Settings.options.showshadow = 1;
    Settings.options.shadowoption = 3;
    game->FillFromOptions();
    EXPECT_TRUE(game->ps75transparent->isChecked());
    game->pieceshadowcb->setChecked(false);
    EXPECT_EQ(Settings.options.showshadow, 0);
    EXPECT_EQ(Settings.options.shadowoption, 3);  // the style is kept
    for (QRadioButton* b :
         {game->ps25transparent, game->ps50transparent, game->ps75transparent, game->psoutline})
        EXPECT_FALSE(b->isEnabled());
    game->pieceshadowcb->setChecked(true);
    EXPECT_TRUE(game->psoutline->isEnabled());
    game->psoutline->setChecked(true);
    EXPECT_EQ(Settings.options.shadowoption, 4);
    game->gametimestamp->setChecked(!game->gametimestamp->isChecked());
    EXPECT_EQ(Settings.options.chatts, game->gametimestamp->isChecked() ? 1 : 0);
}

TEST_F(DefaultThemeTest, AGhostStyleWithoutAButtonShowsAs25PercentAndIsKept) {
    Settings.options.showshadow = 1;
    for (const int32_t option : {0, 9}) {
        Settings.options.shadowoption = 4;
        game->FillFromOptions();
        ASSERT_TRUE(game->psoutline->isChecked());
        Settings.options.shadowoption = option;
        game->FillFromOptions();
        EXPECT_TRUE(game->ps25transparent->isChecked()) << option;
        EXPECT_FALSE(game->psoutline->isChecked()) << option;
        EXPECT_EQ(Settings.options.shadowoption, option);
    }
}

TEST_F(DefaultThemeTest, TheResizableBoxLaysTheGameWindowOutAgain) {
    tskinf* skin = FindSkinByName("game");
    ASSERT_NE(skin, nullptr);
    ASSERT_FALSE(skin->elements.empty());
    gameForm->resize(800, 500);
    for (auto& e : skin->elements) e->laidOutWidth = e->laidOutHeight = -1;
    game->resizablecb->setChecked(!game->resizablecb->isChecked());
    EXPECT_EQ(Settings.options.resizefields, game->resizablecb->isChecked() ? 1 : 0);
    EXPECT_EQ(skin->elements.front()->laidOutWidth, 800);
}

TEST_F(DefaultThemeTest, LobbyNumberBoxesFallBackWhenTheyHoldNoNumber) {
    Type(browser->concurrentpingseb, "abc");
    EXPECT_EQ(Settings.lobby.concurrentpings, 3);
    browser->concurrentpingseb->clear();
    Type(browser->concurrentpingseb, "7");
    EXPECT_EQ(Settings.lobby.concurrentpings, 7);
    Type(browser->pingtrieseb, "x");
    EXPECT_EQ(Settings.lobby.pingtries, 1);
    Type(browser->idlebrb, "soon");
    EXPECT_EQ(Settings.lobby.idlebrb, 0);
    browser->idleaway->clear();
    Type(browser->idleaway, "25");
    EXPECT_EQ(Settings.lobby.idleaway, 25);
}

}  // namespace
}  // namespace pk

namespace pk {
namespace {

// The pages the UI states bring up, and the option pages behind the settings tabs.
TEST_F(DefaultThemeTest, EveryPageOfTheClientIsSkinned) {
    Skins().FireSkinEvent("ongameconnected");
    QApplication::processEvents();
    // The login page stays up beneath the room: the start-up's states made it the base page.
    EXPECT_TRUE(SkinFormNamed("chat")->isVisible());
    EXPECT_TRUE(MatchesPicture(Grab(), "shell/ui/golden/default_room.png"));
    Skins().FireSkinEvent("ongameactive");
    Skins().FireSkinEvent("ongamepause");
    QApplication::processEvents();
    EXPECT_TRUE(gameForm->isVisible());
    EXPECT_TRUE(MatchesPicture(Grab(), "shell/ui/golden/default_game.png"));
    Skins().FireSkinEvent("ongameinactive");
    QApplication::processEvents();
    EXPECT_FALSE(gameForm->isVisible());
    EXPECT_TRUE(SkinFormNamed("chat")->isVisible());
    Skins().FireSkinEvent("onsbconnected");
    Skins().FireSkinEvent("onsbgamedisconnected");
    QApplication::processEvents();
    EXPECT_TRUE(SkinFormNamed("browser")->isVisible());
    EXPECT_FALSE(SkinFormNamed("chat")->isVisible());
    EXPECT_TRUE(MatchesPicture(Grab(), "shell/ui/golden/default_lobby.png"));
    Skins().FireSkinEvent("onsbdisconnected");
    QApplication::processEvents();
    EXPECT_TRUE(title->isVisible());

    Click({360, 23});
    TZRSkinForm* settings = SkinFormNamed("settings");
    const std::pair<int, const char*> tabs[] = {
        {32, "settheme"}, {112, "setcontrol"}, {192, "setserver"}, {232, "setmisc"}};
    for (const auto& [y, skin] : tabs) {
        Click({96, y}, settings);
        EXPECT_TRUE(SkinFormNamed(skin)->isVisible()) << skin;
        // The preview's sample fields are random: drawn afresh from a fixed seed.
        themePage->SetPreviewSeed(7);
        themePage->UpdateThemePreview();
        QApplication::processEvents();
        EXPECT_TRUE(
            MatchesPicture(Grab(), std::string("shell/ui/golden/default_") + skin + ".png"));
    }
    EXPECT_TRUE(messages.empty()) << messages.front();
}

}  // namespace
}  // namespace pk

namespace pk {
namespace {

// A player picks the second staged theme on the theme page: it loads with the default
// library's windows, the page stays up and offers the new theme's tune.
TEST_F(DefaultThemeTest, PickingAnotherThemeOnTheThemePage) {
    std::filesystem::copy_file(PK_EMBER_THEME_FILE, dir.Path() / "EMBER.KLB");
    Click({360, 23});
    Click({96, 32}, SkinFormNamed("settings"));
    ASSERT_TRUE(themePage->isVisible());
    // The watch finds the new library once it has held still for a tick.
    themePage->checkthemechangeTimer();
    themePage->checkthemechangeTimer();
    QTreeWidget* tree = themePage->themetree;
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Ember");
    tree->setCurrentItem(tree->topLevelItem(1)->child(0));
    QApplication::processEvents();
    EXPECT_EQ(Settings.theme.themeId, "ember");
    EXPECT_TRUE(themePage->isVisible());
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(1)->child(0));
    ASSERT_EQ(themePage->musiclb->count(), 2);
    EXPECT_EQ(themePage->musiclb->item(1)->text(), "Ember Walk");
    EXPECT_TRUE(messages.empty()) << messages.front();
    themePage->SetPreviewSeed(7);
    themePage->UpdateThemePreview();
    QApplication::processEvents();
    EXPECT_TRUE(MatchesPicture(Grab(), "shell/ui/golden/default_settheme_ember.png"));
    // And back to the default theme.
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    EXPECT_EQ(Settings.theme.themeId, "default");
    EXPECT_TRUE(themePage->isVisible());
}

}  // namespace
}  // namespace pk

namespace pk {
namespace {

// Leaving a room by the top bar's LEAVE button: the disconnection's events hide the button
// again while its own click is still being handled.
TEST_F(DefaultThemeTest, LeaveButtonGoesAwayWithTheRoom) {
    const QImage before = Grab();
    ClientState.game.GameLinkState = LinkInRoom;
    SetUIState(uiGameLink, true);
    QApplication::processEvents();
    TSkinElementRec* leave = FindElementAnywhere("btn_leave");
    ASSERT_NE(leave, nullptr);
    ASSERT_TRUE(leave->Shown());
    Click(QPoint(leave->rect.left + 4, leave->rect.top + 4));
    EXPECT_EQ(ClientState.game.GameLinkState, LinkDown);
    EXPECT_FALSE(leave->Shown());
    EXPECT_TRUE(title->isVisible());
    const QRect where(leave->rect.left, leave->rect.top, leave->rect.width, leave->rect.height);
    EXPECT_TRUE(Grab().copy(where) == before.copy(where));
    EXPECT_TRUE(messages.empty()) << messages.front();
}

}  // namespace
}  // namespace pk
