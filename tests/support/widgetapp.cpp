#include "support/widgetapp.h"

#include <cstdio>
#include <cstdlib>

namespace pk::test {

// The one creator of the tests' application object (Qt allows one per
// process); the other helpers call it.
QApplication& EnsureWidgetApp() {
    if (auto* existing = QCoreApplication::instance()) {
        if (auto* app = qobject_cast<QApplication*>(existing))
            return *app;
        std::fputs("A test made its own non-widget application object; use the test helpers.\n",
                   stderr);
        std::abort();
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "pk_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down among the other static destructors at
    // exit crashes in its input-device registry.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace pk::test
