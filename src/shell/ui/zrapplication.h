#pragma once
// The client's application object: no exception leaves an event handler. What a handler lets
// through goes to the shell's exception handler (error report, message, close).
#include <QApplication>

namespace pk {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace pk
