// The room window's guard: a handler that throws costs only itself, and the log names it as a
// handler of the window, whichever panel holds it.
#include "room/ui/zrroomguard.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <stdexcept>

#include "core/zrlog.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

struct Panel {
    int calls = 0;
    bool taken(int by) { return (calls += by) > 0; }
    bool refuse() { throw std::runtime_error("no"); }
    void boom() { throw 7; }
    bool Take(int by) { return PK_ROOM_HANDLER(taken, by); }
    bool Refuse() { return PK_ROOM_HANDLER(refuse); }
    void Boom() { PK_ROOM_HANDLER(boom); }
};

TEST(RoomGuardTest, AThrowingHandlerIsLoggedUnderTheWindowsNameAndGivesNothing) {
    ClearClientLog();
    Panel panel;
    EXPECT_TRUE(panel.Take(2));
    EXPECT_EQ(panel.calls, 2);
    EXPECT_FALSE(panel.Refuse());
    panel.Boom();
    const std::string log = ClientLog();
    EXPECT_NE(log.find("Error in Tzrpartyline.refuse\r\n"), std::string::npos);
    EXPECT_NE(log.find("Error in Tzrpartyline.boom\r\n"), std::string::npos);
    EXPECT_EQ(log.find("Tzrpartyline.taken"), std::string::npos);
}

TEST(RoomGuardTest, AMenuEntryIsGuardedUnderItsName) {
    test::EnsureWidgetApp();
    ClearClientLog();
    QMenu menu;
    QAction* entry = AddGuardedAction(menu, "kickwomsg", "with&out message.",
                                      [] { throw std::runtime_error("gone"); });
    EXPECT_EQ(entry->objectName(), "kickwomsg");
    EXPECT_EQ(entry->text(), "with&out message.");
    entry->trigger();
    EXPECT_NE(ClientLog().find("Error in kickwomsg\r\n"), std::string::npos);
}

}  // namespace
}  // namespace pk
