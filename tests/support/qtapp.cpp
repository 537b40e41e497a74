#include "support/qtapp.h"

#include <QGuiApplication>
#include <cstdlib>

namespace pk::test {

QCoreApplication& EnsureQtApp() {
    if (auto* app = QCoreApplication::instance())
        return *app;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "pk_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down among the other static destructors
    // at exit crashes in its input-device registry.
    static auto* app = new QGuiApplication(argc, argv);
    return *app;
}

}  // namespace pk::test
