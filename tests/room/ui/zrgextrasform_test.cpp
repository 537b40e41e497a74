#include "room/ui/zrgextrasform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>

#include "game/zrgame.h"
#include "support/fake_game_io.h"
#include "support/room_fakes.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

QApplication& App() {
    return test::EnsureWidgetApp();
}

class ExtrasFormTest : public ::testing::Test {
protected:
    testing::RecordingSender sender;
    test::RecordingRoomHost host;
    void SetUp() override {
        App();
        SetGameSender(&sender);
        SetRoomHost(&host);
        Settings.rules.RoomMotd = "Caf\xE9 rules\r\nline 2";
        Settings.rules.BanList = "bad@*";
    }
    void TearDown() override {
        SetGameSender(nullptr);
        SetRoomHost(nullptr);
        Settings = tsettingsarray{};
    }
};

TEST_F(ExtrasFormTest, ShowsTheRoomTextsAndSendsOnlyWhatChanged) {
    Tzrextras form;
    form.LoadFromSettings();
    EXPECT_EQ(form.windowTitle(), "Extra Game Settings");
    EXPECT_EQ(form.motdbox()->toPlainText(), QString::fromUtf8("Caf\u00e9 rules\nline 2"));
    form.reject();  // unchanged: nothing goes out
    EXPECT_TRUE(sender.sent.empty());

    form.LoadFromSettings();
    form.banbox()->setPlainText(QString::fromUtf8("bad@*\n+good\u00e9"));
    form.accept();
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].first, 0x11);
    EXPECT_EQ(sender.sent[0].second, "bad@*\r\n+good\xE9");
}

TEST_F(ExtrasFormTest, AnEmptyLastLineShowsInTheEditAndStays) {
    Settings.rules.BanList = "bad@*\r\n";
    Tzrextras form;
    form.LoadFromSettings();
    EXPECT_EQ(form.banbox()->toPlainText(), "bad@*\n");
    form.accept();
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(EditTextToBytes(BytesToEditText("x\r\n\r\n")), "x\r\n\r\n");
}

TEST_F(ExtrasFormTest, TooLongTextKeepsTheDialogOpen) {
    Tzrextras form;
    form.LoadFromSettings();
    form.show();
    form.motdbox()->setPlainText(QString(70000, 'x'));
    form.accept();
    EXPECT_TRUE(sender.sent.empty());
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_NE(host.dialogs[0].find("too long"), std::string::npos);
    EXPECT_TRUE(form.isVisible());
    form.motdbox()->setPlainText("short");
    form.accept();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(sender.sent.size(), 1u);
}

}  // namespace
}  // namespace pk
