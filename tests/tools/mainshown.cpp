// Starts the client's windows on the program folder given, runs the start-up and prints the
// microseconds from the start of main to the main window shown, then closes: mainshown <folder>.
// The large-library test runs it beside libraries of different sizes and compares the time and
// the peak memory of the runs.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "client_windows.h"
#include "shell/ui/zrapplication.h"
#include "shell/zrshell.h"

namespace {

class ShowWatch : public QObject {
public:
    explicit ShowWatch(std::chrono::steady_clock::time_point start) : start_(start) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !done_) {
            done_ = true;
            const auto took = std::chrono::steady_clock::now() - start_;
            std::printf("%lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
            std::fflush(stdout);
            QTimer::singleShot(0, [] { QApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::chrono::steady_clock::time_point start_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    if (argc != 2) {
        std::fprintf(stderr, "usage: mainshown <program folder>\n");
        return 2;
    }
    pk::TApplication app(argc, argv);
    QApplication::setApplicationName("Pelkorin2");
    pk::ProgramFolder = argv[1];
    bench::ClientWindows windows;
    ShowWatch watch(start);
    windows.main->installEventFilter(&watch);
    int result = 1;
    if (pk::StartUp({}))
        result = app.exec();
    windows.Close();
    return result;
}
