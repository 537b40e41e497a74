// The lobby window as a new player meets it at its default size: every caption beside a
// toolbar button answers a click, and the list columns show their texts whole.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>

#include "lobby/ui/zrbrowser.h"
#include "lobby/zrlobbymodel.h"
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
    void TearDown() override {
        browser.reset();
        FreeRoomList();
    }
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

// The width a view of the list's font and style needs to show a cell's text unshortened.
int NeededWidth(const QTreeView& list, const QString& text) {
    QStandardItemModel model;
    model.appendRow(new QStandardItem(text));
    QTreeView probe;
    probe.setFont(list.font());
    probe.setRootIsDecorated(false);
    probe.setModel(&model);
    return static_cast<const QAbstractItemView&>(probe).sizeHintForColumn(0);
}

TEST_F(LobbyWindowLayout, DefaultColumnsShowTheirTextsWhole) {
    QTreeView& games = *browser->gamelist();
    const int ping = 6;
    ASSERT_EQ(games.model()->headerData(ping, Qt::Horizontal).toString(), "Ping");
    EXPECT_GE(games.columnWidth(ping), NeededWidth(games, QStringLiteral("9999ms")));

    // Enough rooms for a vertical scroll bar: the last column still ends inside the list.
    for (std::int32_t id = 1; id <= 40; ++id) {
        NewRoom(id).name = "Room " + std::to_string(id);
        browser->Views().AddRoomRow(id);
    }
    DrainEvents();
    QTreeView& rooms = *browser->roomlist();
    ASSERT_TRUE(rooms.verticalScrollBar()->isVisible());
    const QHeaderView& header = *rooms.header();
    ASSERT_EQ(rooms.model()->headerData(2, Qt::Horizontal).toString(), "Ranking");
    EXPECT_LE(header.sectionViewportPosition(2) + header.sectionSize(2), rooms.viewport()->width());
    EXPECT_FALSE(rooms.horizontalScrollBar()->isVisible());
}

TEST_F(LobbyWindowLayout, StoredWidthsStillWin) {
    TConfig stored;
    stored.bgamelistw = GetColumnWidths({140, 60, 45, 45, 70, 90, 45, 75});
    stored.broomlistw = GetColumnWidths({100, 41, 90});
    stored.brightwidth = 230;
    browser->ApplyConfig(stored);
    DrainEvents();
    EXPECT_EQ(browser->gamelist()->columnWidth(6), 45);
    TConfig out;
    browser->GatherConfig(out);
    EXPECT_EQ(out.bgamelistw, stored.bgamelistw);
    EXPECT_EQ(out.broomlistw, stored.broomlistw);
    EXPECT_EQ(out.brightwidth, 230);
}

}  // namespace
}  // namespace pk::test
