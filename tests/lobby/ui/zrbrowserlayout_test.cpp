// The lobby window as a new player meets it at its default size: every caption beside a
// toolbar button answers a click.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeView>

#include "lobby/ui/zrbrowser.h"
#include "shell/zrconfig.h"
#include "support/event_loop.h"
#include "support/widgetapp.h"

namespace pk::test {
namespace {

// The widget that shows a caption, whatever kind it is.
QWidget* ShowingText(QWidget& window, const QString& text) {
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->text() == text && label->isVisible())
            return label;
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (button->text() == text && button->isVisible())
            return button;
    return nullptr;
}

// A left click where a person sees the caption: on whatever widget lies there.
void ClickCaption(QWidget& window, const QString& text) {
    QWidget* caption = ShowingText(window, text);
    ASSERT_NE(caption, nullptr) << text.toStdString();
    const QPoint at = caption->mapTo(&window, caption->rect().center());
    QWidget* target = window.childAt(at);
    ASSERT_NE(target, nullptr);
    const QPointF local = target->mapFrom(&window, at);
    const QPointF global = target->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    DrainEvents();
}

class LobbyWindowLayout : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureWidgetApp();
        browser = std::make_unique<Tzrbrowser>();
        browser->misctimer()->stop();
        browser->resize(960, 634);
        browser->show();
        browser->ApplyConfig(TConfig{});  // a first start: nothing stored
        DrainEvents();
    }
    void TearDown() override { browser.reset(); }
    std::unique_ptr<Tzrbrowser> browser;
};

TEST_F(LobbyWindowLayout, TheStatsCaptionTogglesTheStatsAsItsButtonDoes) {
    ClickCaption(*browser, QStringLiteral("Show Stats"));
    EXPECT_TRUE(browser->gamestats()->isVisible());
    EXPECT_FALSE(browser->gamelist()->isVisible());
    EXPECT_EQ(browser->gamelabel()->text(), "Overall Game Stats");
    ClickCaption(*browser, QStringLiteral("Hide stats"));
    EXPECT_FALSE(browser->gamestats()->isVisible());
    EXPECT_TRUE(browser->gamelist()->isVisible());
    EXPECT_EQ(browser->gamelabel()->text(), "Create and Join Games");
    EXPECT_NE(ShowingText(*browser, QStringLiteral("Show stats")), nullptr);
}

}  // namespace
}  // namespace pk::test
