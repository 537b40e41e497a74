#include "shell/ui/zrskeyform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>

#include "game/zrgame.h"
#include "game/zrkey.h"
#include "platform/keystate.h"
#include "support/room_fakes.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

class KeyFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        Settings = tsettingsarray{};
        ClientState = tme{};
        ResetKeyTable(krEverything);
        SetRoomHost(&host);
    }
    void TearDown() override {
        SetRoomHost(nullptr);
        Settings = tsettingsarray{};
        ClientState = tme{};
    }
    static QString KeyText(QTableWidget* grid, int row) { return grid->item(row, 1)->text(); }
    TKeySlotRec& slot(int i) { return KeyTable()[static_cast<std::size_t>(i)]; }

    test::RecordingRoomHost host;
};

TEST_F(KeyFormTest, ShowsTheActionsAndTheirKeys) {
    Tzrskey page;
    EXPECT_EQ(page.SkinName(), "setcontrol");
    ASSERT_EQ(page.movekeylist->rowCount(), 6);
    ASSERT_EQ(page.misckeylist->rowCount(), 7);
    ASSERT_EQ(page.sbkeylist->rowCount(), 6);
    EXPECT_EQ(page.movekeylist->item(3, 0)->text(), "Drop piece");
    EXPECT_EQ(page.misckeylist->item(0, 0)->text(), "Toggle targetting");
    EXPECT_EQ(page.sbkeylist->item(5, 0)->text(), "Player 6");
    EXPECT_EQ(KeyText(page.movekeylist, 3), QString::fromStdString(KeyName(VkSpace)));
    EXPECT_EQ(KeyText(page.sbkeylist, 0), QString::fromStdString(KeyName('1')));
    EXPECT_EQ(page.horzdelaybar->value(), 120);
    EXPECT_EQ(page.delaylabel->text(), "120");
    EXPECT_EQ(page.horzrepeatbar->value(), 70);
    EXPECT_EQ(page.downrepeatbar->value(), 40);
    EXPECT_EQ(page.falllabel->text(), "40");
    EXPECT_EQ(page.horzdelaybar->maximum(), 400);
    EXPECT_EQ(page.downrepeatbar->tickInterval(), 20);
}

TEST_F(KeyFormTest, DoubleClickCapturesAKeyForThatRow) {
    Tzrskey page;
    page.SetKeyPicker([] { return int{'Q'}; });
    emit page.misckeylist->cellDoubleClicked(4, 0);  // "Hold piece"
    EXPECT_EQ(slot(kaHoldPiece).KeySetting, 'Q');
    EXPECT_EQ(slot(kaHoldPiece).KeyInUse, 'Q');
    EXPECT_EQ(KeyText(page.misckeylist, 4), "Q");
    // Closed without a key: 0 is stored.
    page.SetKeyPicker([] { return 0; });
    page.PickKeyFor(KeyGrid::Special, 1);
    EXPECT_EQ(slot(kaPlayer1 + 1).KeySetting, 0);
    EXPECT_TRUE(host.dialogs.empty());
}

TEST_F(KeyFormTest, FillingTheBarsFromCodeChangesNothing) {
    Tzrskey page;
    // The in-use copies differ from the settings, as during a game: filling must not make
    // them equal, nor write the settings.
    slot(kaMoveLeft).DelaySetting = 333;
    slot(kaMoveLeft).DelayInUse = 100;
    slot(kaFallFaster).RepeatSetting = 250;
    slot(kaFallFaster).RepeatInUse = 20;
    page.ShowKeys();
    EXPECT_EQ(page.horzdelaybar->value(), 333);
    EXPECT_EQ(page.delaylabel->text(), "333");
    EXPECT_EQ(slot(kaMoveLeft).DelayInUse, 100);
    EXPECT_EQ(slot(kaMoveRight).DelaySetting, 333);
    EXPECT_EQ(slot(kaFallFaster).RepeatInUse, 20);
    // The player moving a bar runs its handler.
    page.downrepeatbar->setValue(99);
    EXPECT_EQ(slot(kaFallFaster).RepeatSetting, 99);
    EXPECT_EQ(slot(kaFallFaster).RepeatInUse, 20);
    EXPECT_EQ(page.falllabel->text(), "99");
    page.horzrepeatbar->setValue(12);
    EXPECT_EQ(slot(kaMoveRight).RepeatSetting, 12);
    EXPECT_EQ(slot(kaMoveRight).RepeatInUse, 12);
}

TEST_F(KeyFormTest, TheDefaultButtonsSpeakOnlyDuringAGame) {
    Tzrskey page;
    slot(kaDropPiece).KeySetting = slot(kaDropPiece).KeyInUse = 'X';
    page.defaultconfig->click();
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(slot(kaDropPiece).KeyInUse, VkSpace);
    page.defaultrepeat->click();
    EXPECT_TRUE(host.dialogs.empty());

    ClientState.game.GameRunning = 1;
    slot(kaDropPiece).KeySetting = slot(kaDropPiece).KeyInUse = 'X';
    page.defaultconfig->click();
    EXPECT_EQ(slot(kaDropPiece).KeySetting, VkSpace);
    EXPECT_EQ(slot(kaDropPiece).KeyInUse, 'X');
    EXPECT_EQ(KeyText(page.movekeylist, 3), QString::fromStdString(KeyName(VkSpace)));
    page.defaultrepeat->click();
    EXPECT_EQ(host.dialogs, std::vector<std::string>(2, KeysNextGameMessage));
    // A picked key never speaks, in a game or not.
    page.SetKeyPicker([] { return int{'Y'}; });
    page.PickKeyFor(KeyGrid::Move, 0);
    EXPECT_EQ(host.dialogs.size(), 2u);
}

TEST_F(KeyFormTest, TheDialogTakesTheFirstKeyReleased) {
    Tzrpickkeyf dialog;
    int picked = -1;
    QTimer::singleShot(0, [&dialog] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &press);  // swallowed: no close on Escape
        EXPECT_TRUE(dialog.isVisible());
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &release);
    });
    dialog.exec();
    picked = dialog.PickedKey();
    EXPECT_EQ(picked, VkEscape);
    EXPECT_FALSE(dialog.isVisible());
    // Closed without a key: 0, whatever was picked before.
    QTimer::singleShot(0, [&dialog] { dialog.reject(); });
    dialog.exec();
    EXPECT_EQ(dialog.PickedKey(), 0);
}

TEST_F(KeyFormTest, PickKeyUsesTheProgramsDialog) {
    Tzrpickkeyf dialog;
    ASSERT_EQ(zrpickkeyf, &dialog);
    QTimer::singleShot(0, [&dialog] {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_F, Qt::NoModifier, "f");
        QApplication::sendEvent(&dialog, &release);
    });
    EXPECT_EQ(PickKey(nullptr), 'F');
}

}  // namespace
}  // namespace pk
