#include "support/widgetapp.h"

#include <cstdlib>

namespace pk::test {

QApplication& EnsureWidgetApp() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *app;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "pk_widget_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt does not survive being torn down among the static destructors.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace pk::test
