// The resource commands' buttons on the main window, and the two pick
// dialogs driven offscreen with their golden pictures.
#include "editor/ui/zrcommandsui.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "editor/ui/zrdebug.h"
#include "editor/ui/zrform1.h"
#include "editor/ui/zrmaincombo.h"
#include "editor/ui/zrpickdlgs.h"
#include "gfx/qtsurface.h"
#include "platform/atomicfile.h"
#include "support/golden.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

// Glyphs may come out a pixel apart with another build of the fonts.
constexpr int kTextSlack = 400;

class CommandsUiTest : public ::testing::Test {
protected:
    CommandsUiTest() {
        test::EnsureWidgetApp();
        std::filesystem::create_directories(dir_.Path() / "prog");
        form_ = std::make_unique<TForm1>(dir_.Path() / "prog", KledAudio{});
        form_->messageSink = [this](const std::string& m) { messages_.push_back(m); };
        form_->FormCreate({});
        ui_ = form_->findChild<ResourceCommandsUi*>();
        ui_->fileSink = [this](const FileDialogSpec& spec) {
            dialogs_.push_back(spec.title);
            return answer_;
        };
    }
    void Click(const QString& name) {
        QPushButton* b = ui_->Button(name);
        ASSERT_NE(b, nullptr) << name.toStdString();
        b->click();
    }
    std::vector<std::string> Shown() {
        std::vector<std::string> out;
        std::function<void(QTreeWidgetItem*, std::string)> walk = [&](QTreeWidgetItem* item,
                                                                      std::string depth) {
            out.push_back(depth + item->text(0).toStdString());
            for (int i = 0; i < item->childCount(); ++i) walk(item->child(i), depth + ".");
        };
        for (int i = 0; i < form_->maintree()->topLevelItemCount(); ++i)
            walk(form_->maintree()->topLevelItem(i), "");
        return out;
    }

    test::TempDir dir_;
    std::unique_ptr<TForm1> form_;
    ResourceCommandsUi* ui_ = nullptr;
    std::string answer_;
    std::vector<std::string> dialogs_;
    std::vector<std::string> messages_;
};

TEST_F(CommandsUiTest, ButtonsBuildTheTreeTheWindowShows) {
    ASSERT_NE(ui_, nullptr);
    form_->doc().tree().selected = form_->doc().tree().FirstRoot();
    Click("creategroup");
    form_->mainpagecontrol()->setCurrentIndex(kPageMain);
    answer_ = (dir_.Path() / "tiles.bmp").string();
    ASSERT_TRUE(WriteFileAtomic(answer_, EncodeBmp(DibBitmap(8, 8, 0xFF00FF00))));
    Click("newresourceb");
    EXPECT_EQ(dialogs_, (std::vector<std::string>{"Load bitmap..."}));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Current theme", ".New Group", "..Main Bitmap"}));
    EXPECT_EQ(form_->maintree()->currentItem()->text(0), "Main Bitmap");
    EXPECT_EQ(form_->Grid(kPageMain)->item(1, 1)->text().toStdString(), answer_);

    // A mask from a colour through the picked colour.
    ui_->colourSink = [](const DibBitmap& image) {
        EXPECT_EQ(image.width, 8);
        return int64_t{0x00FF00};
    };
    Click("createmask0");
    EXPECT_FALSE(form_->doc().SelectedEntry()->entry.mask.empty());
    // Moved to the top through the group dialog, then up above the group.
    ui_->groupSink = [this] { return form_->doc().tree().FirstRoot(); };
    Click("moveresource");
    Click("moveresourceupb");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Current theme", ".Main Bitmap", ".New Group"}));
    // Copy, then delete the copy.
    Click("copyresourceb");
    EXPECT_EQ(Shown().size(), 4u);
    Click("deleteresourceb");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Current theme", ".Main Bitmap", ".New Group"}));
    // A page button on the wrong kind.
    form_->mainpagecontrol()->setCurrentIndex(kPageSound);
    Click("openresource2");
    EXPECT_EQ(messages_, (std::vector<std::string>{"Selected resource is not a sound resource"}));
    EXPECT_EQ(ui_->Button("openmask2"), nullptr);  // sounds have no mask
    ASSERT_NE(ui_->Button("savemask4"), nullptr);
}

// A move that keeps every node in the same place of the whole tree's order still changes
// which group holds it: the window shows the document's structure after it.
TEST_F(CommandsUiTest, TheTreeShowsALeafMovedOutOfItsGroupIntoTheParent) {
    KledDoc& doc = form_->doc();
    doc.tree().selected = doc.tree().FirstRoot();
    Click("creategroup");
    TreeNode* a = doc.tree().selected;
    ASSERT_TRUE(doc.RenameNode(a, "A"));
    Click("creategroup");
    TreeNode* b = doc.tree().selected;
    ASSERT_TRUE(doc.RenameNode(b, "B"));
    form_->mainpagecontrol()->setCurrentIndex(kPageMain);
    answer_ = (dir_.Path() / "tiles.bmp").string();
    ASSERT_TRUE(WriteFileAtomic(answer_, EncodeBmp(DibBitmap(8, 8, 0xFF00FF00))));
    Click("newresourceb");
    form_->TreeChanged();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Current theme", ".A", "..B", "...Main Bitmap"}));
    ui_->groupSink = [a] { return a; };
    Click("moveresource");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Current theme", ".A", "..B", "..Main Bitmap"}));
    EXPECT_EQ(form_->maintree()->currentItem()->text(0), "Main Bitmap");
    EXPECT_EQ(form_->maintree()->currentItem()->parent()->text(0), "A");
}

TEST_F(CommandsUiTest, SkinPageButtonsReachTheSkinHandlers) {
    form_->doc().tree().selected = form_->doc().tree().FirstRoot();
    form_->mainpagecontrol()->setCurrentIndex(kPageSkin);
    Click("newresourceb");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Current theme", ".New Skin Bitmap"}));
    Click("createmask4");
    Click("savemask4");  // no mask yet: nothing, no message
    EXPECT_EQ(messages_, (std::vector<std::string>{
                             "You need to load a skin bitmap before creating a mask from it!"}));
    // The main page's mask button on a skin element names the main bitmap's kind.
    form_->createmainbmpmaskClick();
    EXPECT_EQ(messages_.back(), "Selected resource is not a main bitmap resource");
    answer_ = (dir_.Path() / "panel.bmp").string();
    ASSERT_TRUE(WriteFileAtomic(answer_, EncodeBmp(DibBitmap(6, 4, 0xFF0000FF))));
    Click("openresource4");
    EXPECT_EQ(form_->doc().SelectedEntry()->entry.width, 6);
}

TEST_F(CommandsUiTest, TheDebugWindowIsMadeButNeverShownAndExitCloses) {
    Tdebug* debug = form_->debug();
    ASSERT_NE(debug, nullptr);
    EXPECT_EQ(debug->windowTitle(), "debug");
    EXPECT_EQ(debug->list()->count(), 0);
    EXPECT_FALSE(debug->isVisible());
    form_->show();
    QAction* exit = nullptr;
    for (QAction* a : form_->fileMenu()->actions())
        if (a->text() == "E&xit")
            exit = a;
    ASSERT_NE(exit, nullptr);
    exit->trigger();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_FALSE(debug->isVisible());
}

TEST_F(CommandsUiTest, TheReferencesComboKeepsItsChoice) {
    std::vector<KlbEntry> v{test::MainEntry("One", "1"), test::MainEntry("Two", "2")};
    form_->doc().OpenTheme(test::SaveLibrary(dir_.Path() / "T.klb", v));
    QComboBox* refs = form_->refsCombo();
    ASSERT_EQ(refs->count(), 2);
    EXPECT_EQ(refs->currentText(), "One");
    refs->setCurrentIndex(1);
    ASSERT_NE(ChosenMainBitmap(refs), nullptr);
    EXPECT_EQ(ChosenMainBitmap(refs)->name(), "Two");
    // A new main bitmap before it leaves "Two" chosen.
    form_->doc().tree().selected = form_->doc().tree().FirstRoot();
    form_->mainpagecontrol()->setCurrentIndex(kPageMain);
    answer_ = (dir_.Path() / "tiles.bmp").string();
    ASSERT_TRUE(WriteFileAtomic(answer_, EncodeBmp(DibBitmap(8, 8))));
    Click("newresourceb");
    ASSERT_EQ(refs->count(), 3);
    EXPECT_EQ(refs->currentText(), "Two");
    // Chosen entry deleted: the first.
    form_->doc().Select(ChosenMainBitmap(refs)->node);
    Click("deleteresourceb");
    ASSERT_EQ(refs->count(), 2);
    EXPECT_EQ(refs->currentIndex(), 0);
}

TEST_F(CommandsUiTest, GroupDialogRemembersThePosition) {
    form_->doc().OpenTheme(test::SaveLibrary(dir_.Path() / "T.klb", test::BasicTheme()));
    TForm2* dlg = ui_->form2();
    const ResourceTree& tree = form_->doc().tree();
    dlg->Fill(tree);
    EXPECT_EQ(dlg->groupTree()->currentItem(), nullptr);  // nothing the first time
    EXPECT_EQ(dlg->groupTree()->topLevelItem(0)->text(0), "Current theme");
    QTreeWidgetItem* basic = dlg->groupTree()->topLevelItem(0)->child(0);
    dlg->groupTree()->setCurrentItem(basic);
    TreeNode* chosen = dlg->Chosen(tree);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->label, "Basic");
    EXPECT_TRUE(chosen->hasChildren);
    dlg->Fill(tree);
    EXPECT_EQ(dlg->groupTree()->currentItem()->text(0), "Basic");

    dlg->resize(260, 320);
    EXPECT_TRUE(test::MatchesGoldenWithin(SurfaceFromQImage(dlg->grab().toImage()),
                                          "editor/golden/tform2.png", kTextSlack));
}

TEST_F(CommandsUiTest, ColourDialogPicksClampsAndRefuses) {
    TForm3* dlg = ui_->form3();
    DibBitmap image(24, 16, 0xFF336699);
    image.fillRect(0, 0, 8, 8, 0xFFFF00FF);
    dlg->SetPicture(image);
    EXPECT_EQ(dlg->Result(), -1);  // the edits start at -1
    dlg->PickAt(2, 3);
    EXPECT_EQ(dlg->edit(0)->text(), "255");
    EXPECT_EQ(dlg->Result(), 0xFF00FF);
    dlg->PickAt(100, 3);  // outside: nothing
    EXPECT_EQ(dlg->Result(), 0xFF00FF);
    dlg->edit(1)->setText("300");
    dlg->edit(2)->setText("-7");
    EXPECT_EQ(dlg->Result(), 0x0000FFFF);  // 255, 255, 0
    dlg->edit(2)->setText("x");
    EXPECT_EQ(dlg->Result(), -1);

    // The mouse picks only once the window is shown.
    auto* picture = dlg->findChild<QLabel*>("picture");
    ASSERT_NE(picture, nullptr);
    auto press = [&](QPoint at) {
        QMouseEvent e(QEvent::MouseButtonPress, at, picture->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(picture, &e);
    };
    dlg->SetPicture(image);
    press({10, 10});
    EXPECT_EQ(dlg->Result(), -1);
    dlg->resize(360, 280);
    dlg->show();
    press({10, 10});
    EXPECT_EQ(dlg->Result(), 0x996633);  // 0x00BBGGRR
    EXPECT_TRUE(test::MatchesGoldenWithin(SurfaceFromQImage(dlg->grab().toImage()),
                                          "editor/golden/tform3.png", kTextSlack));
    dlg->hide();
}

}  // namespace
}  // namespace pk
