// The editor's main window driven offscreen: open a library, select every
// kind of entry, edit cells and skin lists, mark and apply, save, and the
// window's picture against a golden image.
#include "editor/ui/zrform1.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "gfx/qtsurface.h"
#include "support/golden.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

class FormTest : public ::testing::Test {
protected:
    FormTest() {
        test::EnsureWidgetApp();
        std::filesystem::create_directories(dir_.Path() / "prog");
        form_ = std::make_unique<TForm1>(dir_.Path() / "prog", KledAudio{});
        form_->messageSink = [this](const std::string& m) { messages_.push_back(m); };
        form_->fileDialogSink = [this](bool) { return answer_; };
        form_->FormCreate({});
        library_ = test::SaveLibrary(dir_.Path() / "Theme.klb", test::BasicTheme());
    }
    void Open() {
        answer_ = library_.string();
        form_->openthemeClick();
    }
    void SelectEntry(const std::string& name, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        TZRC* e = form_->doc().FindEntryByName(name, "");
        ASSERT_NE(e, nullptr) << name;
        QTreeWidgetItem* item = form_->ItemOf(e->node);
        ASSERT_NE(item, nullptr) << name;
        if (mods == Qt::NoModifier) {
            form_->maintree()->setCurrentItem(item);
        } else {
            form_->doc().Select(e->node, mods & Qt::ShiftModifier, mods & Qt::ControlModifier);
            form_->TreeChanged();
        }
    }
    QString Cell(int page, int row) { return form_->Grid(page)->item(row, 1)->text(); }
    void Edit(int page, int row, const QString& text) {
        form_->Grid(page)->item(row, 1)->setText(text);
    }

    test::TempDir dir_;
    std::unique_ptr<TForm1> form_;
    std::filesystem::path library_;
    std::string answer_;
    std::vector<std::string> messages_;
};

TEST_F(FormTest, OpensSelectsEveryKindEditsAndSaves) {
    EXPECT_EQ(form_->windowTitle(), "Pelkorin Theme Editor v1.09");
    EXPECT_EQ(Cell(kPageMain, 0), "*");
    Open();
    EXPECT_EQ(form_->windowTitle().toStdString(),
              "Pelkorin Theme Editor v1.09 - " + library_.string());
    EXPECT_EQ(form_->maintree()->topLevelItemCount(), 1);
    EXPECT_EQ(form_->maintree()->topLevelItem(0)->text(0), "Current theme");

    const std::pair<const char*, int> kinds[] = {{"Basic", kPageMain},
                                                 {"Specials", kPageDetail},
                                                 {"drop", kPageSound},
                                                 {"Tune", kPageMusic},
                                                 {"Main", kPageSkin}};
    // "Basic" is both the group and the main bitmap inside it: take the bitmap.
    TreeNode* group = form_->doc().FindEntryByName("Basic", "")->node;
    form_->maintree()->setCurrentItem(form_->ItemOf(group->children[0].get()));
    EXPECT_EQ(form_->mainpagecontrol()->currentIndex(), kPageMain);
    EXPECT_EQ(Cell(kPageMain, 2), "(Internal)");
    for (auto [name, page] : kinds) {
        if (page == kPageMain)
            continue;
        SelectEntry(name);
        EXPECT_EQ(form_->mainpagecontrol()->currentIndex(), page) << name;
        EXPECT_EQ(Cell(page, 0), "*") << name;
    }
    EXPECT_EQ(Cell(kPageSkin, 4), "0 0 40 30");
    EXPECT_EQ(form_->skinflaglist()->item(0, 1)->text(), "stretch");
    EXPECT_EQ(form_->skinactionlist()->item(0, 1)->text(), "onclick");
    EXPECT_EQ(form_->skinactionlist()->item(0, 2)->text(), "close");

    Edit(kPageSkin, 4, "3 4 50 0");
    TZRC* skin = form_->doc().FindEntryByName("Main", "");
    EXPECT_EQ(skin->entry.left, 3);
    EXPECT_EQ(skin->entry.height, 1);
    form_->skinflaglist()->item(1, 1)->setText("tile");
    EXPECT_EQ(skin->entry.flagList, "stretch\rtile");
    form_->skinflaglist()->setCurrentCell(0, 1);
    QKeyEvent f12(QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier);
    QApplication::sendEvent(form_->skinflaglist(), &f12);
    EXPECT_EQ(skin->entry.flagList, "stretch\rtile");  // an empty first line is stripped
    EXPECT_EQ(form_->skinflaglist()->item(1, 1)->text(), "stretch");
    QKeyEvent f11(QEvent::KeyPress, Qt::Key_F11, Qt::NoModifier);
    form_->skinflaglist()->setCurrentCell(2, 1);
    QApplication::sendEvent(form_->skinflaglist(), &f11);
    EXPECT_EQ(skin->entry.flagList, "stretch");

    SelectEntry("drop");
    Edit(kPageSound, 0, "edited");
    form_->savethemeClick();
    EXPECT_TRUE(messages_.empty());
    KlbLibrary lib;
    ASSERT_TRUE(LoadKlbLibrary(library_, lib));
    for (const KlbEntry& e : lib.entries) {
        if (e.name == "drop") {
            EXPECT_EQ(e.themeIdList, "edited");
        }
        if (e.name == "Main") {
            EXPECT_EQ(e.left, 3);
            EXPECT_EQ(e.flagList, "stretch");
        }
    }
    ASSERT_EQ(form_->doc().recent().size(), 1u);
}

TEST_F(FormTest, MarkedEntriesTakeTheAppliedFieldAndTheRecentMenuFollows) {
    Open();
    SelectEntry("Button");
    SelectEntry("Main", Qt::ControlModifier);
    form_->maintree()->setCurrentItem(
        form_->ItemOf(form_->doc().FindEntryByName("Main", "")->node));
    form_->mainpagecontrol()->setCurrentIndex(kPageSkin);
    form_->RefreshResourcePage();
    Edit(kPageSkin, 3, "parentX");
    form_->Grid(kPageSkin)->setCurrentCell(3, 1);
    form_->applyClick();
    EXPECT_EQ(form_->doc().FindEntryByName("Button", "")->entry.parentName, "parentX");

    int shown = 0;
    for (QAction* a : form_->fileMenu()->actions())
        if (a->isVisible() && a->text().toStdString() == library_.string())
            ++shown;
    EXPECT_EQ(shown, 1);
}

TEST_F(FormTest, MatchesTheGoldenPicture) {
    Open();
    SelectEntry("Main");
    form_->resize(800, 600);
    QImage shot = form_->grab().toImage();
    EXPECT_TRUE(test::MatchesGolden(SurfaceFromQImage(shot), "editor/golden/kled_skin.png"));
}

}  // namespace
}  // namespace pk
