#pragma once
// The client's application object: no exception leaves an event handler. What a handler lets
// through goes to the shell's exception handler (error report, message, close).
#include <QApplication>

namespace pk {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The end asked for by a signal (SIGTERM, SIGINT), from the event loop: every dialog open
    // now or shown later is rejected and every event loop returns, nested ones too, so that the
    // caller of exec() closes the client in order even while a message box was open.
    void EndForSignal();
    // Whether EndForSignal ran; exec() must then not start (an end asked for before it would
    // be forgotten by it).
    bool Ending() const { return ending_; }

private:
    bool ending_ = false;
};

}  // namespace pk
