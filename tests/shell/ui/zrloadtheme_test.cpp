// The loading window: its caption, and a bar that stays in range whatever
// count a library's header claims.
#include "shell/ui/zrloadtheme.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include "support/widgetapp.h"

namespace pk {
namespace {

QApplication& App() {
    return test::EnsureWidgetApp();
}

TEST(Tloadform, CaptionAndBarFollowTheReader) {
    App();
    Tloadform form;
    EXPECT_EQ(form.caption()->text(), QStringLiteral("Loading Theme..."));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.loadbar()->maximum(), 100);
    form.ShowCentred();
    EXPECT_TRUE(form.isVisible());
    form.SetPosition(3, 12);
    EXPECT_EQ(form.loadbar()->maximum(), 12);
    EXPECT_EQ(form.loadbar()->value(), 3);
    form.SetPosition(9, 0);  // a header that counts no entries
    EXPECT_EQ(form.loadbar()->maximum(), 1);
    EXPECT_EQ(form.loadbar()->value(), 1);
    form.hide();
}

}  // namespace
}  // namespace pk
