// The loading window: its caption, and a bar that stays in range whatever
// count a library's header claims.
#include "shell/ui/zrloadtheme.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <cstdlib>

namespace pk {
namespace {

QApplication& App() {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "shell_ui_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt does not survive being torn down among the static destructors.
    static auto* app = new QApplication(argc, argv);
    return *app;
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
