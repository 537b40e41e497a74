#include "shell/ui/zrapplication.h"

#include "shell/zrshell.h"

namespace pk {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    GuardEntry([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace pk
