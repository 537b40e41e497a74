#include "platform/keystate.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QObject>

#include "platform/keyfilter.h"
#include "support/qtapp.h"

namespace pk {
namespace {

// XKB keycodes of a few keys, as X11 and Wayland report them.
constexpr std::uint32_t ScanOne = 10;
constexpr std::uint32_t ScanMinus = 20;
constexpr std::uint32_t ScanQ = 24;
constexpr std::uint32_t ScanShiftL = 50;
constexpr std::uint32_t ScanShiftR = 62;
constexpr std::uint32_t ScanCaps = 66;

TEST(VirtualKeyFromQt, LettersDigitsAndNamedKeysKeepTheirWindowsCodes) {
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_T, false, 28), 84);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_1, false, ScanOne), 49);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Up, false, 111), 38);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Control, false, 37), 17);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Space, false, 65), 32);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Return, false, 36), 13);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Enter, true, 104), 13);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_CapsLock, false, ScanCaps), 20);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Backtab, false, 23), 9);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F24, false, 0), 135);
}

TEST(VirtualKeyFromQt, KeypadDigitsAreNumpadKeys) {
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_7, true, 79), 103);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Minus, true, 82), 109);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Minus, false, ScanMinus), 189);
}

TEST(VirtualKeyFromQt, ShiftedSymbolsAndOtherLayoutsUseTheKeyPosition) {
    // Shift+1 on a US keyboard, and the '&' that AZERTY puts on that key.
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Exclam, false, ScanOne), 49);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Ampersand, false, ScanOne), 49);
    // A Cyrillic letter on the Q key.
    EXPECT_EQ(VirtualKeyFromQt(0x0439, false, ScanQ), 'Q');
    // Without a scan code the US shift table still finds the key.
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Exclam, false, 0), 49);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_BraceLeft, false, 0), 219);
    EXPECT_EQ(VirtualKeyFromQt(0x0439, false, 0), 0);
}

class KeyFilterTest : public ::testing::Test {
protected:
    void send(QEvent::Type type, int qtKey, std::uint32_t scan, Qt::KeyboardModifiers mods = {},
              bool autoRepeat = false) {
        QKeyEvent event(type, qtKey, mods, scan, 0, 0, QString(), autoRepeat);
        QCoreApplication::sendEvent(&target, &event);
    }
    void press(int qtKey, std::uint32_t scan, Qt::KeyboardModifiers mods = {}) {
        send(QEvent::KeyPress, qtKey, scan, mods);
    }
    void release(int qtKey, std::uint32_t scan, Qt::KeyboardModifiers mods = {}) {
        send(QEvent::KeyRelease, qtKey, scan, mods);
    }

    QCoreApplication& app = test::EnsureQtApp();  // before the filter installs
    KeyStateTable table;
    KeyFilter filter{table};
    QObject target;
};

TEST_F(KeyFilterTest, ReleaseAfterShiftStillReleasesTheDigit) {
    press(Qt::Key_1, ScanOne);
    press(Qt::Key_Shift, ScanShiftL, Qt::ShiftModifier);
    EXPECT_TRUE(table.keyDown('1'));
    EXPECT_TRUE(table.keyDown(16));
    // With Shift held the same key is reported as '!'.
    release(Qt::Key_Exclam, ScanOne, Qt::ShiftModifier);
    EXPECT_FALSE(table.keyDown('1'));
    EXPECT_TRUE(table.keyDown(16));
    release(Qt::Key_Shift, ScanShiftL);
    EXPECT_FALSE(table.keyDown(16));
}

TEST_F(KeyFilterTest, ShiftReleasedFirstStillPairsTheSymbolWithItsKey) {
    press(Qt::Key_Shift, ScanShiftL, Qt::ShiftModifier);
    press(Qt::Key_Exclam, ScanOne, Qt::ShiftModifier);
    release(Qt::Key_Shift, ScanShiftL);
    EXPECT_TRUE(table.keyDown('1'));
    release(Qt::Key_1, ScanOne);
    EXPECT_FALSE(table.keyDown('1'));
}

TEST_F(KeyFilterTest, AutoRepeatNeitherPressesNorReleases) {
    send(QEvent::KeyPress, Qt::Key_Left, 113, {}, true);
    EXPECT_FALSE(table.keyDown(37));
    press(Qt::Key_Left, 113);
    // X11 reports auto-repeat as release/press pairs.
    send(QEvent::KeyRelease, Qt::Key_Left, 113, {}, true);
    EXPECT_TRUE(table.keyDown(37));
    send(QEvent::KeyPress, Qt::Key_Left, 113, {}, true);
    release(Qt::Key_Left, 113);
    EXPECT_FALSE(table.keyDown(37));
}

TEST_F(KeyFilterTest, BothShiftKeysMustGoUpBeforeShiftIsUp) {
    press(Qt::Key_Shift, ScanShiftL);
    press(Qt::Key_Shift, ScanShiftR);
    release(Qt::Key_Shift, ScanShiftL);
    // The same event delivered again (propagated to a parent) changes nothing.
    release(Qt::Key_Shift, ScanShiftL);
    EXPECT_TRUE(table.keyDown(16));
    release(Qt::Key_Shift, ScanShiftR);
    EXPECT_FALSE(table.keyDown(16));
}

TEST_F(KeyFilterTest, KeysWithoutScanCodePairByKey) {
    press(Qt::Key_Space, 0);
    press(Qt::Key_Space, 0);
    EXPECT_TRUE(table.keyDown(32));
    release(Qt::Key_Space, 0);
    EXPECT_FALSE(table.keyDown(32));
}

TEST_F(KeyFilterTest, LosingTheFocusReleasesEveryKey) {
    press(Qt::Key_Down, 116);
    press(Qt::Key_Control, 37);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &deactivate);
    EXPECT_FALSE(table.keyDown(40));
    EXPECT_FALSE(table.keyDown(17));
    // The releases that arrive later find nothing to release.
    release(Qt::Key_Down, 116);
    EXPECT_FALSE(table.keyDown(40));

    press(Qt::Key_Right, 114);
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &inactive);
    EXPECT_FALSE(table.keyDown(39));
}

TEST_F(KeyFilterTest, DestroyedFilterStopsWatching) {
    {
        KeyStateTable other;
        {
            KeyFilter second(other);
            press(Qt::Key_A, 38);
            EXPECT_TRUE(other.keyDown('A'));
        }
        release(Qt::Key_A, 38);
        EXPECT_TRUE(other.keyDown('A'));
    }
    EXPECT_FALSE(table.keyDown('A'));  // released through the first filter
}

TEST(KeyStateTable, OutOfRangeCodesAreNeverDown) {
    KeyStateTable table;
    table.press(5, 300);
    table.press(6, -1);
    EXPECT_FALSE(table.keyDown(300));
    EXPECT_FALSE(table.keyDown(-1));
    EXPECT_FALSE(table.keyDown(0));
}

}  // namespace
}  // namespace pk
