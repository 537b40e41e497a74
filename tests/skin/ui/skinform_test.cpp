#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWindow>
#include <memory>

#include "gfx/qtsurface.h"
#include "platform/keyfilter.h"
#include "skin/ui/zrskinform.h"
#include "skin/ui/zrskinwidgets.h"
#include "skin/zrskincmd.h"
#include "skin/zrskinlayout.h"
#include "skin/zrskinpaint.h"
#include "skin/zrskinscript.h"
#include "skin/zrskintheme.h"
#include "support/golden.h"
#include "support/qtapp.h"
#include "support/skin_text.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using test::Lines;
using test::Script;
using test::SkinEntry;

// A page that counts how its container element shows and hides it.
class Page : public TZRSkinForm {
public:
    using TZRSkinForm::TZRSkinForm;
    void ContainerShown() override { ++shown; }
    void ContainerHidden() override { ++hidden; }
    void ApplySkinColours(const SkinColours& c) override { colours = c; }
    int shown = 0;
    int hidden = 0;
    SkinColours colours;
};

// A synthetic theme: the main window "shell" with a background, two pages in containers and
// two tabs that switch them; the pages with backgrounds of their own, the login page with its
// name box.
std::vector<KlbEntry> Theme() {
    std::vector<KlbEntry> v = test::BasicTheme();
    v.push_back(SkinEntry("back", "*", 0, 0, 4, 4, 0xFF305070, false,
                          Lines({"shell", "maxboth", "stretchboth"})));
    v.push_back(
        SkinEntry("frame", "*", 135, 0, 65, 150, 0xFFE0C020, true,
                  Lines({"shell", "alignright", "fixedwidth", "maxbottom", "border=3,3,3,3"})));
    v.push_back(
        SkinEntry("con_login", "*", 10, 10, 120, 100, 0, false, Lines({"shell", "maxbottom"})));
    v.push_back(SkinEntry("con_settings", "*", 10, 10, 120, 100, 0, false,
                          Lines({"shell", "maxbottom", "hide"})));
    v.push_back(SkinEntry(
        "tab1", "*", 140, 10, 50, 20, 0xFF20A020, false,
        Lines({"shell", "alignright", "fixedwidth"}),
        Script({"onmousedown show con_login", "onmousedown hide con_settings",
                "onkeycontrolalts hide con_login", "onkeycontrolalts show con_settings"})));
    v.push_back(SkinEntry("tab2", "*", 140, 40, 50, 20, 0xFFA02020, false,
                          Lines({"shell", "alignright", "fixedwidth"}),
                          Script({"onmousedown show con_settings", "onmousedown hide con_login",
                                  "onkeyshifta @keys %keys%x"})));
    v.push_back(SkinEntry("hint", "*", 140, 70, 50, 20, 0xFFFFFFFF, false,
                          Lines({"shell", "alignright", "fixedwidth", "hide"}),
                          Script({"onkeycontrolalts show"})));  // hidden: takes no keys
    v.push_back(
        SkinEntry("loginback", "*", 0, 0, 6, 6, 0xFF8080F0, false, Lines({"login", "maxboth"})));
    v.push_back(
        SkinEntry("setback", "*", 0, 0, 6, 6, 0xFFF08080, false, Lines({"settings", "maxboth"})));
    return v;
}

class SkinFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        InitSkins(800, 600);
        InstallSkinWidgets();
        SetSkinCommandHost(nullptr);
        main = std::make_unique<TZRSkinForm>("shell");
        login = new Page("login");
        settings = new Page("settings");
        loginPage.reset(login);
        settingsPage.reset(settings);
        main->resize(200, 150);
    }
    void TearDown() override {
        // Pages placed into another form go with it.
        if (login->parentWidget())
            (void)loginPage.release();
        if (settings->parentWidget())
            (void)settingsPage.release();
        main.reset();
        RemoveSkinWidgets();
        FreeSkins();
        FreeTheme(theme);
    }
    void Load(std::vector<KlbEntry> entries = Theme()) {
        const auto file = test::SaveLibrary(dir.Path() / "synthetic.klb", std::move(entries));
        ASSERT_TRUE(LoadTheme(file, "x", theme, {}, dir.Path()));
        ApplySkinTheme(theme, "shell", 200, 150);
        main->show();
        QApplication::processEvents();
    }
    void Click(QWidget& w, QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, w.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, w.mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &release);
        QApplication::processEvents();
    }
    Surface16 Grab() { return SurfaceFromQImage(main->grab().toImage()); }

    test::TempDir dir;
    TZRTheme theme;
    std::unique_ptr<TZRSkinForm> main;
    Page* login = nullptr;
    Page* settings = nullptr;
    std::unique_ptr<Page> loginPage;
    std::unique_ptr<Page> settingsPage;
};

TEST_F(SkinFormTest, ContainersTakeThePagesIntoTheMainFormAndPlaceThem) {
    Load();
    EXPECT_EQ(login->parentWidget(), main.get());
    EXPECT_EQ(settings->parentWidget(), main.get());
    EXPECT_TRUE(login->isVisible());
    EXPECT_FALSE(settings->isVisible());
    EXPECT_EQ(login->geometry(), QRect(10, 10, 120, 140));  // maxbottom: to the form's bottom
    EXPECT_EQ(login->FormColour(), 0xFFFFFF);               // the element has no colour: white
    main->resize(260, 200);
    QApplication::processEvents();
    EXPECT_EQ(login->geometry(), QRect(10, 10, 120, 190));
    EXPECT_EQ(FindElementAnywhere("tab1")->rect, (PixelRect{200, 10, 50, 20}));
}

TEST_F(SkinFormTest, TheGrabOfTheFormMatchesItsGoldenImage) {
    Load();
    EXPECT_TRUE(test::MatchesGolden(Grab(), "skin/ui/golden/form.png"));
}

TEST_F(SkinFormTest, MouseScriptsSwitchThePages) {
    Load();
    Click(*main, {150, 45});  // tab2
    EXPECT_FALSE(login->isVisible());
    EXPECT_TRUE(settings->isVisible());
    EXPECT_EQ(settings->geometry(), QRect(10, 10, 120, 140));
    EXPECT_GE(login->hidden, 1);
    EXPECT_GE(settings->shown, 1);
    // The hidden page let go of its pictures; they come back when it is shown again.
    EXPECT_FALSE(FindElementAnywhere("loginback")->image.has_value());
    EXPECT_TRUE(test::MatchesGolden(Grab(), "skin/ui/golden/form_settings.png"));
    Click(*main, {150, 15});  // tab1
    EXPECT_TRUE(login->isVisible());
    EXPECT_FALSE(settings->isVisible());
    EXPECT_TRUE(test::MatchesGolden(Grab(), "skin/ui/golden/form.png"));
}

// A hover look goes when the pointer leaves the form or moves on into one of its controls.
TEST_F(SkinFormTest, LeavingTheFormEndsTheHover) {
    std::vector<KlbEntry> entries = Theme();
    entries.push_back(SkinEntry("glow", "*", 140, 100, 50, 20, 0xFFFFFFFF, false,
                                Lines({"shell", "alignright", "fixedwidth", "hide"})));
    entries.push_back(SkinEntry("tab3", "*", 140, 120, 50, 20, 0xFF2020A0, false,
                                Lines({"shell", "alignright", "fixedwidth"}),
                                Script({"onmouseover show glow", "onmouseoverleave hide glow"})));
    Load(entries);
    const TSkinElementRec* tab = FindElementAnywhere("tab3");
    const QPoint at(tab->rect.left + 5, tab->rect.top + 5);
    QMouseEvent move(QEvent::MouseMove, at, main->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(main.get(), &move);
    EXPECT_TRUE(FindElementAnywhere("glow")->Shown());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(main.get(), &leave);
    EXPECT_FALSE(FindElementAnywhere("glow")->Shown());
}

TEST_F(SkinFormTest, TheBackBufferHoldsWhatTheSkinPainted) {
    Load();
    const QImage& back = main->BackBuffer();
    ASSERT_EQ(back.size(), QSize(200, 150));
    // The tab's colour, through the form's retained pixels.
    EXPECT_EQ(back.pixel(160, 15), Argb(ArgbTo555(0xFF20A020)));
    // A script changes what shows without any paint event in between.
    ApplyAction("show", *FindElementAnywhere("hint"), false);
    PaintDirtySkins();
    EXPECT_EQ(back.pixel(160, 75), 0xFFFFFFFFu);
}

TEST_F(SkinFormTest, ControlsAreBoundShownAndPlacedByTheirElement) {
    auto edit = std::make_unique<QLineEdit>();
    RegisterSkinControl("accountname", edit.get());
    auto entries = Theme();
    entries.push_back(
        SkinEntry("accountname", "*", 5, 6, 100, 20, 0, false, Lines({"login", "namefg=255 0 0"})));
    Load(entries);
    EXPECT_EQ(edit->parentWidget(), login);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->geometry(), QRect(5, 6, 100, 20));
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::white));
    ApplyAction("deactivate", *FindElementAnywhere("accountname"), false);
    EXPECT_FALSE(edit->isVisible());
    ApplyAction("activate", *FindElementAnywhere("accountname"), false);
    EXPECT_TRUE(edit->isVisible());
    edit.release();  // the login page owns it now
    RegisterSkinControl("accountname", nullptr);
}

TEST_F(SkinFormTest, ContainerColoursReachTheirWindow) {
    auto entries = Theme();
    // A page of its own under a container with colour parameters.
    Page chat("chat");
    entries.push_back(
        SkinEntry("con_chat", "*", 0, 0, 10, 10, 0, false, Lines({"shell", "boxbg=1 2 3"})));
    Load(entries);
    ASSERT_EQ(chat.colours.size(), 4u);
    EXPECT_EQ(chat.colours[2], (std::pair<std::string, int32_t>{"boxbg", 0x030201}));
    EXPECT_EQ(chat.colours[0].second, 0x800000);  // "toolbartextfg" defaults to navy
    chat.setParent(nullptr);
}

TEST_F(SkinFormTest, AWindowIsNeverPlacedInsideItself) {
    auto entries = Theme();
    // The login page inside itself; the settings page inside the login page, which would then
    // go inside the settings page.
    entries.push_back(SkinEntry("con_login", "*", 0, 0, 10, 10, 0, false, Lines({"login"})));
    entries.push_back(SkinEntry("con_settings", "*", 0, 0, 10, 10, 0, false, Lines({"login"})));
    entries.push_back(SkinEntry("con_login", "*", 0, 0, 10, 10, 0, false, Lines({"settings"})));
    Load(entries);
    EXPECT_EQ(login->parentWidget(), main.get());
    EXPECT_EQ(settings->parentWidget(), login);
}

TEST_F(SkinFormTest, KeysWithModifiersRunTheSkinsKeyScriptsOnceAndStillReachTheControl) {
    auto edit = std::make_unique<QLineEdit>();
    RegisterSkinControl("accountname", edit.get());
    auto entries = Theme();
    entries.push_back(SkinEntry("accountname", "*", 5, 6, 100, 20, 0, false, Lines({"login"})));
    Load(entries);
    KeyFilter filter;
    QApplication::setActiveWindow(main.get());
    edit->setFocus();
    QApplication::processEvents();
    QWindow* window = main->windowHandle();
    ASSERT_NE(window, nullptr);
    QKeyEvent shiftA(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A");
    QApplication::sendEvent(window, &shiftA);
    EXPECT_EQ(GetSkinVar("keys"), "x");  // once, though the event passed several widgets
    EXPECT_EQ(edit->text(), "A");        // and the key went on to the focused box
    QKeyEvent plain(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
    QApplication::sendEvent(window, &plain);
    EXPECT_EQ(GetSkinVar("keys"), "x");
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A", true);
    QApplication::sendEvent(window, &repeat);
    EXPECT_EQ(GetSkinVar("keys"), "x");  // the platform's repeat is not a new key
    QKeyEvent ctrlAltS(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier, "");
    QApplication::sendEvent(window, &ctrlAltS);
    EXPECT_TRUE(settings->isVisible());
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(FindElementAnywhere("hint")->visible, 0);
    edit.release();
    RegisterSkinControl("accountname", nullptr);
}

TEST_F(SkinFormTest, KeysOfAPlainWindowAreItsOwn) {
    Load();
    KeyFilter filter;
    QWidget dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
    SkinKeyPress('A', true, false, false, &dialog);
    EXPECT_EQ(GetSkinVar("keys"), "");
    SkinKeyPress('A', true, false, false, login);
    EXPECT_EQ(GetSkinVar("keys"), "x");
}

TEST_F(SkinFormTest, AnUnregisteredFormPaintsItsColour) {
    TZRSkinForm plain("");
    plain.SetFormColour(0x0000FF);
    plain.resize(20, 20);
    plain.show();
    QApplication::processEvents();
    EXPECT_FALSE(plain.Registered());
    EXPECT_EQ(QColor(plain.grab().toImage().pixel(5, 5)), QColor(255, 0, 0));
}

}  // namespace
}  // namespace pk
