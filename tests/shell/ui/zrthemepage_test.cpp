// The theme page over a folder of synthetic libraries: the tree, a theme picked from it, the
// music choice, the change watch through the page's timer, the panel sizes it keeps and the
// hover over the preview.
#include "shell/ui/zrthemepage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <fstream>

#include "gfx/qtsurface.h"
#include "shell/shell_fixture.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

namespace fs = std::filesystem;
using test::MainEntry;
using test::SaveLibrary;

class CountingAudio : public ShellAudio {
public:
    void MusicRequest() override { calls.push_back("play"); }
    void MusicStopRequest() override { calls.push_back("stop"); }
    void LoopAllChanged() override { calls.push_back("loop"); }
    std::vector<std::string> calls;
};

class ThemePageTest : public test::ShellTest {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        ShellTest::SetUp();
        SetShellAudio(&audio);
        alpha = SaveLibrary(dir.Path() / "alpha.klb", test::BasicTheme("*"));
        beta = SaveLibrary(dir.Path() / "Beta.klb", {MainEntry("B1", "b1"), MainEntry("B2", "b2"),
                                                     test::DetailEntry("Specials", "*", 12)});
        SaveLibrary(dir.Path() / "empty.klb", {test::SoundEntry("x", "*", test::MakeWav(4))});
        fs::create_directory_symlink(dir.Path(), dir.Path() / "loop");
        ASSERT_TRUE(ApplyThemeSelection(""));
        page = std::make_unique<Tzrstheme>();
        page->SetPreviewSeed(42);
        page->resize(760, 618);
        page->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        page.reset();
        ShellTest::TearDown();
    }
    QTreeWidgetItem* Node(int library, int theme) {
        return page->themetree->topLevelItem(library)->child(theme);
    }
    void Touch(const fs::path& file, std::vector<KlbEntry> entries) {
        const auto before = fs::last_write_time(file);
        SaveLibrary(file, std::move(entries));
        fs::last_write_time(file, before + std::chrono::seconds(5));
    }

    CountingAudio audio;
    fs::path alpha, beta;
    std::unique_ptr<Tzrstheme> page;
};

TEST_F(ThemePageTest, TheTreeHoldsEveryLibraryWithThemesOnce) {
    QTreeWidget* tree = page->themetree;
    // The link back to the folder adds nothing; a library without themes has no root.
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Alpha");
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Beta");
    EXPECT_TRUE(tree->topLevelItem(1)->isExpanded());
    ASSERT_EQ(tree->topLevelItem(1)->childCount(), 2);
    EXPECT_EQ(Node(1, 1)->text(0), "B2");
    // The loaded theme (the first) is the current node.
    EXPECT_EQ(tree->currentItem(), Node(0, 0));
    EXPECT_EQ(window.loadings, 1);
    // A library and a theme each have their own picture, the same on every node of a kind.
    const auto picture = [](QTreeWidgetItem* item) {
        return item->icon(0).pixmap(16, 16).toImage();
    };
    EXPECT_FALSE(picture(tree->topLevelItem(0)).isNull());
    EXPECT_NE(picture(tree->topLevelItem(0)), picture(Node(0, 0)));
    EXPECT_EQ(picture(tree->topLevelItem(0)), picture(tree->topLevelItem(1)));
    EXPECT_EQ(picture(Node(0, 0)), picture(Node(1, 1)));
}

TEST_F(ThemePageTest, PickingANodeLoadsItsThemeAndTellsTheSkins) {
    page->themetree->setCurrentItem(Node(1, 1));
    EXPECT_EQ(Settings.theme.libraryFile, beta);
    EXPECT_EQ(Settings.theme.themeId, "b2");
    EXPECT_EQ(window.loadings, 2);
    ASSERT_FALSE(skins.events.empty());
    EXPECT_EQ(skins.events.back(), "onloadtheme");
    EXPECT_EQ(page->themetree->currentItem(), Node(1, 1));
    EXPECT_TRUE(page->Preview().built);
    EXPECT_TRUE(ThemeSelection.ChangeTimerRunning);
    // A library's root is no theme, and the theme loaded now is not loaded again.
    page->themetree->setCurrentItem(page->themetree->topLevelItem(0));
    page->themetreeChange(Node(1, 1));
    EXPECT_EQ(window.loadings, 2);
    EXPECT_EQ(std::count(skins.events.begin(), skins.events.end(), "onloadtheme"), 1);
}

TEST_F(ThemePageTest, MusicIsNoneATuneOrAFileAndPlaysOnlyOutsideAGame) {
    // The stored choice named no tune.
    ASSERT_EQ(page->musiclb->count(), 2);
    EXPECT_EQ(page->musiclb->item(0)->text(), "*None*");
    EXPECT_EQ(page->musiclb->item(1)->text(), "Tune");
    EXPECT_EQ(page->musiclb->currentRow(), 0);
    page->musiclbClick(1);
    EXPECT_EQ(page->musiclb->currentRow(), 1);
    audio.calls.clear();
    page->musiclbClick(0);
    EXPECT_EQ(Settings.theme.selectedMusic, nullptr);
    EXPECT_EQ(page->musiclb->currentRow(), 0);
    EXPECT_EQ(audio.calls, std::vector<std::string>{"stop"});  // no game: nothing plays
    page->musiclbClick(1);
    ASSERT_NE(Settings.theme.selectedMusic, nullptr);
    EXPECT_EQ(Settings.theme.selectedMusic->name, "Tune");

    const fs::path song = dir.Path() / "song.ogg";
    std::ofstream(song) << "OggS";
    page->SetFilePicker([&] { return song.string(); });
    page->pickmidi->click();
    EXPECT_EQ(page->musiceb->text().toStdString(), song.string());
    EXPECT_EQ(Settings.theme.externalMusicFile, song.string());
    EXPECT_EQ(BuildThemeSelection(), alpha.string() + "\x01" + Settings.theme.themeId + "\x01" +
                                         song.string() + "\x01Tune");
    page->SetFilePicker([] { return std::string(); });  // cancelled: nothing changes
    page->pickmidi->click();
    EXPECT_EQ(Settings.theme.externalMusicFile, song.string());

    audio.calls.clear();
    page->playmidi->click();
    EXPECT_EQ(ThemeSelection.PlayTag, 1);
    page->playmidi->click();
    EXPECT_EQ(ThemeSelection.PlayTag, 0);
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"play", "stop"}));
    ClientState.game.GameRunning = 1;
    page->checkthemechangeTimer();
    EXPECT_FALSE(page->playmidi->isEnabled());
    page->playmidiClick();
    EXPECT_EQ(audio.calls.size(), 2u);
    // In a game a new choice plays at once.
    page->musiclbClick(1);
    EXPECT_EQ(audio.calls.back(), "play");

    page->loopmusiccb->setChecked(false);
    EXPECT_EQ(Settings.options.loopallmusic, 0);
    EXPECT_EQ(audio.calls.back(), "loop");
}

TEST_F(ThemePageTest, TheWatchRefreshesTheTreeAndReloadsAChangedTheme) {
    const int loads = window.loadings;
    Touch(beta, {MainEntry("B1", "b1"), MainEntry("B2", "b2"), MainEntry("B3", "b3")});
    page->checkthemechangeTimer();
    EXPECT_EQ(page->themetree->topLevelItem(1)->childCount(), 2);  // not yet: it may grow
    page->checkthemechangeTimer();
    EXPECT_EQ(page->themetree->topLevelItem(1)->childCount(), 3);
    EXPECT_EQ(window.loadings, loads);
    EXPECT_EQ(page->themetree->currentItem(), Node(0, 0));

    Touch(alpha, test::BasicTheme("*"));
    page->checkthemechangeTimer();
    page->checkthemechangeTimer();
    EXPECT_EQ(window.loadings, loads + 1);
    EXPECT_EQ(skins.events.back(), "onloadtheme");
    EXPECT_EQ(page->themetree->currentItem(), Node(0, 0));
}

TEST_F(ThemePageTest, ABrokenThemeLibraryFallsBackAndThePageStaysUsable) {
    {
        std::ofstream out(alpha, std::ios::trunc | std::ios::binary);
        out << "KLB\x05\x00\x00\x00broken";
    }
    page->checkthemechangeTimer();
    page->checkthemechangeTimer();
    EXPECT_EQ(Settings.theme.libraryFile, beta);
    EXPECT_EQ(Settings.theme.themeId, "b1");
    ASSERT_EQ(page->themetree->topLevelItemCount(), 1);
    EXPECT_EQ(page->themetree->currentItem(), Node(0, 0));
    EXPECT_EQ(ClientState.shell.ThemeChanging, 0);
    EXPECT_TRUE(window.enabled.back());
    EXPECT_TRUE(ThemeSelection.ChangeTimerRunning);
    // And a theme can still be picked.
    page->themetree->setCurrentItem(Node(0, 1));
    EXPECT_EQ(Settings.theme.themeId, "b2");
}

TEST_F(ThemePageTest, ThePanelSizesComeFromAndGoToTheConfiguration) {
    Config.tcolwidth = 250;
    Config.tpreviewheight = 230;
    page->ContainerShown();
    EXPECT_EQ(page->collectionpanel->width(), 250);
    EXPECT_EQ(page->previewpanel->height(), 230);
    auto* columns = page->findChild<QSplitter*>();
    ASSERT_NE(columns, nullptr);
    columns->setSizes({300, columns->width() - columns->handleWidth() - 300});
    emit columns->splitterMoved(300, 1);
    EXPECT_EQ(Config.tcolwidth, 300);
    // A stored size that would hide a side is kept within the page.
    Config.tcolwidth = 100000;
    Config.tpreviewheight = -5;
    page->ContainerShown();
    EXPECT_LT(page->collectionpanel->width(), page->width());
    EXPECT_GT(page->previewpanel->height(), 0);
    EXPECT_GT(page->musiclb->height(), 0);
}

TEST_F(ThemePageTest, HoveringASpecialShowsItsTile) {
    page->SetPreviewSeed(3);
    page->UpdateThemePreview();
    const TThemePreview& preview = page->Preview();
    ASSERT_TRUE(preview.built);
    ASSERT_FALSE(preview.specials.empty());
    const std::size_t at = preview.PreviewLargeField.find_first_of(SpecialAlphabet);
    ASSERT_NE(at, std::string::npos);
    const int column = static_cast<int>(at % 12);
    const int row = static_cast<int>(at / 12);
    PreviewImage* image = page->largeimage;
    const int cellWidth = image->width() / 12;
    const int rowHeight = static_cast<int>(image->height() / 9.5);
    ASSERT_GT(cellWidth, 0);
    ASSERT_GT(rowHeight, 0);
    auto move = [&](int x, int y) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, y), image->mapToGlobal(QPointF(x, y)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(image, &e);
    };
    // The special tile lies whole over the large picture, which overlaps it by half a block.
    QWidget* tilePanel = page->sbimage->parentWidget();
    QWidget* strip = tilePanel->parentWidget();
    const QRect tileRect = tilePanel->geometry();
    EXPECT_TRUE(tileRect.intersects(image->parentWidget()->geometry()));
    EXPECT_EQ(strip->childAt(tileRect.bottomRight() - QPoint(2, 2)), page->sbimage);

    move(column * cellWidth + cellWidth / 2, row * rowHeight);
    const QImage shown = page->sbimage->pixmap().toImage().convertToFormat(QImage::Format_RGB555);
    const Surface16 tile = PreviewSpecialTile(preview, preview.PreviewLargeField[at]);
    EXPECT_EQ(shown, ToQImage(tile));
    // An empty cell leaves the tile.
    const std::size_t empty = preview.PreviewLargeField.find('0');
    ASSERT_NE(empty, std::string::npos);
    move(static_cast<int>(empty % 12) * cellWidth + 1, static_cast<int>(empty / 12) * rowHeight);
    EXPECT_EQ(page->sbimage->pixmap().toImage().convertToFormat(QImage::Format_RGB555), shown);
}

// A theme without a special-block bitmap shows a larger, empty tile: the information text and
// the caption make room for it, whichever theme was shown before.
TEST_F(ThemePageTest, NoPreviewPictureCoversThePageTextsAfterAThemeChange) {
    SaveLibrary(dir.Path() / "gamma.klb", {MainEntry("G1", "g1")});
    page->checkthemechangeTimer();
    page->checkthemechangeTimer();
    QTreeWidgetItem* plain = nullptr;
    for (QTreeWidgetItem* item : page->themetree->findItems("G1", Qt::MatchRecursive)) plain = item;
    ASSERT_NE(plain, nullptr);
    const auto uncovered = [this](const char* theme) {
        const QRect texts[] = {page->themeinfo->parentWidget()->geometry(),
                               page->Label4->geometry()};
        for (const QLabel* image : {page->sbimage, static_cast<QLabel*>(page->largeimage),
                                    static_cast<QLabel*>(page->smallimage)}) {
            const QRect picture = image->parentWidget()->geometry();
            for (const QRect& text : texts)
                EXPECT_FALSE(picture.intersects(text))
                    << theme << ": " << image->objectName().toStdString() << " over a text";
        }
    };
    uncovered("first");
    const int tileBefore = page->sbimage->parentWidget()->width();
    page->themetree->setCurrentItem(plain);
    ASSERT_EQ(Settings.theme.themeId, "g1");
    ASSERT_TRUE(page->Preview().specials.empty());
    EXPECT_GT(page->sbimage->parentWidget()->width(), tileBefore);
    uncovered("without specials");
    page->themetree->setCurrentItem(Node(0, 0));
    ASSERT_FALSE(page->Preview().specials.empty());
    uncovered("back");
}

}  // namespace
}  // namespace pk
