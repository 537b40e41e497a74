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

#include "game/ui/zrforms.h"
#include "game/ui/zrgextrasform.h"
#include "lobby/ui/zrforms.h"
#include "lobby/ui/zrupdateform.h"
#include "lobby/zrlobbyshell.h"
#include "shell/ui/zrapplication.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrloadtheme.h"
#include "shell/ui/zrmain.h"
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
    pk::TLobbyShellPart lobbyPart;
    pk::SetShellLobby(&lobbyPart);
    std::vector<QPointer<QWidget>> windows;
    auto* zrmain = new pk::Tzrmain();
    windows.emplace_back(zrmain);
    pk::loadform = new pk::Tloadform();
    windows.emplace_back(pk::loadform);
    pk::update = new pk::Tupdate();
    windows.emplace_back(pk::update);
    windows.emplace_back(new pk::Tzrbrowser());
    windows.emplace_back(new pk::Tzrgame());
    windows.emplace_back(new pk::Tzrpartyline());
    auto* title = new pk::Tzrtitle();
    windows.emplace_back(title);
    windows.emplace_back(new pk::Tzrsettings());
    windows.emplace_back(new pk::Tzrstheme());
    windows.emplace_back(new pk::Tzrsgame());
    windows.emplace_back(new pk::Tzrsserver());
    windows.emplace_back(new pk::Tzrskey());
    windows.emplace_back(new pk::Tzrsmisc());
    windows.emplace_back(new pk::Tzrsbrowser());
    windows.emplace_back(new pk::Tzrgamesetup());
    windows.emplace_back(new pk::Tzrsignup());
    windows.emplace_back(new pk::Tsbquery());
    windows.emplace_back(new pk::Tzrpickkeyf());
    windows.emplace_back(new pk::Tsbroomstats());
    windows.emplace_back(new pk::Tsbuserstats());
    windows.emplace_back(new pk::Tzrpsl());
    windows.emplace_back(new pk::Tzrregionlist());
    windows.emplace_back(new pk::Tzrextras());
    windows.emplace_back(new pk::Tdbmanage());
    PaintWatch watch;
    title->installEventFilter(&watch);
    int result = 1;
    if (pk::StartUp({}))
        result = app.exec();
    if (!pk::ShellClosed())
        pk::ShellFormClose();
    pk::loadform = nullptr;
    while (!windows.empty()) {
        delete windows.back().data();
        windows.pop_back();
    }
    pk::SetShellLobby(nullptr);
    return result;
}
