#include "room/ui/zrroomguard.h"

#include <QAction>
#include <QMenu>

namespace pk {

QAction* AddGuardedAction(QMenu& menu, const char* name, const char* caption,
                          std::function<void()> act) {
    QAction* a = menu.addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    QObject::connect(a, &QAction::triggered, &menu,
                     [name, act = std::move(act)] { ReportErrors(name, [&] { act(); }); });
    return a;
}

}  // namespace pk
