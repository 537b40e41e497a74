// The skins' palettes on real widgets: a window, its controls, the menus it owns and its
// boxes take the palette and give it back when a theme without one comes; a container's
// window takes its element's palette, and a dialog the title page's each time it is shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

#include "core/zrcolour.h"
#include "skin/ui/zrskinform.h"
#include "skin/ui/zrskinwidgets.h"
#include "skin/ui/zrwidgetpalette.h"
#include "skin/zrskintheme.h"
#include "support/skin_text.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using test::Lines;
using test::SkinEntry;

QColor Rgb(int32_t colour) {
    return QColor(ColourRed(colour), ColourGreen(colour), ColourBlue(colour));
}

SkinPalette Dark() {
    return DeriveSkinPalette({.page = RgbColour(26, 30, 42),
                              .text = RgbColour(222, 228, 238),
                              .box = RgbColour(250, 251, 255),
                              .boxText = RgbColour(24, 28, 40),
                              .control = RgbColour(48, 56, 78),
                              .edge = RgbColour(78, 92, 122)});
}

struct Window {
    Window() {
        list = new QListView(&top);
        tree = new QTreeView(&top);
        tree->setFrameStyle(QFrame::NoFrame);
        button = new QPushButton("OK", &top);
        edit = new QLineEdit(&top);
        menu = new QMenu(&top);
        bound = new QListView(&top);
        QPalette own = bound->palette();
        own.setColor(QPalette::Base, Qt::red);
        bound->setPalette(own);
        RegisterSkinControl("attacklist", bound);
    }
    ~Window() { RegisterSkinControl("attacklist", nullptr); }
    QWidget top;
    QListView* list;
    QTreeView* tree;
    QPushButton* button;
    QLineEdit* edit;
    QMenu* menu;
    QListView* bound;  // a control a skin element colours
};

TEST(WidgetPalette, AWindowItsMenusAndItsBoxesTakeThePaletteAndGiveItBack) {
    test::EnsureWidgetApp();
    const QPalette platform = QApplication::palette();
    Window w;
    const SkinPalette p = Dark();
    ApplySkinPalette(w.top, p);
    EXPECT_EQ(w.button->palette().color(QPalette::Button), Rgb(p.button));
    EXPECT_EQ(w.button->palette().color(QPalette::ButtonText), Rgb(p.buttonText));
    EXPECT_EQ(w.button->palette().color(QPalette::Disabled, QPalette::ButtonText),
              Rgb(p.disabledButtonText));
    EXPECT_EQ(w.edit->palette().color(QPalette::Base), Rgb(p.base));
    EXPECT_EQ(w.edit->palette().color(QPalette::Disabled, QPalette::Text), Rgb(p.disabledText));
    // A menu is a window of its own, which would not inherit.
    EXPECT_EQ(w.menu->palette().color(QPalette::Window), Rgb(p.window));
    EXPECT_EQ(w.menu->palette().color(QPalette::Text), Rgb(p.text));
    // A box is light through and through, framed in the edges' colour.
    EXPECT_EQ(w.list->frameShape(), QFrame::Box);
    EXPECT_EQ(w.list->frameShadow(), QFrame::Plain);
    EXPECT_EQ(w.list->palette().color(w.list->foregroundRole()), Rgb(p.mid));
    for (QPalette::ColorRole ground : {QPalette::Window, QPalette::Base, QPalette::Button})
        EXPECT_EQ(w.list->palette().color(ground), Rgb(p.base)) << ground;
    EXPECT_EQ(w.list->palette().color(QPalette::ButtonText), Rgb(p.text));
    EXPECT_EQ(w.list->palette().color(QPalette::Disabled, QPalette::ButtonText),
              Rgb(p.disabledText));
    EXPECT_EQ(w.tree->frameShape(), QFrame::NoFrame);  // a box without a frame keeps none
    // A control of a skin element is framed alike and keeps the element's colours.
    EXPECT_EQ(w.bound->frameShape(), QFrame::Box);
    EXPECT_EQ(w.bound->palette().color(QPalette::Base), QColor(Qt::red));

    // Another theme's palette: the boxes follow its ground.
    SkinPaletteSource sand{.page = RgbColour(236, 222, 196), .control = RgbColour(214, 196, 166)};
    sand.box = RgbColour(255, 250, 240);
    ApplySkinPalette(w.top, DeriveSkinPalette(sand));
    EXPECT_EQ(w.list->palette().color(QPalette::Window), Rgb(sand.box));
    EXPECT_EQ(w.list->palette().color(QPalette::Button), Rgb(sand.box));

    // A theme without one: everything as the platform has it.
    ApplySkinPalette(w.top, SkinPalette{});
    for (QWidget* widget : std::initializer_list<QWidget*>{&w.top, w.list, w.button, w.menu}) {
        for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button,
                                         QPalette::ButtonText, QPalette::Mid})
            EXPECT_EQ(widget->palette().color(role), platform.color(role)) << role;
    }
    EXPECT_EQ(w.list->frameShape(), QFrame::StyledPanel);
    EXPECT_EQ(w.list->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(w.list->foregroundRole(), QPalette::WindowText);
    EXPECT_EQ(w.bound->frameShape(), QFrame::StyledPanel);
    EXPECT_EQ(w.bound->palette().color(QPalette::Base), QColor(Qt::red));
}

class Page : public TZRSkinForm {
public:
    using TZRSkinForm::TZRSkinForm;
};

class ContainerPaletteUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        InitSkins(800, 600);
        InstallSkinWidgets();
        main = std::make_unique<TZRSkinForm>("shell");
        login = new Page("login");
        page.reset(login);
        box = new QListView(login);
        main->resize(200, 150);
    }
    void TearDown() override {
        if (login->parentWidget())
            (void)page.release();
        main.reset();
        RemoveSkinWidgets();
        FreeSkins();
        FreeTheme(theme);
    }
    void Load(const std::string& loginParams) {
        std::vector<KlbEntry> entries = test::BasicTheme();
        entries.push_back(
            SkinEntry("con_login", "*", 0, 0, 100, 100, 0, false, Lines({"shell", loginParams})));
        entries.back().backColour = RgbColour(26, 30, 42);
        FreeTheme(theme);
        const auto file = test::SaveLibrary(dir.Path() / "synthetic.klb", std::move(entries));
        ASSERT_TRUE(LoadTheme(file, "x", theme, {}, dir.Path()));
        ApplySkinTheme(theme, "shell", 200, 150);
    }

    test::TempDir dir;
    TZRTheme theme;
    std::unique_ptr<TZRSkinForm> main;
    Page* login = nullptr;
    std::unique_ptr<Page> page;
    QListView* box = nullptr;
};

TEST_F(ContainerPaletteUiTest, AContainersWindowAndTheDialogsFollowTheTheme) {
    QDialog dialog;
    FollowDialogPalette(dialog);
    auto* edit = new QLineEdit(&dialog);
    const QColor page(26, 30, 42), face(48, 56, 78);

    Load("controlbg=48 56 78");
    ASSERT_EQ(login->parentWidget(), main.get());
    EXPECT_EQ(login->palette().color(QPalette::Window), page);
    EXPECT_EQ(box->frameShape(), QFrame::Box);
    // The dialog takes it when it is shown, not before.
    EXPECT_NE(edit->palette().color(QPalette::Button), face);
    dialog.show();
    EXPECT_EQ(edit->palette().color(QPalette::Button), face);
    EXPECT_EQ(dialog.palette().color(QPalette::Window), page);
    dialog.hide();

    // A theme whose title page gives no palette.
    Load("textfg=255 255 255");
    EXPECT_EQ(login->palette().color(QPalette::Button),
              QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(box->frameShape(), QFrame::StyledPanel);
    dialog.show();
    EXPECT_EQ(edit->palette().color(QPalette::Button),
              QApplication::palette().color(QPalette::Button));
}

}  // namespace
}  // namespace pk
