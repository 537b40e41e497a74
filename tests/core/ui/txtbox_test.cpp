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
        owned = std::make_unique<TZRTxtbox>();
        owned->setFont(QFont("Liberation Sans", 8));
        owned->resize(200, 10 * owned->LineHeight() + 2 * owned->frameWidth());
        owned->show();
    }
    void Fill(int lines) {
        for (int i = 0; i < lines; ++i) owned->AddLine("line " + std::to_string(i));
    }
    int Visible() { return owned->VisibleLineCount(); }
    std::unique_ptr<TZRTxtbox> owned;
};

TEST_F(TxtboxTest, ShowsWholeLinesAndIsHiddenAsMinusOne) {
    EXPECT_EQ(Visible(), 10);
    owned->hide();
    EXPECT_EQ(owned->VisibleLineCount(), -1);
}

TEST_F(TxtboxTest, FollowsTheBottomWhileTheReaderIsThere) {
    Fill(30);
    EXPECT_EQ(owned->LineCount(), 30);
    EXPECT_EQ(owned->FirstVisibleLine(), 20);
    owned->AddLine("new");
    EXPECT_EQ(owned->FirstVisibleLine(), 21);
}

TEST_F(TxtboxTest, AReaderTenLinesUpStaysPut) {
    Fill(30);
    owned->ScrollToLine(10);
    EXPECT_EQ(owned->FirstVisibleLine(), 10);
    for (int i = 0; i < 5; ++i) owned->AddLine("more");
    EXPECT_EQ(owned->FirstVisibleLine(), 10);
    // Back at the bottom it follows again.
    owned->ScrollToLine(owned->LineCount() - Visible());
    owned->AddLine("again");
    EXPECT_EQ(owned->FirstVisibleLine(), owned->LineCount() - Visible());
}

TEST_F(TxtboxTest, ScrollToLineClamps) {
    Fill(30);
    owned->ScrollToLine(-5);
    EXPECT_EQ(owned->FirstVisibleLine(), 0);
    owned->ScrollToLine(1000);
    EXPECT_EQ(owned->FirstVisibleLine(), 20);
}

TEST_F(TxtboxTest, KeepsItsNewestLinesUnderAFlood) {
    const int flood = static_cast<int>(TextBoxMaxLines) + 700;
    Fill(flood);
    ASSERT_EQ(owned->Lines().Count(), TextBoxMaxLines);
    EXPECT_EQ(owned->Lines().Line(0).plain, "line 700");
    EXPECT_EQ(owned->LineCount(), static_cast<int>(TextBoxMaxLines));
    EXPECT_EQ(owned->FirstVisibleLine(), owned->LineCount() - Visible());
    // A reader scrolled up keeps the same text in view while the oldest lines go.
    owned->ScrollToLine(100);
    owned->AddLine("one more");
    EXPECT_EQ(owned->FirstVisibleLine(), 99);
    EXPECT_EQ(owned->Lines().Line(99).plain, "line 800");
}

TEST_F(TxtboxTest, StayAtBottomKeepsTheLastLineOnResize) {
    Fill(30);
    owned->ScrollToLine(5);
    owned->SetStayAtBottom(true);
    owned->resize(owned->width(), 5 * owned->LineHeight() + 2 * owned->frameWidth());
    EXPECT_EQ(Visible(), 5);
    EXPECT_EQ(owned->FirstVisibleLine(), 25);
    owned->SetStayAtBottom(false);
    owned->ScrollToLine(3);
    owned->resize(owned->width(), 8 * owned->LineHeight() + 2 * owned->frameWidth());
    EXPECT_EQ(owned->FirstVisibleLine(), 3);
}

TEST_F(TxtboxTest, LongLinesWrapAndCountAsDisplayLines) {
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "word ";
    owned->AddLine(longText);
    EXPECT_GT(owned->LineCount(), 2);
    EXPECT_EQ(owned->Lines().Count(), 1u);
    const int rows = owned->LineCount();
    owned->resize(owned->width() * 2, owned->height());
    EXPECT_LT(owned->LineCount(), rows);
}

TEST_F(TxtboxTest, ReleasingTheMouseCopiesTheSelectionAndCollapsesIt) {
    owned->AddLine("first line");
    owned->AddLine("second line");
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText("untouched");
    const int h = owned->LineHeight();
    QWidget* view = owned->viewport();
    const QPointF from(2, h / 2), to(view->width() - 4, h + h / 2);
    QMouseEvent press(QEvent::MouseButtonPress, from, view->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    EXPECT_TRUE(owned->HasSelection());
    QMouseEvent release(QEvent::MouseButtonRelease, to, view->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &release);
    EXPECT_EQ(clipboard->text(), "first line\nsecond line");
    EXPECT_FALSE(owned->HasSelection());
    // A click without a drag leaves the clipboard alone.
    QApplication::sendEvent(view, &press);
    QMouseEvent releaseAt(QEvent::MouseButtonRelease, from, view->mapToGlobal(from), Qt::LeftButton,
                          Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &releaseAt);
    EXPECT_EQ(clipboard->text(), "first line\nsecond line");
}

TEST_F(TxtboxTest, RefusesTheFocusUnlessAllowedAndRoutesKeys) {
    owned->setFocus();
    EXPECT_FALSE(owned->hasFocus());
    EXPECT_EQ(owned->focusPolicy(), Qt::NoFocus);
    owned->SetAllowFocus(true);
    EXPECT_EQ(owned->focusPolicy(), Qt::StrongFocus);
    std::vector<std::pair<int, bool>> keys;
    owned->SetKeyHook([&](int key, bool up) {
        keys.emplace_back(key, up);
        return key == Qt::Key_3;
    });
    QKeyEvent down(QEvent::KeyPress, Qt::Key_3, Qt::NoModifier, "3");
    QApplication::sendEvent(owned.get(), &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_3, Qt::NoModifier, "3");
    QApplication::sendEvent(owned.get(), &up);
    EXPECT_EQ(keys, (std::vector<std::pair<int, bool>>{{Qt::Key_3, false}, {Qt::Key_3, true}}));
}

TEST_F(TxtboxTest, AppendTextJoinsTheLastLine) {
    owned->AppendText("a");
    owned->AddLine("b");
    owned->AppendText("c" PK_STYLE "19");
    ASSERT_EQ(owned->Lines().Count(), 2u);
    EXPECT_EQ(owned->Lines().Line(1).plain, "bc" PK_STYLE "19");
}

TEST_F(TxtboxTest, PaintsStyledSpans) {
    QPalette palette = owned->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    owned->setPalette(palette);
    owned->setFont(QFont("Liberation Sans", 10));
    owned->resize(220, 4 * owned->LineHeight() + 2 * owned->frameWidth());
    owned->AddLine("abc" PK_STYLE "19red" PK_STYLE "00def");
    owned->AddLine(PK_STYLE "01" PK_STYLE "22bold blue" PK_STYLE "00 bold" PK_STYLE "00 plain");
    owned->AddLine(PK_STYLE "02italic" PK_STYLE "00 " PK_STYLE "03underline");
    owned->AddLine(PK_STYLE "12green " PK_STYLE "15purple " PK_STYLE "17grey");
    const QImage grab = owned->viewport()->grab().toImage();
    EXPECT_TRUE(test::MatchesGoldenWithin(SurfaceFromQImage(grab), "core/ui/golden/txtbox.png",
                                          grab.width() * grab.height() / 50));
}

}  // namespace
}  // namespace pk
