#include "support/qtapp.h"

#include "support/widgetapp.h"

namespace pk::test {

// Every test helper that needs an application object gets the same widget
// application: whichever helper a shuffled order happens to call first, the
// object it makes must serve windows and widgets too.
QCoreApplication& EnsureQtApp() {
    return EnsureWidgetApp();
}

}  // namespace pk::test
