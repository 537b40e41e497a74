// The lobby's container element colours its window: header, game label, toolbars and boxes;
// a parameter the theme leaves without a colour changes nothing.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "core/ui/zrtxtbox.h"
#include "lobby/ui/zrbrowser.h"
#include "skin/zrskintable.h"
#include "support/widgetapp.h"

namespace pk::test {
namespace {

QColor Rgb(int32_t colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

TEST(LobbyWindowColours, TheContainersParametersReachTheirControls) {
    EnsureWidgetApp();
    Tzrbrowser browser;
    auto* header = browser.findChild<QWidget*>("roomstatusbox");
    ASSERT_NE(header, nullptr);
    const QColor headerBefore = header->palette().color(QPalette::Window);
    const int32_t red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000, grey = 0x404040;
    browser.ApplySkinColours({{"headerbg", kNoColour},
                              {"roomfg", red},
                              {"gameheadbg", grey},
                              {"gameheadfg", green},
                              {"toolbartextfg", blue},
                              {"boxbg", grey},
                              {"boxtextfg", green}});
    EXPECT_EQ(header->palette().color(QPalette::Window), headerBefore);
    EXPECT_EQ(browser.findChild<QLabel*>("roomname")->palette().color(QPalette::WindowText),
              Rgb(red));
    auto* label = browser.findChild<QLabel*>("gamelabel");
    EXPECT_EQ(label->palette().color(QPalette::Window), Rgb(grey));
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), Rgb(green));
    for (const char* name : {"creategame", "pingregionsbutton", "showstats", "createroomtb"})
        EXPECT_EQ(browser.findChild<QToolButton*>(name)->palette().color(QPalette::ButtonText),
                  Rgb(blue))
            << name;
    auto* chat = browser.findChild<TZRTxtbox*>("chatbox");
    EXPECT_EQ(chat->palette().color(QPalette::Base), Rgb(grey));
    EXPECT_EQ(chat->palette().color(QPalette::Text), Rgb(green));
    EXPECT_EQ(browser.findChild<QLineEdit*>("chateb")->palette().color(QPalette::Text), Rgb(green));
}

}  // namespace
}  // namespace pk::test
