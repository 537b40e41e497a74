// The editor's main window driven offscreen: open a library, select every
// kind of entry, edit cells and skin lists, mark and apply, save, and the
// window's picture against a golden image.
#include "editor/ui/zrform1.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <algorithm>

#include "editor/zrimaging.h"
#include "gfx/qtsurface.h"
#include "platform/atomicfile.h"
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
        form_->questionSink = [this](const std::string& text, QMessageBox::StandardButtons) {
            questions_.push_back(text);
            return reply_;
        };
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
    QMessageBox::StandardButton reply_ = QMessageBox::Cancel;
    std::vector<std::string> questions_;
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

// New, Open, a recent file, the old pack import and Exit ask before unsaved
// edits go: Cancel keeps them, Save writes them first, Discard lets them go.
TEST_F(FormTest, UnsavedEditsAreAskedAboutBeforeTheyGo) {
    const auto other = test::SaveLibrary(dir_.Path() / "Other.klb", test::BasicTheme("o"));
    std::vector<std::string> folders;
    form_->folderDialogSink = [&](const std::string& title) {
        folders.push_back(title);
        return std::string();
    };
    Open();
    // Showing entries on their pages changes none of them.
    for (const char* name : {"Specials", "drop", "Tune", "Main", "Button"}) SelectEntry(name);
    form_->maintree()->setCurrentItem(
        form_->ItemOf(form_->doc().FindEntryByName("Basic", "")->node->children[0].get()));
    form_->newthemeClick();
    EXPECT_TRUE(questions_.empty());
    Open();
    SelectEntry("drop");
    Edit(kPageSound, 0, "edited");
    auto edited = [this] {
        const TZRC* e = form_->doc().FindEntryByName("drop", "");
        return e && e->entry.themeIdList == "edited";
    };

    answer_ = other.string();
    form_->newthemeClick();
    form_->openthemeClick();
    form_->OpenRecentFile(other.string());
    form_->Createthemefromoldbitmap1Click();
    form_->Exit1Click();
    ASSERT_EQ(questions_.size(), 5u);
    EXPECT_EQ(questions_[0], "The theme has changes that are not saved.  Save them first?");
    EXPECT_TRUE(edited());
    EXPECT_TRUE(folders.empty());
    EXPECT_TRUE(std::filesystem::exists(form_->doc().WorkCopy()));

    // Save: written to its library before the other one opens.
    reply_ = QMessageBox::Save;
    form_->OpenRecentFile(other.string());
    EXPECT_EQ(form_->doc().currentFile(), other);
    KlbLibrary lib;
    ASSERT_TRUE(LoadKlbLibrary(library_, lib));
    EXPECT_EQ(std::count_if(lib.entries.begin(), lib.entries.end(),
                            [](const KlbEntry& e) { return e.themeIdList == "edited"; }),
              1);

    // Discard: the edit goes, the file keeps what it had.
    SelectEntry("drop");
    Edit(kPageSound, 0, "lost");
    reply_ = QMessageBox::Discard;
    questions_.clear();
    form_->newthemeClick();
    EXPECT_EQ(questions_.size(), 1u);
    EXPECT_TRUE(form_->doc().list().empty());
    ASSERT_TRUE(LoadKlbLibrary(other, lib));
    for (const KlbEntry& e : lib.entries) EXPECT_EQ(e.themeIdList, "o") << e.name;

    // A new theme with edits asks for a name when saved at Exit.
    form_->maintree()->setCurrentItem(form_->maintree()->topLevelItem(0));
    form_->creategroupclick();
    ASSERT_FALSE(form_->doc().list().empty());
    reply_ = QMessageBox::Save;
    answer_ = (dir_.Path() / "New.klb").string();
    form_->Exit1Click();
    ASSERT_TRUE(LoadKlbLibrary(dir_.Path() / "New.klb", lib));
    EXPECT_EQ(lib.entries.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(form_->doc().WorkCopy()));
}

// A library read only in part is not saved over: Save offers Save As instead.
TEST_F(FormTest, SavingALibraryReadInPartOffersAnotherName) {
    std::string bytes = *ReadKlbFile(library_);
    bytes += std::string("NEWKIND\x01", 8) + std::string(300, 'x');
    ASSERT_TRUE(WriteFileAtomic(library_, bytes));
    Open();
    ASSERT_EQ(messages_.size(), 1u);
    answer_ = (dir_.Path() / "Saved.klb").string();
    reply_ = QMessageBox::No;
    form_->savethemeClick();
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_EQ(questions_[0],
              form_->doc().PartlyReadText() + "  Save the theme under another name?");
    EXPECT_FALSE(std::filesystem::exists(answer_));
    reply_ = QMessageBox::Yes;
    form_->savethemeClick();
    EXPECT_TRUE(std::filesystem::exists(answer_));
    EXPECT_EQ(*ReadKlbFile(library_), bytes);
}

// Drags the header of row `from` onto row `to` with the mouse.
void DragRow(QTableWidget* list, int from, int to) {
    QHeaderView* header = list->verticalHeader();
    QWidget* port = header->viewport();
    auto centre = [&](int row) {
        return QPointF(header->width() / 2.0,
                       header->sectionViewportPosition(row) + header->sectionSize(row) / 2.0);
    };
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButton button,
                    Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, port->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(port, &event);
    };
    send(QEvent::MouseButtonPress, centre(from), Qt::LeftButton, Qt::LeftButton);
    // In steps, as a hand moves, past the drag distance and a little past the
    // target row's middle, where the header takes the drop there.
    const QPointF start = centre(from), end = centre(to) + QPointF(0, to > from ? 4 : -4);
    for (int step = 1; step <= 4; ++step)
        send(QEvent::MouseMove, start + (end - start) * step / 4.0, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
}

TEST_F(FormTest, DraggedRowsOfTheSkinListsMoveInTheEntry) {
    Open();
    form_->show();
    SelectEntry("Main");
    TZRC* skin = form_->doc().FindEntryByName("Main", "");
    skin->entry.flagList = "a\rb\nx\rc";
    skin->entry.eventList = "onclick\nclose\ronclick\nlogin\rmouseover\nshow\npanel";
    form_->RefreshResourcePage();
    QApplication::processEvents();

    DragRow(form_->skinflaglist(), 0, 2);
    EXPECT_EQ(skin->entry.flagList, "b\nx\rc\ra");
    EXPECT_EQ(form_->skinflaglist()->item(2, 1)->text(), "a");
    // The header shows rows in their places again: only the data moved.
    EXPECT_EQ(form_->skinflaglist()->verticalHeader()->logicalIndex(0), 0);
    DragRow(form_->skinflaglist(), 1, 0);
    EXPECT_EQ(skin->entry.flagList, "c\rb\nx\ra");

    // The last line of the action list goes first; its event comes along.
    DragRow(form_->skinactionlist(), 2, 0);
    EXPECT_EQ(skin->entry.eventList, "mouseover\nshow\npanel\ronclick\nclose\ronclick\nlogin");
    // A line dragged below empty rows keeps its place there.
    DragRow(form_->skinactionlist(), 0, 4);
    EXPECT_EQ(form_->skinactionlist()->item(4, 1)->text(), "mouseover");
    EXPECT_EQ(skin->entry.eventList, "onclick\nclose\ronclick\nlogin\r\r\rmouseover\nshow\npanel");

    // A reference entry's lists are never written.
    skin->IsReference = true;
    const std::string before = skin->entry.flagList;
    DragRow(form_->skinflaglist(), 0, 1);
    EXPECT_EQ(skin->entry.flagList, before);
}

TEST_F(FormTest, TreeEventsMarkRenameAndShowTheirPictures) {
    Open();
    form_->show();
    QTreeWidget* tree = form_->maintree();
    auto node = [&](const std::string& name) {
        return form_->doc().FindEntryByName(name, "")->node;
    };
    auto item = [&](const std::string& name) { return form_->ItemOf(node(name)); };
    auto marked = [&](const std::string& name) { return node(name)->Marked(); };
    tree->setCurrentItem(item("drop"));
    EXPECT_TRUE(marked("drop"));
    // No key held while the selection changes: the marks start afresh.
    form_->maintreeChanging(item("Tune"));
    form_->maintreeChange(item("Tune"));
    EXPECT_EQ(form_->mainpagecontrol()->currentIndex(), kPageMusic);
    EXPECT_FALSE(marked("drop"));
    EXPECT_TRUE(marked("Tune"));
    // Ctrl+click toggles the clicked node.
    form_->maintreeMouseDown(item("drop"), Qt::ControlModifier);
    EXPECT_TRUE(marked("drop"));
    form_->maintreeMouseDown(item("drop"), Qt::ControlModifier);
    EXPECT_FALSE(marked("drop"));
    form_->maintreeMouseDown(item("drop"), Qt::NoModifier);
    EXPECT_FALSE(marked("drop"));
    // Shift+click toggles the nodes after the remembered one up to the clicked one.
    tree->setCurrentItem(item("Specials"));
    EXPECT_TRUE(marked("Specials"));
    form_->doc().SelectionChanging(node("Main"), true, false);
    form_->doc().tree().selected = node("Main");
    form_->maintreeMouseDown(item("Main"), Qt::ShiftModifier);
    EXPECT_TRUE(marked("Specials"));  // the remembered node is left alone
    EXPECT_TRUE(marked("drop"));
    EXPECT_TRUE(marked("Tune"));
    EXPECT_TRUE(marked("Main"));
    EXPECT_FALSE(marked("Button"));

    // Labels: roots are not edited; an empty label or "|" in a group's is
    // refused and the old one comes back; the references combo follows.
    EXPECT_FALSE(form_->maintreeEditing(tree->topLevelItem(0)));
    EXPECT_TRUE(form_->maintreeEditing(item("drop")));
    item("drop")->setText(0, "");
    EXPECT_EQ(item("drop")->text(0), "drop");
    TreeNode* groupNode = form_->doc().tree().FirstRoot()->children[0].get();
    QTreeWidgetItem* groupItem = form_->ItemOf(groupNode);
    ASSERT_NE(groupItem, nullptr);
    groupItem->setText(0, "Themes");
    EXPECT_EQ(groupItem->text(0), "Themes");
    groupItem->setText(0, "a|b");
    EXPECT_EQ(groupItem->text(0), "Themes");
    groupItem->setExpanded(true);
    form_->ItemOf(groupNode->children[0].get())->setText(0, "Renamed");
    EXPECT_EQ(form_->refsCombo()->itemText(0), "Renamed");

    // Pictures: a group shows 1 expanded and 0 collapsed, the root 12 and 11.
    EXPECT_EQ(groupNode->ShownImage(), kImageGroupOpen);
    groupItem->setExpanded(false);
    EXPECT_EQ(groupNode->ShownImage(), kImageGroup);
    tree->topLevelItem(0)->setExpanded(false);
    EXPECT_EQ(form_->doc().tree().FirstRoot()->ShownImage(), kImageRoot);
    tree->topLevelItem(0)->setExpanded(true);
    EXPECT_EQ(form_->doc().tree().FirstRoot()->ShownImage(), kImageRootOpen);
}

TEST_F(FormTest, PagesDrawTheImageThroughItsMaskAndTheMaskAsItsFile) {
    Open();
    TreeNode* group = form_->doc().tree().FirstRoot()->children[0].get();
    form_->maintree()->setCurrentItem(form_->ItemOf(group->children[0].get()));
    ASSERT_EQ(form_->mainpagecontrol()->currentIndex(), kPageMain);
    const TZRC& main = *group->children[0]->entry;
    const DibBitmap image = *EntryBitmap(main, false);
    const DibBitmap mask = *EntryBitmap(main, true);
    ASSERT_TRUE(mask.monochrome());
    const QImage shown = form_->findChild<QLabel*>("mainimage")->pixmap().toImage();
    const QImage file = form_->findChild<QLabel*>("mainmask")->pixmap().toImage();
    ASSERT_EQ(shown.width(), image.width);
    ASSERT_EQ(file.height(), mask.height);
    // The page shows the editor's own masked drawing over its colour.
    const QColor page = form_->palette().window().color();
    Surface16 drawn(image.width, image.height,
                    Rgb555(page.red() >> 3, page.green() >> 3, page.blue() >> 3));
    ASSERT_TRUE(DrawEntryImage(drawn, 0, 0, EntryPart::Image, main));
    EXPECT_EQ(ToQImage(drawn), shown.convertToFormat(QImage::Format_RGB555));
    int opaque = 0, clear = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            // In memory a monochrome mask is white where the image is transparent.
            const bool transparent = (mask.at(x, y) & 0xFFFFFF) == 0xFFFFFF;
            // Opaque pixels are the image's, in five bits a channel.
            if (!transparent) {
                const QColor got = shown.pixelColor(x, y);
                ASSERT_EQ(got.red() >> 3, static_cast<int>((image.at(x, y) >> 19) & 31))
                    << x << "," << y;
                ASSERT_EQ(got.blue() >> 3, static_cast<int>((image.at(x, y) >> 3) & 31))
                    << x << "," << y;
            }
            // The mask as its file holds it: black where transparent.
            ASSERT_EQ(file.pixelColor(x, y).red() > 128, !transparent) << x << "," << y;
            ++(transparent ? clear : opaque);
        }
    EXPECT_GT(opaque, 0);
    EXPECT_GT(clear, 0);
}

TEST_F(FormTest, ATuneTheEditorCannotPlaySaysSoAndLeavesNoFile) {
    Open();
    SelectEntry("Tune");
    form_->doc().SelectedEntry()->entry.fileType = "ogg";
    const auto prog = dir_.Path() / "prog";
    const auto before = std::distance(std::filesystem::directory_iterator(prog), {});
    form_->findChild<QPushButton*>("musicplay")->click();
    EXPECT_EQ(messages_, std::vector<std::string>{CannotPreviewMessage("ogg")});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(prog), {}), before);
}

TEST_F(FormTest, SaveAsRefusesTheDefaultLibraryBeforeAskingToReplaceIt) {
    Open();
    std::vector<std::string> asked;
    bool replace = false;
    form_->replaceSink = [&](const std::string& file) {
        asked.push_back(file);
        return replace;
    };
    const auto def = dir_.Path() / "DEFAULT.KLB";
    ASSERT_TRUE(WriteFileAtomic(def, "untouched"));
    answer_ = def.string();
    form_->savethemeasClick();
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(messages_, std::vector<std::string>{kDefaultLibraryMessage});
    EXPECT_EQ(ReadFileBytes(def, 100), "untouched");
    // Any other file that exists is replaced only when the user says so.
    const auto other = dir_.Path() / "Other.klb";
    ASSERT_TRUE(WriteFileAtomic(other, "untouched"));
    answer_ = other.string();
    form_->savethemeasClick();
    EXPECT_EQ(asked, std::vector<std::string>{other.string()});
    EXPECT_EQ(ReadFileBytes(other, 100), "untouched");
    replace = true;
    form_->savethemeasClick();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(ReadFileBytes(other, 1 << 24).value_or("").substr(0, 3), "KLB");
    // A new file needs no question.
    answer_ = (dir_.Path() / "New.klb").string();
    form_->savethemeasClick();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(dir_.Path() / "New.klb"));
}

TEST_F(FormTest, TheReferencesPanelSizesItsComboAndButton) {
    QWidget* panel = form_->findChild<QWidget*>("reftoppanel");
    ASSERT_NE(panel, nullptr);
    form_->show();
    for (int width : {800, 1000}) {
        form_->resize(width, 600);
        QApplication::processEvents();
        ASSERT_GT(panel->width(), 100);
        EXPECT_EQ(form_->refsCombo()->width(), panel->width() - 60);
        EXPECT_EQ(form_->findChild<QPushButton*>("updaterefs")->x(), panel->width() - 53);
    }
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
