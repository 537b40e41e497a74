#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QObject>
#include <QWindow>
#include <memory>
#include <vector>

#include "platform/keyfilter.h"
#include "support/qtapp.h"

namespace pk {
namespace {

class KeyListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureQtApp();
        window = std::make_unique<QWindow>();
        filter = std::make_unique<KeyFilter>(table);
        SetKeyPressListener([this](const KeyPressInfo& k) { heard.push_back(k); });
    }
    void TearDown() override {
        SetKeyPressListener({});
        filter.reset();
        window.reset();
    }
    void Send(QObject& to, QEvent::Type type, int key, Qt::KeyboardModifiers mods = {},
              bool autoRepeat = false) {
        QKeyEvent event(type, key, mods, 0, 0, 0, QString(), autoRepeat);
        QCoreApplication::sendEvent(&to, &event);
    }

    KeyStateTable table;
    std::unique_ptr<KeyFilter> filter;
    std::vector<KeyPressInfo> heard;
    std::unique_ptr<QWindow> window;  // made once the application exists
    QObject widgetLike;
};

TEST_F(KeyListenerTest, OnePressAtTheWindowIsHeardOnceWithItsModifiers) {
    Send(*window, QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].virtualKey, 'S');
    EXPECT_TRUE(heard[0].ctrl);
    EXPECT_TRUE(heard[0].alt);
    EXPECT_FALSE(heard[0].shift);
    EXPECT_EQ(heard[0].window, window.get());
}

TEST_F(KeyListenerTest, DeliveriesToWidgetsRepeatsAndReleasesAreNotNewKeys) {
    Send(widgetLike, QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier);
    EXPECT_TRUE(table.keyDown('A'));  // the game's key table still sees the press
    Send(*window, QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, true);
    Send(*window, QEvent::KeyRelease, Qt::Key_A, Qt::ShiftModifier);
    EXPECT_TRUE(heard.empty());
}

TEST_F(KeyListenerTest, AModifierKeyCountsAsHeldItself) {
    Send(*window, QEvent::KeyPress, Qt::Key_Control);
    Send(*window, QEvent::KeyPress, Qt::Key_Shift);
    Send(*window, QEvent::KeyPress, Qt::Key_Alt);
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_TRUE(heard[0].ctrl);
    EXPECT_EQ(heard[0].virtualKey, VkControl);
    EXPECT_TRUE(heard[1].shift);
    EXPECT_TRUE(heard[2].alt);
}

}  // namespace
}  // namespace pk
