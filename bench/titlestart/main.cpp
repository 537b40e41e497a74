// The time from process start to the login page painted, on the theme beside the program:
// bench/titlestart.py starts this program ten times and reports the median. It builds the
// client's windows as the client does, runs the start-up, and prints the monotonic clock (in
// microseconds) when the login page has painted itself, then quits.
#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <vector>

#include "client_windows.h"
#include "shell/ui/zrapplication.h"
#include "shell/zrshell.h"

namespace {

class PaintWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("%lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
            std::fflush(stdout);
            QTimer::singleShot(0, [] { QApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    pk::TApplication app(argc, argv);
    QApplication::setApplicationName("Pelkorin2");
    pk::ProgramFolder = QCoreApplication::applicationDirPath().toStdString();
    bench::ClientWindows windows;
    PaintWatch watch;
    windows.title->installEventFilter(&watch);
    int result = 1;
    if (pk::StartUp({}))
        result = app.exec();
    windows.Close();
    return result;
}
