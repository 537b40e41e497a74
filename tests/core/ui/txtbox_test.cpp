// The chat text box on the offscreen platform: following the bottom, staying put, the cap on
// lines, selection and copy, focus and keys, and its picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QScrollBar>

#include "core/chatstyle.h"
#include "core/ui/zrtxtbox.h"
#include "core/zrconst.h"
#include "gfx/qtsurface.h"
#include "support/golden.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

class TxtboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        box.setFont(QFont("Liberation Sans", 8));
        box.resize(200, 10 * box.LineHeight() + 2 * box.frameWidth());
        box.show();
    }
    void Fill(int lines) {
        for (int i = 0; i < lines; ++i) box.AddLine("line " + std::to_string(i));
    }
    int Visible() { return box.VisibleLineCount(); }
    // The application object must exist before the box is constructed.
    struct AppFirst {
        AppFirst() { test::EnsureWidgetApp(); }
    } appFirst;
    TZRTxtbox box;
};

TEST_F(TxtboxTest, ShowsWholeLinesAndIsHiddenAsMinusOne) {
    EXPECT_EQ(Visible(), 10);
    box.hide();
    EXPECT_EQ(box.VisibleLineCount(), -1);
}

TEST_F(TxtboxTest, FollowsTheBottomWhileTheReaderIsThere) {
    Fill(30);
    EXPECT_EQ(box.LineCount(), 30);
    EXPECT_EQ(box.FirstVisibleLine(), 20);
    box.AddLine("new");
    EXPECT_EQ(box.FirstVisibleLine(), 21);
}

TEST_F(TxtboxTest, AReaderTenLinesUpStaysPut) {
    Fill(30);
    box.ScrollToLine(10);
    EXPECT_EQ(box.FirstVisibleLine(), 10);
    for (int i = 0; i < 5; ++i) box.AddLine("more");
    EXPECT_EQ(box.FirstVisibleLine(), 10);
    // Back at the bottom it follows again.
    box.ScrollToLine(box.LineCount() - Visible());
    box.AddLine("again");
    EXPECT_EQ(box.FirstVisibleLine(), box.LineCount() - Visible());
}

TEST_F(TxtboxTest, ScrollToLineClamps) {
    Fill(30);
    box.ScrollToLine(-5);
    EXPECT_EQ(box.FirstVisibleLine(), 0);
    box.ScrollToLine(1000);
    EXPECT_EQ(box.FirstVisibleLine(), 20);
}

TEST_F(TxtboxTest, KeepsItsNewestLinesUnderAFlood) {
    const int flood = static_cast<int>(TextBoxMaxLines) + 700;
    Fill(flood);
    ASSERT_EQ(box.Lines().Count(), TextBoxMaxLines);
    EXPECT_EQ(box.Lines().Line(0).plain, "line 700");
    EXPECT_EQ(box.LineCount(), static_cast<int>(TextBoxMaxLines));
    EXPECT_EQ(box.FirstVisibleLine(), box.LineCount() - Visible());
    // A reader scrolled up keeps the same text in view while the oldest lines go.
    box.ScrollToLine(100);
    box.AddLine("one more");
    EXPECT_EQ(box.FirstVisibleLine(), 99);
    EXPECT_EQ(box.Lines().Line(99).plain, "line 800");
}

TEST_F(TxtboxTest, StayAtBottomKeepsTheLastLineOnResize) {
    Fill(30);
    box.ScrollToLine(5);
    box.SetStayAtBottom(true);
    box.resize(box.width(), 5 * box.LineHeight() + 2 * box.frameWidth());
    EXPECT_EQ(Visible(), 5);
    EXPECT_EQ(box.FirstVisibleLine(), 25);
    box.SetStayAtBottom(false);
    box.ScrollToLine(3);
    box.resize(box.width(), 8 * box.LineHeight() + 2 * box.frameWidth());
    EXPECT_EQ(box.FirstVisibleLine(), 3);
}

TEST_F(TxtboxTest, LongLinesWrapAndCountAsDisplayLines) {
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "word ";
    box.AddLine(longText);
    EXPECT_GT(box.LineCount(), 2);
    EXPECT_EQ(box.Lines().Count(), 1u);
    const int rows = box.LineCount();
    box.resize(box.width() * 2, box.height());
    EXPECT_LT(box.LineCount(), rows);
}

TEST_F(TxtboxTest, ReleasingTheMouseCopiesTheSelectionAndCollapsesIt) {
    box.AddLine("first line");
    box.AddLine("second line");
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText("untouched");
    const int h = box.LineHeight();
    QWidget* view = box.viewport();
    const QPointF from(2, h / 2), to(view->width() - 4, h + h / 2);
    QMouseEvent press(QEvent::MouseButtonPress, from, view->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    EXPECT_TRUE(box.HasSelection());
    QMouseEvent release(QEvent::MouseButtonRelease, to, view->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &release);
    EXPECT_EQ(clipboard->text(), "first line\nsecond line");
    EXPECT_FALSE(box.HasSelection());
    // A click without a drag leaves the clipboard alone.
    QApplication::sendEvent(view, &press);
    QMouseEvent releaseAt(QEvent::MouseButtonRelease, from, view->mapToGlobal(from), Qt::LeftButton,
                          Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &releaseAt);
    EXPECT_EQ(clipboard->text(), "first line\nsecond line");
}

TEST_F(TxtboxTest, RefusesTheFocusUnlessAllowedAndRoutesKeys) {
    box.setFocus();
    EXPECT_FALSE(box.hasFocus());
    EXPECT_EQ(box.focusPolicy(), Qt::NoFocus);
    box.SetAllowFocus(true);
    EXPECT_EQ(box.focusPolicy(), Qt::StrongFocus);
    std::vector<std::pair<int, bool>> keys;
    box.SetKeyHook([&](int key, bool up) {
        keys.emplace_back(key, up);
        return key == Qt::Key_3;
    });
    QKeyEvent down(QEvent::KeyPress, Qt::Key_3, Qt::NoModifier, "3");
    QApplication::sendEvent(&box, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_3, Qt::NoModifier, "3");
    QApplication::sendEvent(&box, &up);
    EXPECT_EQ(keys, (std::vector<std::pair<int, bool>>{{Qt::Key_3, false}, {Qt::Key_3, true}}));
}

TEST_F(TxtboxTest, AppendTextJoinsTheLastLine) {
    box.AppendText("a");
    box.AddLine("b");
    box.AppendText("c" PK_STYLE "19");
    ASSERT_EQ(box.Lines().Count(), 2u);
    EXPECT_EQ(box.Lines().Line(1).plain, "bc" PK_STYLE "19");
}

TEST_F(TxtboxTest, PaintsStyledSpans) {
    QPalette palette = box.palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    box.setPalette(palette);
    box.setFont(QFont("Liberation Sans", 10));
    box.resize(220, 4 * box.LineHeight() + 2 * box.frameWidth());
    box.AddLine("abc" PK_STYLE "19red" PK_STYLE "00def");
    box.AddLine(PK_STYLE "01" PK_STYLE "22bold blue" PK_STYLE "00 bold" PK_STYLE "00 plain");
    box.AddLine(PK_STYLE "02italic" PK_STYLE "00 " PK_STYLE "03underline");
    box.AddLine(PK_STYLE "12green " PK_STYLE "15purple " PK_STYLE "17grey");
    const QImage grab = box.viewport()->grab().toImage();
    EXPECT_TRUE(test::MatchesGoldenWithin(SurfaceFromQImage(grab), "core/ui/golden/txtbox.png",
                                          grab.width() * grab.height() / 50));
}

}  // namespace
}  // namespace pk
