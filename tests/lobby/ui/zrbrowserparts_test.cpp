// The guarded handler of the lobby window and its panels: the signal's arguments reach the
// handler, and a handler that throws is logged under the window's name and the handler's, the
// text users and the error report have always read, whichever panel holds it.
#include "lobby/ui/zrbrowserparts.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/zrlog.h"

namespace pk::test {
namespace {

struct TPanel {
    int got = 0;
    void gamelistColumnClick(int column) {
        got = column;
        if (column < 0) {
            throw std::runtime_error("no such column");
        }
    }
    auto Handler() { return PK_BROWSER_HANDLER(gamelistColumnClick); }
};

TEST(BrowserHandler, PassesTheArgumentsAndLogsAThrowUnderTheWindowsName) {
    SetErrorReporter({});
    ClearClientLog();
    TPanel panel;
    auto handler = panel.Handler();
    handler(3);
    EXPECT_EQ(panel.got, 3);
    EXPECT_EQ(ClientLog().find("Error in"), std::string::npos) << ClientLog();
    handler(-1);  // nothing escapes
    EXPECT_EQ(panel.got, -1);
    EXPECT_NE(ClientLog().find("Error in Tzrbrowser.gamelistColumnClick"), std::string::npos)
        << ClientLog();
}

}  // namespace
}  // namespace pk::test
