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
#include <QTabBar>
#include <QTreeWidget>

#include "editor/ui/zrform1.h"
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

    // Dragging over the list with the left button ticks; with Ctrl it unticks.
    QWidget* viewport = p.skinlist()->viewport();
    const QPoint at = p.skinlist()->visualItemRect(p.skinlist()->item(3)).center();
    QMouseEvent drag(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &drag);
    EXPECT_TRUE(Find("redonly")->ShowInPreview);
    QMouseEvent untick(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                       Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(viewport, &untick);
    EXPECT_FALSE(Find("redonly")->ShowInPreview);

    p.stretchskins()->setChecked(true);
    EXPECT_NE(p.skinpb()->width(), 180);
}

TEST_F(SkinpTest, MouseEditingReachesTheElementAndTheMainWindow) {
    Tskinp& p = ShowGame();
    TickAll(p);
    p.skinlistClick(p.skinlist()->item(1));  // panel
    EXPECT_EQ(p.StatusPanel(kStatusElementA)->text(), "W: 60");
    p.PaintBoxMouse(0, 40, 30, Qt::LeftButton, Qt::NoModifier);
    p.PaintBoxMouse(1, 45, 33, Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(p.StatusPanel(kStatusElementA)->text(), "X: 25");
    p.PaintBoxMouse(2, 45, 33, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(Find("panel")->entry.left, 25);
    EXPECT_EQ(Find("panel")->entry.top, 18);
    p.PaintBoxMouse(0, 0, 0, Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(Find("panel")->entry.width, 60);

    // A double click selects the element in the main tree.
    emit p.skinlist()->itemDoubleClicked(p.skinlist()->item(1));
    EXPECT_EQ(form_->doc().SelectedEntry(), Find("panel"));
    EXPECT_EQ(form_->mainpagecontrol()->currentIndex(), kPageSkin);
}

TEST_F(SkinpTest, MatchesTheGoldenPicture) {
    Tskinp& p = ShowGame();
    TickAll(p);
    p.skinlistClick(p.skinlist()->item(1));
    p.resize(520, 300);
    QImage shot = p.grab().toImage();
    EXPECT_TRUE(test::MatchesGolden(SurfaceFromQImage(shot), "editor/golden/kled_skinp.png"));
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
