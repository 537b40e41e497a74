#include "shell/ui/zrapplication.h"

#include <QDialog>
#include <QPointer>

#include "core/zrlog.h"
#include "shell/zrshell.h"

namespace pk {

namespace {

void RejectLater(QDialog* dialog) {
    QMetaObject::invokeMethod(
        dialog,
        [dialog = QPointer<QDialog>(dialog)] {
            if (dialog && dialog->isVisible()) {
                dialog->reject();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The controls take their colours from the theme's palettes (skin/zrskinpalette.h). Fusion
    // draws every control from the palette's roles alone, the same on every desktop, so the
    // client looks as its pictures in docs/ show wherever it runs.
    setStyle(QStringLiteral("Fusion"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // While the program ends, a dialog that opens (a message of the code still unwinding) is
    // not left waiting for a user.
    if (ending_ && event->type() == QEvent::Show) {
        if (auto* dialog = qobject_cast<QDialog*>(receiver)) {
            RejectLater(dialog);
        }
    }
    bool handled = false;
    ReportErrors("TApplication.notify", [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void TApplication::EndForSignal() {
    ending_ = true;
    for (QWidget* window : topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    }
    exit(0);
}

}  // namespace pk
