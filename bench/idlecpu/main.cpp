// The client's CPU use while idle: its windows on the default theme, offscreen, first on the
// title page, then in a game room of the scripted game server on loopback between games. For
// each, the process's CPU time over the interval as a share of one core.
//   idlecpu [seconds per phase, default 60] [DEFAULT.KLB]
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "client_windows.h"
#include "game/zrgame.h"
#include "peers/game_server.h"
#include "room/zrgamelink.h"
#include "shell/ui/zrapplication.h"
#include "shell/zrconfig.h"
#include "shell/zrshell.h"

namespace {

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The event loop as the client runs it, until `done` holds or `ms` have passed.
bool RunUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || timer.elapsed() >= ms)
            loop.quit();
    });
    check.start(ms < 1000 ? 10 : 1000);
    if (!done())
        loop.exec();
    return done();
}

// Runs the event loop as the client does for the given time; the share of one core it used.
double IdleShare(int seconds) {
    const double cpu = ProcessSeconds();
    QElapsedTimer wall;
    wall.start();
    RunUntil([] { return false; }, seconds * 1000);
    return 100.0 * (ProcessSeconds() - cpu) / (static_cast<double>(wall.elapsed()) / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    pk::TApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const std::string theme = argc > 2 ? argv[2] : PK_DEFAULT_THEME_FILE;
    QTemporaryDir folder;
    pk::ProgramFolder = folder.path().toStdString();
    std::error_code error;
    std::filesystem::copy_file(theme, pk::ProgramFolder / "DEFAULT.KLB", error);
    if (error) {
        std::fprintf(stderr, "cannot copy %s: %s\n", theme.c_str(), error.message().c_str());
        return 1;
    }
    bench::ClientWindows windows;
    pk::peers::GameServerPeer server;
    if (!pk::StartUp({}) || !server.Listen()) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    windows.main->show();
    RunUntil([] { return false; }, 2000);  // the start-up's last paints and timers settle
    const double title = IdleShare(seconds);
    pk::Config.accountname = "bench";
    pk::GameConnect("127.0.0.1", server.Port());
    if (!RunUntil([] { return pk::ClientState.game.GameLinkState == pk::LinkInRoom; }, 5000)) {
        std::fprintf(stderr, "no room\n");
        return 1;
    }
    RunUntil([] { return false; }, 2000);
    const double room = IdleShare(seconds);
    windows.Close();
    std::printf("idle CPU over %d s: title page %.2f%% of one core, game room %.2f%%\n", seconds,
                title, room);
    return 0;
}
