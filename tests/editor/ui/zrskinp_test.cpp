// The skin preview window and the main window's tools, driven offscreen: ticks by click and by
// dragging, editing with the mouse reaching the main page, the golden picture of the window,
// the old pack import, the batch export and import and the references button.
#include "editor/ui/zrskinp.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTreeWidget>

#include "editor/ui/zrform1.h"
#include "editor/zrcommands.h"
#include "gfx/qtsurface.h"
#include "platform/atomicfile.h"
#include "support/golden.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

namespace fs = std::filesystem;

std::vector<KlbEntry> PreviewTheme() {
    std::vector<KlbEntry> v;
    KlbEntry main = test::MainEntry("Blue", "blue");
    main.minWindowWidth = 200;
    main.minWindowHeight = 150;
    v.push_back(main);
    v.push_back(test::MainEntry("Red", "red"));
    v.push_back(test::SkinEntry("con_game", "*", 0, 0, 180, 120, 0, false, "shell"));
    KlbEntry back = test::SkinEntry("back", "*", 0, 0, 10, 10, 0, false, "game\rmaxboth");
    back.backColour = 0x00604020;
    v.push_back(back);
    v.push_back(test::SkinEntry("panel", "*", 20, 15, 60, 40, 0xFF30A060u, true, "game"));
    v.push_back(
        test::SkinEntry("corner", "*", 150, 90, 20, 20, 0xFFE0E040u, false, "game\ralignboth"));
    v.push_back(test::SkinEntry("redonly", "red", 0, 0, 5, 5, 0xFFFF0000u, false, "game"));
    return v;
}

class SkinpTest : public ::testing::Test {
protected:
    SkinpTest() {
        test::EnsureWidgetApp();
        fs::create_directories(dir_.Path() / "prog");
        form_ = std::make_unique<TForm1>(dir_.Path() / "prog", KledAudio{});
        form_->messageSink = [this](const std::string& m) { messages_.push_back(m); };
        form_->fileDialogSink = [this](bool) { return answer_; };
        // Edits made here are let go when the window closes or the theme changes.
        form_->questionSink = [](const std::string&, QMessageBox::StandardButtons) {
            return QMessageBox::Discard;
        };
        form_->folderDialogSink = [this](const std::string& title) {
            titles_.push_back(title);
            return answer_;
        };
        form_->FormCreate({});
        library_ = test::SaveLibrary(dir_.Path() / "Theme.klb", PreviewTheme());
        answer_ = library_.string();
        form_->openthemeClick();
    }
    ~SkinpTest() override { form_->close(); }
    Tskinp& ShowGame() {
        form_->skinpreviewClick();
        Tskinp& p = *form_->skinp();
        p.windowtabs()->setCurrentIndex(2);
        return p;
    }
    void TickAll(Tskinp& p) {
        for (int r = 0; r < p.skinlist()->count(); ++r)
            p.skinlist()->item(r)->setCheckState(Qt::Checked);
    }
    TZRC* Find(const std::string& name) { return form_->doc().FindEntryByName(name, ""); }

    test::TempDir dir_;
    std::unique_ptr<TForm1> form_;
    fs::path library_;
    std::string answer_;
    std::vector<std::string> messages_;
    std::vector<std::string> titles_;
};

TEST_F(SkinpTest, ListsTheChosenThemesElementsAndTicksThem) {
    Tskinp& p = ShowGame();
    ASSERT_EQ(p.themelist()->count(), 2);
    EXPECT_EQ(p.themelist()->currentText(), "Blue");
    ASSERT_EQ(p.skinlist()->count(), 3);
    EXPECT_EQ(p.skinlist()->item(0)->text(), "back");
    EXPECT_EQ(p.skinpb()->width(), 180);  // con_game's size
    TickAll(p);
    EXPECT_TRUE(Find("corner")->ShowInPreview);
    EXPECT_EQ(p.StatusPanel(kStatusWindowW)->text(), "W: 180");

    p.themelist()->setCurrentIndex(1);
    ASSERT_EQ(p.skinlist()->count(), 4);  // "redonly" joins
    EXPECT_EQ(p.skinlist()->item(3)->checkState(), Qt::Unchecked);

    // Dragging over the tick column with the left button ticks; with Ctrl it unticks; the
    // picture follows when the button is let go. Over the names it does nothing.
    QWidget* viewport = p.skinlist()->viewport();
    const QRect row = p.skinlist()->visualItemRect(p.skinlist()->item(3));
    auto send = [viewport](QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods) {
        QMouseEvent e(type, at, viewport->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseMove ? Qt::LeftButton : Qt::NoButton, mods);
        QApplication::sendEvent(viewport, &e);
    };
    const QImage before = p.Shown();
    send(QEvent::MouseMove, row.center() + QPoint(row.width() / 4, 0), Qt::NoModifier);
    EXPECT_FALSE(Find("redonly")->ShowInPreview);
    const QPoint tick(row.left() + 4, row.center().y());
    send(QEvent::MouseMove, tick, Qt::NoModifier);
    EXPECT_TRUE(Find("redonly")->ShowInPreview);
    EXPECT_EQ(p.skinlist()->item(3)->checkState(), Qt::Checked);
    EXPECT_TRUE(p.Shown() == before);
    send(QEvent::MouseButtonRelease, tick, Qt::NoModifier);
    EXPECT_FALSE(p.Shown() == before);
    send(QEvent::MouseMove, tick, Qt::ControlModifier);
    EXPECT_FALSE(Find("redonly")->ShowInPreview);
    send(QEvent::MouseButtonRelease, tick, Qt::ControlModifier);
    EXPECT_TRUE(p.Shown() == before);

    p.stretchskins()->setChecked(true);
    EXPECT_NE(p.skinpb()->width(), 180);
}

TEST_F(SkinpTest, UpAndDownInTheMainWindowShowInTheListAndPictureAtOnce) {
    Tskinp& p = ShowGame();
    TickAll(p);
    const QImage before = p.Shown();
    form_->doc().Select(Find("panel")->node);
    form_->moveresourceupbClick();  // above "back", which covers the window
    ASSERT_EQ(p.skinlist()->count(), 3);
    EXPECT_EQ(p.skinlist()->item(0)->text(), "panel");
    EXPECT_EQ(p.skinlist()->item(1)->text(), "back");
    EXPECT_FALSE(p.Shown() == before);
    form_->doc().Select(Find("panel")->node);
    form_->moveresourcedownbClick();
    EXPECT_EQ(p.skinlist()->item(0)->text(), "back");
    EXPECT_TRUE(p.Shown() == before);
}

TEST_F(SkinpTest, MouseEditingReachesTheElementAndTheMainWindow) {
    Tskinp& p = ShowGame();
    TickAll(p);
    p.skinlistClick(p.skinlist()->item(1));  // panel
    EXPECT_EQ(p.StatusPanel(kStatusElementA)->text(), "W: 60");
    p.skinpbMouseDown(Qt::LeftButton, Qt::NoModifier, 40, 30);
    p.skinpbMouseMove(Qt::NoModifier, 45, 33);
    EXPECT_EQ(p.StatusPanel(kStatusElementA)->text(), "X: 25");
    p.skinpbMouseUp(Qt::LeftButton, Qt::NoModifier, 45, 33);
    EXPECT_EQ(Find("panel")->entry.left, 25);
    EXPECT_EQ(Find("panel")->entry.top, 18);
    p.skinpbMouseDown(Qt::RightButton, Qt::NoModifier, 0, 0);
    EXPECT_EQ(Find("panel")->entry.width, 60);

    // A double click selects the element in the main tree.
    emit p.skinlist()->itemDoubleClicked(p.skinlist()->item(1));
    EXPECT_EQ(form_->doc().SelectedEntry(), Find("panel"));
    EXPECT_EQ(form_->mainpagecontrol()->currentIndex(), kPageSkin);
}

TEST_F(SkinpTest, TheThemeStaysChosenAndActivationShowsThePagesChanges) {
    Tskinp& p = ShowGame();
    TickAll(p);
    EXPECT_EQ(p.skinstatus()->objectName(), "skinstatus");
    EXPECT_EQ(p.StatusPanel(kStatusWindowW)->parentWidget(), p.skinstatus());
    p.themelist()->setCurrentIndex(1);
    EXPECT_EQ(p.preview().theme(), Find("Red"));
    // The document changes: the remembered theme stays chosen.
    form_->doc().Select(Find("panel")->node);
    form_->doc().RenameNode(Find("panel")->node, "panel2");
    form_->TreeChanged();
    EXPECT_EQ(p.themelist()->currentText(), "Red");
    // A rectangle changed in the main window shows once the preview is active again.
    const QImage before = p.Shown();
    Find("corner")->entry.left = 10;
    EXPECT_TRUE(p.Shown() == before);
    p.FormActivate();
    EXPECT_FALSE(p.Shown() == before);
    // A theme that went away: the first is chosen and remembered.
    form_->doc().Select(Find("Red")->node);
    form_->commands().DeleteMarkedResources();
    EXPECT_EQ(p.themelist()->count(), 1);
    EXPECT_EQ(p.preview().theme(), Find("Blue"));
}

TEST_F(SkinpTest, MatchesTheGoldenPicture) {
    Tskinp& p = ShowGame();
    TickAll(p);
    p.skinlistClick(p.skinlist()->item(1));
    p.resize(520, 300);
    QImage shot = p.grab().toImage();
    EXPECT_TRUE(test::MatchesGolden(SurfaceFromQImage(shot), "editor/golden/kled_skinp.png"));
}

// The window opens with its whole frame inside the free area of its screen: large enough to
// show the whole picture when there is room (first over the main window), shrunk with the picture
// scrolling when there is not, and moved in from an edge it would pass.
TEST_F(SkinpTest, OpensFullyOnTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    KlbEntry& blue = Find("Blue")->entry;  // the Shell tab shows its minimum window size
    Tskinp& p = *form_->skinp();
    const auto open = [&](int width, int height) {
        blue.minWindowWidth = width;
        blue.minWindowHeight = height;
        form_->skinpreviewClick();
        QApplication::processEvents();
        ASSERT_EQ(p.skinpb()->size(), QSize(width, height));
        const QRect free = p.screen()->availableGeometry();
        EXPECT_TRUE(free.contains(p.frameGeometry()))
            << p.frameGeometry().x() << "," << p.frameGeometry().y() << " "
            << p.frameGeometry().width() << "x" << p.frameGeometry().height();
    };
    auto* scroll = p.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);

    form_->show();
    open(100, 80);  // first opened over the main window
    EXPECT_LE((p.frameGeometry().center() - form_->frameGeometry().center()).manhattanLength(), 2);
    p.hide();

    open(area.width() * 65 / 100, area.height() * 65 / 100);
    EXPECT_GE(scroll->viewport()->width(), p.skinpb()->width());
    EXPECT_GE(scroll->viewport()->height(), p.skinpb()->height());
    p.hide();

    open(area.width() * 2, area.height() * 2);
    EXPECT_GT(scroll->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
    p.hide();

    p.move(area.right() - 40, area.bottom() - 40);
    open(100, 80);
    p.hide();
}

TEST_F(SkinpTest, ToolsImportAPackExportImportAndLoadReferences) {
    // References: the chosen main bitmap names the library beside the current file.
    Find("Blue")->entry.references = "extra";
    test::SaveLibrary(dir_.Path() / "Extra.klb", {test::SoundEntry("boom", "*", "x")});
    form_->refsCombo()->setCurrentIndex(0);
    form_->updaterefsClick();
    ASSERT_EQ(form_->doc().tree().Roots().size(), 2u);
    EXPECT_EQ(form_->doc().tree().Roots()[1]->label, "Extra");
    EXPECT_TRUE(Find("boom")->IsReference);

    // Export of a marked reference entry, then a failed import of a file that is not a bitmap.
    form_->doc().Select(Find("boom")->node);
    answer_ = (dir_.Path() / "out").string();
    form_->Exportselected1Click();
    EXPECT_EQ(titles_.back(), "Save resources to...");
    EXPECT_TRUE(fs::exists(dir_.Path() / "out" / "boom.wav"));
    form_->doc().Select(Find("panel")->node);
    ASSERT_TRUE(WriteFileAtomic(dir_.Path() / "out" / "panel-main.bmp", "no bitmap"));
    form_->Importselected1Click();
    EXPECT_EQ(titles_.back(), "Load resources from...");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("panel-main.bmp"), std::string::npos);

    // An old pack replaces the theme.
    fs::create_directories(dir_.Path() / "pack");
    ASSERT_TRUE(
        WriteFileAtomic(dir_.Path() / "pack" / "blocks.bmp", *EncodeBmp(DibBitmap(304, 40), 24)));
    ASSERT_TRUE(WriteFileAtomic(dir_.Path() / "pack" / "x.kpk",
                                "[Graphics]\r\nbitmaps_file=BLOCKS.BMP\r\n"));
    answer_ = (dir_.Path() / "pack" / "x.kpk").string();
    form_->Createthemefromoldbitmap1Click();
    ASSERT_NE(Find("PLEASE NAME ME"), nullptr);
    EXPECT_EQ(form_->doc().SelectedEntry(), Find("PLEASE NAME ME"));
    EXPECT_EQ(form_->mainpagecontrol()->currentIndex(), kPageMain);
    EXPECT_EQ(Find("panel"), nullptr);
}

}  // namespace
}  // namespace pk
